// The output windows when the driver says no: the digital output window takes no notice of a
// refused route and only follows the driver's route at the next poll; a refused meter-on leaves
// the decay running so that what is lit falls; an ADAT channel button whose pair cannot be opened
// or metered leaves that side dark and the rest as it was.

#include "InputWindowFixture.h"
#include "OutputWindowFixture.h"
#include "controls/ExtControls.h"
#include "controls/TExtSpeedButton.h"
#include "toolkit/TTimer.h"
#include "toolkit/UserInput.h"
#include "windows/AnalogOut.h"
#include "windows/DigOut.h"

namespace {

constexpr int kAnalog = simcard::kAnalog;
constexpr int kDigital = simcard::kDigital;
using simcard::WaveDirection;

class OutputFaultTest : public OutputWindowTest {
protected:
    // Cards behind a recorder that can refuse a message on one of the window's handles.
    void UseRefusingCards(int cards) {
        auto owned = std::make_unique<RecordingCard>(std::make_unique<simcard::CardModel>(cards, [] { return Clock().NowMs(); }));
        recorder = owned.get();
        model = &owned->Model();
        InstallCardService(std::move(owned));
        DiscoverCards();
    }
    // The window opens its own handles first, in table order.
    void Refuse(int entry, UINT message) {
        recorder->refused.insert(
            {HandleFacts().at(static_cast<std::size_t>(entry)).handle, message});
    }
    RecordingCard* recorder = nullptr;
};

TEST_F(OutputFaultTest, ARefusedDigitalRouteShowsNoBoxAndThePollFollowsTheDriverBack) {
    UseRefusingCards(1);
    auto* w = Open<TfrmDigOut>();
    ASSERT_NE(w, nullptr);
    Refuse(0, OUTMSG_SET_ROUTE);

    ASSERT_TRUE(UserInput::Click(w->btnAnaInp));
    EXPECT_TRUE(boxes->History().empty());
    EXPECT_TRUE(w->btnAnaInp->Checked()) << "the refusal is not noticed";
    EXPECT_EQ(w->Route(0).b[0], 2);
    EXPECT_EQ(MeteringOn(0, WaveDirection::In, kAnalog), 2);
    EXPECT_EQ(model->Card(0).route[kDigital][0], 0) << "the driver kept its route";

    recorder->refused.clear();
    Run(1000);
    EXPECT_TRUE(w->btnProgram->Checked()) << "the poll shows the driver's route";
    EXPECT_EQ(OpenOn(0, WaveDirection::In, kAnalog), 0);
    EXPECT_EQ(MeteringOn(0, WaveDirection::Out, kDigital), 1);
    EXPECT_TRUE(boxes->History().empty());
}

// Card 1's new source refuses its meter-on: reading stops and card 0's lit meters fall to dark.
TEST_F(OutputFaultTest, ARefusedDigitalMeterOnKeepsTheDecayTimerSoTheMetersFall) {
    UseCards(2);
    Silence();
    model->Card(0).playback[kDigital] = simcard::Signal::Sine(-3, 1000);
    model->Card(1).meterOnRefused[int(WaveDirection::In)][kAnalog] = true;
    auto* w = Open<TfrmDigOut>();
    ASSERT_NE(w, nullptr);
    Run(300);
    ASSERT_GT(w->MeterTable()[0]->LitCount(), 0);

    ASSERT_TRUE(UserInput::Click(w->RouteButton(1, 2)));
    EXPECT_TRUE(boxes->History().empty());
    EXPECT_TRUE(w->RouteButton(1, 2)->Checked()) << "the route itself went through";
    EXPECT_FALSE(w->Metering());
    EXPECT_EQ(w->PollTimer(), 0u);
    EXPECT_NE(w->DecayTimer(), 0u);
    model->ClearTrace();
    Run(4000);
    EXPECT_TRUE(Traced("OUTMSG_METER_READ").empty());
    EXPECT_EQ(LitMeters(w), 0) << "held peaks and columns fell";

    UserInput::CloseWindow(w);
    app.ProcessMessages();
    EXPECT_EQ(window, nullptr);
    EXPECT_TRUE(model->Handles().empty());
}

// ADAT monitoring with left "1" and right "2", both on pair 1-2 (device 2); the left button "5"
// moves the left side to pair 5-6 (device 4).
TEST_F(OutputFaultTest, AnAdatChannelWhosePairFailsLeavesOnlyThatSideDark) {
    const struct {
        const char* fault;
        bool openFails;
        bool metering; // afterwards
        int openOnNewPair;
    } rows[] = {{"open fails", true, true, 0}, {"meter-on refused", false, false, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fault);
        UseCards(1);
        Silence();
        model->Card(0).input[2] = simcard::Signal::Sine(-3, 1000);
        SetRoute(0, kAnalog, {4, 0, 1, 0});
        auto* w = Open<TfrmAnalogOut>();
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(w->Metering());
        (row.openFails ? model->Card(0).openFails
                       : model->Card(0).meterOnRefused)[int(WaveDirection::In)][4] = true;

        ASSERT_TRUE(UserInput::Click(w->SpeedButton[4]));
        EXPECT_TRUE(boxes->History().empty());
        EXPECT_TRUE(w->SpeedButton[4]->Down());
        EXPECT_EQ(model->Card(0).route[kAnalog][1], 4) << "the choice reached the driver";
        EXPECT_EQ(OpenOn(0, WaveDirection::In, 2), 1) << "the right side stays";
        EXPECT_EQ(OpenOn(0, WaveDirection::In, 4), row.openOnNewPair);
        EXPECT_EQ(w->Metering(), row.metering);
        EXPECT_EQ(w->PollTimer() != 0, row.metering);
        model->ClearTrace();
        Run(300);
        EXPECT_EQ(Traced("INMSG_METER_READ").size(), row.metering ? 3u : 0u)
            << "only the right side is read";
        EXPECT_EQ(w->MeterTable()[0]->LitCount(), 0);
        EXPECT_EQ(w->MeterTable()[1]->LitCount() > 0, row.metering);

        UserInput::CloseWindow(w);
        app.ProcessMessages();
        EXPECT_TRUE(model->Handles().empty());
    }
}

} // namespace
