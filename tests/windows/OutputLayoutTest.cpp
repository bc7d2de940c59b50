// The output windows' designed texts, places and sizes: the route and format buttons with their
// codes, the display boxes, the sections' heights, card 0's strip read in a window of two cards.

#include "DesignedLayout.h"
#include "windows/AdatOut.h"
#include "windows/AnalogOut.h"
#include "windows/DigOut.h"

#include <string>
#include <vector>

namespace {

std::vector<DesignedControl> PlaybackFrame() {
    std::vector<DesignedControl> rows = {
        {.name = "pnChecks", .tag = -1},
        {.name = "chkPlaybackSel",
         .german = " &Wiedergabeauswahl",
         .english = " Playback &Select",
         .tag = -1},
        {.name = "pnHeader", .height = 21},
        {.name = "lbLabel", .german = "Karte #1", .english = "Card #1"},
        {.name = "pnPlaybackSel", .top = 21},
        {.name = "pnRouteParent", .tag = 0},
        {.name = "lbPlayback", .german = " Wiedergabe:", .english = " Playback:"},
        {.name = "btnAnaInp", .german = " &Analog Input", .tag = 2},
        {.name = "btnDigInp", .german = " Digital &Input", .tag = 3},
        {.name = "lbLeft", .german = "L"},
        {.name = "lbRight", .german = "R"},
        {.name = "pnLevel", .height = 217, .widened = true},
    };
    AddMeters(rows, "PlayLvMeter1", "PlayLvMeter2");
    rows[rows.size() - 2].tag = 0; // the meter table's order
    rows.back().tag = 1;
    AddScale(rows, "lbScale", {kAny, kAny, kAny, kAny, kAny, kAny, kAny, kAny});
    return rows;
}

std::vector<DesignedControl> AnalogOutLayout() {
    std::vector<DesignedControl> rows = PlaybackFrame();
    rows.insert(rows.end(), {
                                {.name = "", .german = "Analog Output", .width = 205},
                                {.name = "pnGround", .height = 409},
                                {.name = "pnPlaybackSel", .height = 156},
                                {.name = "pnLevel", .top = 180},
                                {.name = "chkPeakMeter",
                                 .german = " Peak &Meter",
                                 .english = " &Peak &Meter",
                                 .tag = -1},
                                {.name = "btnProgram",
                                 .german = " Anwender&programm",
                                 .english = " Application &Program",
                                 .tag = 0},
                                {.name = "btnDigOut", .german = " Di&gital Output", .tag = 1},
                                {.name = "btnAdatInp", .german = " A&dat Input", .tag = 4},
                                {.name = "grpAdat", .german = ""},
                            });
    // Two rows of channel buttons "1".."8": left tags 0..7, right tags 0x10000 + channel.
    const char* digits[] = {"1", "2", "3", "4", "5", "6", "7", "8"};
    for (int i = 0; i < 16; ++i)
        rows.push_back({.name = "SpeedButton" + std::to_string(i + 1),
                        .german = digits[i % 8],
                        .tag = (i < 8 ? 0 : 0x10000) + i % 8});
    return rows;
}

std::vector<DesignedControl> DigOutLayout() {
    std::vector<DesignedControl> rows = PlaybackFrame();
    rows.insert(rows.end(), {
                                {.name = "", .german = "Digital Output", .width = 161},
                                {.name = "pnGround", .height = 397},
                                {.name = "pnPlaybackSel", .height = 149},
                                {.name = "pnLevel", .top = 172},
                                {.name = "chkPeakMeter", .german = " Peak &Meter", .tag = -1},
                                {.name = "btnProgram",
                                 .german = " Anwender&programm",
                                 .english = " Application Program",
                                 .tag = 0},
                                {.name = "btnAnaOut", .german = " Analog &Output", .tag = 1},
                                {.name = "lbFormat", .german = " Format:"},
                                {.name = "btnCons", .german = " &S/PDIF", .tag = 0},
                                {.name = "btnProf", .german = " AES/&EBU", .tag = 1},
                            });
    return rows;
}

std::vector<DesignedControl> AdatOutLayout() {
    std::vector<DesignedControl> rows = {
        {.name = "", .german = "ADAT Outputs", .left = 0, .top = 186, .width = 330},
        {.name = "pnChecks", .tag = -1},
        {.name = "chkPeakMeter", .german = " &Peak Meter", .left = 8, .top = 8, .tag = -1},
        {.name = "grpGround", .height = 237},
        {.name = "pnMeters", .left = 2, .top = 6, .width = 310, .height = 185, .widened = true},
        {.name = "pnNumbers", .left = 6, .top = 192, .width = 285, .height = 19, .widened = true},
    };
    const char* panels[] = {"pnMeter12", "Panel2", "Panel3", "Panel4"};
    const char* meters[] = {"PlayLvMeter1", "PlayLvMeter2", "LevelMeter1", "LevelMeter2",
                            "LevelMeter3",  "LevelMeter4",  "LevelMeter5", "LevelMeter6"};
    for (int p = 0; p < 4; ++p) {
        rows.push_back(
            {.name = panels[p], .left = 4 + 78 * p, .top = 0, .width = 53, .height = 185});
        AddMeters(rows, meters[2 * p], meters[2 * p + 1]);
    }
    const char* captions[] = {"1", "2", "3", "4", "5", "6", "7", "8"};
    const int lefts[] = {10, 32, 88, 110, 166, 188, 244, 266};
    for (int n = 0; n < 8; ++n)
        rows.push_back(
            {.name = "lbChannel" + std::to_string(n + 1), .german = captions[n], .left = lefts[n]});
    return rows;
}

using OutputLayoutTest = ChannelLayoutTest;

TEST_F(OutputLayoutTest, RouteAndFormatCaptionsCodesAndSizesAreTheDesignedOnes) {
    UseCards(2);
    ExpectLayout<TfrmAnalogOut>(AnalogOutLayout());
    ExpectLayout<TfrmDigOut>(DigOutLayout());
    ExpectLayout<TfrmAdatOut>(AdatOutLayout());
}

} // namespace
