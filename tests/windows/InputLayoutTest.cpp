// The input windows' designed texts, places and sizes, card 0's strip read in a window of two
// cards (so that the header stays), with the window's default place as no saved state moves it.

#include "DesignedLayout.h"
#include "windows/AdatInp.h"
#include "windows/AnalogInp.h"
#include "windows/DigInp.h"

#include <vector>

namespace {

const std::vector<DesignedControl> kMonitorGroups = {
    {.name = "lbPunch", .german = " Monitor:"},
    {.name = "btnAnaMon", .german = " &Analog Ausgang", .english = " &Analog Output", .top = 18},
    {.name = "btnDigMon", .german = " &Digital Ausgang", .english = " &Digital Output", .top = 34},
    {.name = "lbWhereToMon", .german = " Aktiv:", .english = " Active:"},
    {.name = "btnNever", .german = "&Niemals", .english = "&Never", .left = 12, .top = 18},
    {.name = "btnOnRec",
     .german = "bei Au&fnahmen",
     .english = "while &Record",
     .left = 12,
     .top = 32},
    {.name = "btnOnPunch",
     .german = "bei &Punch Aufnahmen",
     .english = "while &Punch Record",
     .left = 12,
     .top = 50},
    {.name = "pnHeader", .height = 19},
    {.name = "lbLabel", .german = "Karte #1", .english = "Card #1", .left = 6, .top = 4},
};

std::vector<DesignedControl> AnalogInpLayout() {
    std::vector<DesignedControl> rows = kMonitorGroups;
    rows.insert(
        rows.end(),
        {
            {.name = "", .german = "Analog Input", .left = 181, .top = 0, .width = 155},
            {.name = "pnChecks", .tag = -1},
            {.name = "chkRouting", .german = " &Monitoring", .left = 8, .top = 10, .tag = -1},
            {.name = "chkPeakMeter",
             .german = " P&eak Meter",
             .english = " &Peak Meter",
             .left = 8,
             .top = 26,
             .tag = -1},
            {.name = "chkGainSlider",
             .german = " Fa&der",
             .english = " &Fader",
             .left = 8,
             .top = 44,
             .tag = -1},
            {.name = "grpInput", .height = 531},
            {.name = "pnInpMon", .top = 19, .height = 122},
            {.name = "bvLine", .height = 9},
            {.name = "pnRouteParent", .left = 0, .top = 0, .width = 141, .height = 53},
            {.name = "btnAnaMon", .left = 12},
            {.name = "btnDigMon", .left = 12},
            {.name = "pnWhenToMonParent", .left = 0, .top = 50, .width = 141, .height = 67},
            {.name = "pnMeters",
             .left = 8,
             .top = 146,
             .width = 133,
             .height = 185,
             .widened = true},
            {.name = "pnMeter12", .left = 0, .top = 0, .width = 53, .height = 185},
            {.name = "pnSliders",
             .left = 8,
             .top = 331,
             .width = 133,
             .height = 164,
             .widened = true},
            {.name = "pnSlider12", .left = 0, .top = 0, .width = 53, .height = 160},
            {.name = "Slider0", .left = 12, .top = 12, .height = 112},
            {.name = "Slider1", .left = 36, .top = 12, .height = 112},
            {.name = "chkLink12", .left = 21, .top = 139, .tag = -1},
            {.name = "pnNumbers",
             .left = 10,
             .top = 493,
             .width = 71,
             .height = 20,
             .widened = true},
        });
    AddMeters(rows, "Meter1", "Meter2");
    AddScale(rows, "lbMeterScale", {3, 24, 48, 96, 128, 144, 156, 171});
    return rows;
}

std::vector<DesignedControl> DigInpLayout() {
    std::vector<DesignedControl> rows = kMonitorGroups;
    rows.insert(
        rows.end(),
        {
            {.name = "",
             .german = "Digital Input",
             .left = 128,
             .top = 44,
             .width = 155,
             .height = 537},
            {.name = "pnChecks", .tag = -1},
            {.name = "chkInpSelRate",
             .german = " Monitoring / &Routing",
             .left = 8,
             .top = 8,
             .tag = -1},
            {.name = "chkPeakMeter", .german = " &Peak Meter", .left = 8, .top = 28, .tag = -1},
            {.name = "pnGround", .height = 457},
            {.name = "pnInpStat", .top = 19, .height = 204, .widened = true},
            {.name = "pnInpSelParent", .left = 4, .top = 0, .width = 135, .height = 66},
            {.name = "lbSelect", .german = " Eingangsauswahl:", .english = " Input Select:"},
            {.name = "btnOptical",
             .german = " &Optisch",
             .english = " &Optical",
             .left = 8,
             .top = 16},
            {.name = "btnElectrical",
             .german = " &Elektrisch",
             .english = " &Electrical",
             .left = 8,
             .top = 32},
            {.name = "btnCd", .german = " &CD", .left = 8, .top = 48},
            {.name = "lbR", .german = " Sample Rate:", .left = 6, .top = 66},
            {.name = "lbRate", .german = "44100 Hz", .left = 82, .top = 66, .tag = 1},
            {.name = "pnRouteParent", .left = 4, .top = 82, .width = 133, .height = 53},
            {.name = "btnAnaMon", .left = 8},
            {.name = "btnDigMon", .left = 8},
            {.name = "pnWhenToMonParent", .left = 0, .top = 132, .width = 141, .height = 67},
            {.name = "bvLine", .height = 5},
            {.name = "pnLevel",
             .left = 4,
             .top = 228,
             .width = 134,
             .height = 217,
             .widened = true},
            {.name = "lbLeft", .german = "L", .left = 16, .top = 192},
            {.name = "lbRight", .german = "R", .left = 40, .top = 192},
            {.name = "Panel10", .left = 4, .top = 4, .width = 53, .height = 185},
        });
    AddMeters(rows, "PlayLvMeter1", "PlayLvMeter2");
    AddScale(rows, "lbScale", {8, 28, 52, 100, 132, 147, 159, 175});
    return rows;
}

std::vector<DesignedControl> AdatInpLayout() {
    std::vector<DesignedControl> rows = {
        {.name = "", .german = "ADAT Inputs", .left = 128, .top = 84, .width = 330},
        {.name = "pnChecks", .tag = -1},
        {.name = "chkPeakMeter", .german = " &Peak Meter", .left = 8, .top = 9, .tag = -1},
        {.name = "grpInput", .height = 237},
        {.name = "pnMeters", .left = 2, .top = 6, .width = 314, .height = 185, .widened = true},
        {.name = "pnNumbers", .left = 6, .top = 192, .width = 285, .height = 19, .widened = true},
    };
    const char* panels[] = {"pnMeter12", "pnMeter34", "pnMeter56", "pnMeter78"};
    const char* meters[] = {"Meter1", "Meter2", "Meter3", "Meter4",
                            "Meter5", "Meter6", "Meter7", "Meter8"};
    const char* numbers[] = {"lbChannel1", "lbChannel2", "lbChannel3", "lbChannel4",
                             "lbChannel5", "lbChannel6", "lbChannel7", "lbChannel8"};
    const char* captions[] = {"1", "2", "3", "4", "5", "6", "7", "8"};
    const int numberLefts[] = {10, 32, 88, 110, 166, 190, 244, 264};
    for (int p = 0; p < 4; ++p) {
        rows.push_back(
            {.name = panels[p], .left = 4 + 78 * p, .top = 0, .width = 53, .height = 185});
        AddMeters(rows, meters[2 * p], meters[2 * p + 1]);
    }
    for (int n = 0; n < 8; ++n)
        rows.push_back({.name = numbers[n], .german = captions[n], .left = numberLefts[n]});
    AddScale(rows, "lbScale12_", {3, 24, 48, 96, 128, 144, 156, 172});
    return rows;
}

using InputLayoutTest = ChannelLayoutTest;

TEST_F(InputLayoutTest, TextsPlacesAndSizesAreTheDesignedOnes) {
    UseCards(2);
    ExpectLayout<TfrmAnalogInp>(AnalogInpLayout());
    ExpectLayout<TfrmDigInp>(DigInpLayout());
    ExpectLayout<TfrmAdatInp>(AdatInpLayout());
}

} // namespace
