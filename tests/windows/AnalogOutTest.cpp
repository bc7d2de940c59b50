#include "windows/AnalogOut.h"

#include "OutputWindowFixture.h"
#include "controls/ExtControls.h"
#include "controls/TExtSpeedButton.h"
#include "toolkit/TBevel.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPanel.h"
#include "toolkit/TTimer.h"
#include "toolkit/UserInput.h"

namespace {

constexpr int kAnalog = simcard::kAnalog;
constexpr int kDigital = simcard::kDigital;

int CountOf(TComponent* owner, const char* className) {
    int count = 0;
    for (int i = 0; i < owner->ComponentCount(); ++i)
        if (std::string(owner->Components(i)->ClassName()) == className)
            ++count;
    return count;
}

class AnalogOutCardsTest : public OutputWindowTest, public ::testing::WithParamInterface<int> {};

// Card k starts on route (k + 1) % 5: digital output, analog input, digital input, ADAT input.
TEST_P(AnalogOutCardsTest, StripsLimitsAndEveryCardsRouteSentBackAtShow) {
    const int cards = GetParam();
    UseCards(cards);
    for (int card = 0; card < cards; ++card)
        SetRoute(card, kAnalog, {static_cast<std::uint8_t>((card + 1) % 5), 2, 7, 0x5A});
    auto* w = Open<TfrmAnalogOut>();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), "Analog Output");

    const int pinned = cards == 1 ? 486 - 21 : 486;
    EXPECT_EQ(w->PinnedHeight(), pinned);
    EXPECT_EQ(w->Height(), pinned);
    EXPECT_EQ(w->pnHeader->Visible(), cards > 1);
    EXPECT_EQ(w->pnLevel->Top(), cards == 1 ? 159 : 180);
    MINMAXINFO info = w->GetMinMaxInfo();
    EXPECT_EQ(info.ptMinTrackSize.x, 205);
    EXPECT_EQ(info.ptMaxTrackSize.x, 192 * cards + 8);
    EXPECT_EQ(info.ptMaxSize.x, cards > 1 ? 192 * cards + 8 : 205);
    EXPECT_EQ(info.ptMaxTrackSize.y, pinned);

    // One strip per card: its own route buttons under a panel carrying the card, its meters
    // tagged 2k and 2k+1, its channel groups apart; the bevel line exists once.
    EXPECT_EQ(w->pnLevel->Width(), 187 * cards);
    ASSERT_EQ(w->MeterTable().size(), static_cast<std::size_t>(2 * cards));
    for (int m = 0; m < 2 * cards; ++m)
        EXPECT_EQ(w->MeterTable()[m]->Tag(), m);
    EXPECT_EQ(CountOf(w, "TBevel"), 1);
    for (int card = 0; card < cards; ++card) {
        const int code = (card + 1) % 5;
        for (int c = 0; c < 5; ++c) {
            TRadioButton* button = w->RouteButton(card, c);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->Tag(), c);
            EXPECT_EQ(button->Parent()->Tag(), card);
            EXPECT_EQ(button->Left(), w->RouteButton(0, c)->Left());
            EXPECT_EQ(button->Parent()->Left(), w->pnRouteParent->Left() + 187 * card);
            EXPECT_EQ(button->Checked(), c == code) << "card " << card << " code " << c;
        }
        EXPECT_EQ(w->RememberedRouteButton(card), w->RouteButton(card, code));
        EXPECT_EQ(w->Route(card).b[3], 0x5A) << "byte 3 kept as read";
    }
    if (cards > 1) {
        auto* header = static_cast<TPanel*>(w->pnHeader);
        EXPECT_EQ(header->Controls(1)->Caption(), "Karte #2");
    }

    // The show sends every card its route back, with the ADAT channels and byte 3 as read.
    std::vector<std::uint32_t> routes;
    for (const auto& sent : SentOf("OUTMSG_SET_ROUTE"))
        routes.push_back(sent.p1);
    for (int card = 0; card < cards; ++card) {
        const std::uint32_t packed = 0x5A070200u | static_cast<std::uint32_t>((card + 1) % 5);
        EXPECT_NE(std::find(routes.begin(), routes.end(), packed), routes.end()) << card;
        EXPECT_EQ(model->Card(card).route[kAnalog][0], (card + 1) % 5);
    }

    // The source handles of each route, and the meters on them.
    EXPECT_EQ(OpenOn(0, WaveDirection::Out, kDigital), 2) << "card 0 meters the digital output";
    EXPECT_EQ(MeteringOn(0, WaveDirection::Out, kDigital), 2);
    if (cards >= 2) {
        EXPECT_EQ(MeteringOn(1, WaveDirection::In, kAnalog), 2);
    }
    if (cards >= 4) {
        EXPECT_EQ(MeteringOn(2, WaveDirection::In, kDigital), 2);
        EXPECT_EQ(MeteringOn(3, WaveDirection::In, 2 + 2 / 2), 1) << "channel 3: pair 3-4";
        EXPECT_EQ(MeteringOn(3, WaveDirection::In, 2 + 7 / 2), 1) << "channel 8: pair 7-8";
    }
    EXPECT_TRUE(w->Metering());
    EXPECT_TRUE(w->SecTimer->Enabled());

    // Closing and destroying the window closes every handle, the sources too.
    UserInput::CloseWindow(w);
    app.ProcessMessages();
    EXPECT_EQ(window, nullptr);
    EXPECT_TRUE(model->Handles().empty());
}

INSTANTIATE_TEST_SUITE_P(OneTwoFour, AnalogOutCardsTest, ::testing::Values(1, 2, 4));

TEST_F(OutputWindowTest, AdatRouteMetersEachSideFromThePairHoldingItsChannel) {
    UseCards(1);
    Silence();
    model->Card(0).input[3] = simcard::Signal::Sine(-3, 1000);                // pair 3-4
    model->Card(0).input[5] = simcard::Signal::Swell(-30, 6, 1000, 0.0, 1.5); // pair 7-8
    SetRoute(0, kAnalog, {4, 2, 7, 0});                                       // left "3", right "8"
    auto* w = Open<TfrmAnalogOut>();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->SpeedButton[2]->Down());
    EXPECT_TRUE(w->SpeedButton[15]->Down());
    EXPECT_FALSE(w->SpeedButton[0]->Down());
    model->ClearTrace();
    Run(100);

    EXPECT_EQ(Traced("INMSG_METER_READ"),
              (std::vector<std::string>{DeviceOf(0, WaveDirection::In, 3),
                                        DeviceOf(0, WaveDirection::In, 5)}));
    const PeakValues last = ReadPeakBlock(w->PeakBlock().Flat());
    ASSERT_NE(last.left, last.right) << "the two channels of pair 7-8 differ";
    EXPECT_EQ(w->MeterTable()[1]->Level(), last.right) << "channel 8 is the pair's second value";
    EXPECT_GT(w->MeterTable()[0]->Level(), 4 * w->MeterTable()[1]->Level()) << "from pair 3-4";

    // Once the driver is gone the reads fail, and the sides show no signal rather than the last.
    model = nullptr;
    InstallCardService(std::make_unique<simcard::CardModel>(1, [] { return Clock().NowMs(); }));
    Run(100);
    EXPECT_EQ(w->MeterTable()[0]->Level(), 0);
    EXPECT_EQ(w->MeterTable()[1]->Level(), 0);
}

TEST_F(OutputWindowTest, ARefusedRouteIsReportedAndThePreviousOneRestoredAndFocused) {
    UseCards(2);
    SetRoute(1, kAnalog, {2, 0, 1, 0});
    auto* w = Open<TfrmAnalogOut>();
    ASSERT_NE(w, nullptr);
    model->Card(1).busy[int(WaveDirection::Out)][kAnalog] = true;
    model->ClearTrace();
    bool pollOffDuringBox = false;
    boxes->OnNextShow([&] { pollOffDuringBox = !w->SecTimer->Enabled(); });

    ASSERT_TRUE(UserInput::Click(w->RouteButton(1, 1))); // a user first looks at another route
    ASSERT_TRUE(UserInput::Click(w->RouteButton(1, 4)));
    ASSERT_EQ(boxes->History().size(), 1u);
    const MessageBoxRequest& box = boxes->History()[0].request;
    EXPECT_EQ(box.caption, "Varnel PRO Fehler");
    EXPECT_EQ(box.text, "Kein Adat-Monitoring möglich.\r\nDas Wiedergabegerät wird durch eine "
                        "andere Anwendung benutzt.");
    EXPECT_EQ(box.style, MB_ICONERROR);
    EXPECT_EQ(box.owner, w->Handle());
    EXPECT_TRUE(pollOffDuringBox);
    EXPECT_TRUE(w->SecTimer->Enabled()) << "the poll runs again after the reaction";

    // The previous choice is checked, focused and sent again; the ADAT handles are gone.
    TRadioButton* previous = w->RouteButton(1, 1);
    EXPECT_TRUE(previous->Checked());
    EXPECT_FALSE(w->RouteButton(1, 4)->Checked());
    EXPECT_EQ(w->ActiveControl(), previous);
    EXPECT_EQ(w->RememberedRouteButton(1), previous);
    EXPECT_EQ(SentOf("OUTMSG_SET_ROUTE"),
              (std::vector<Sent>{Route(1, kAnalog, 0x00010001), Route(1, kAnalog, 0x00010004, 4),
                                 Route(1, kAnalog, 0x00010001)}));
    EXPECT_EQ(model->Card(1).route[kAnalog][0], 1);
    EXPECT_EQ(w->Route(1).b[0], 1);
    for (int pair = 2; pair < 6; ++pair)
        EXPECT_EQ(OpenOn(1, WaveDirection::In, pair), 0);
    EXPECT_EQ(MeteringOn(1, WaveDirection::Out, kDigital), 2);
    EXPECT_TRUE(w->Metering());

    // Once the device is free, the same choice goes through.
    model->Card(1).busy[int(WaveDirection::Out)][kAnalog] = false;
    ASSERT_TRUE(UserInput::Click(w->RouteButton(1, 4)));
    EXPECT_EQ(boxes->History().size(), 1u);
    EXPECT_EQ(model->Card(1).route[kAnalog][0], 4);
    EXPECT_EQ(MeteringOn(1, WaveDirection::In, 2), 2) << "channels 1 and 2 both on pair 1-2";
}

// The poll meets a refused route where the old button cannot take the focus: with the routing
// section hidden, and with the window disabled under a modal window. The fall-back still happens,
// no further box appears, and the same poll goes on to the next card.
TEST_F(OutputWindowTest, ARefusedRouteFromThePollFallsBackWhereNoButtonCanTakeTheFocus) {
    UseCards(2);
    auto* w = Open<TfrmAnalogOut>();
    ASSERT_NE(w, nullptr);
    model->Card(0).busy[int(WaveDirection::Out)][kAnalog] = true;
    ASSERT_TRUE(UserInput::Click(w->chkPlaybackSel));
    ASSERT_FALSE(w->pnPlaybackSel->Visible());
    SetRoute(0, kAnalog, {4, 0, 1, 0}); // refused when the window sends it back
    SetRoute(1, kAnalog, {2, 0, 1, 0});
    Run(1000);
    ASSERT_EQ(boxes->History().size(), 1u);
    EXPECT_EQ(boxes->History()[0].request.caption, "Varnel PRO Fehler");
    EXPECT_TRUE(w->RouteButton(0, 0)->Checked());
    EXPECT_EQ(model->Card(0).route[kAnalog][0], 0) << "the old route sent again";
    EXPECT_TRUE(w->RouteButton(1, 2)->Checked()) << "card 1 followed in the same poll";
    EXPECT_EQ(MeteringOn(1, WaveDirection::In, kAnalog), 2);

    ASSERT_TRUE(UserInput::Click(w->chkPlaybackSel));
    SetRoute(0, kAnalog, {4, 0, 1, 0});
    SetRoute(1, kAnalog, {3, 0, 1, 0});
    bool disabledDuringBox = false;
    AboutBox->SetMessageHandler(WM_USER + 5, [](TMessage&) { AboutBox->SetModalResult(mrOk); });
    boxes->OnNextShow([&] {
        disabledDuringBox = !w->Enabled();
        PostMessageA(AboutBox->Handle(), WM_USER + 5, 0, 0);
    });
    EXPECT_EQ(AboutBox->ShowModal(), mrOk);
    EXPECT_TRUE(disabledDuringBox);
    ASSERT_EQ(boxes->History().size(), 2u);
    EXPECT_EQ(boxes->History()[1].request.caption, "Varnel PRO Fehler");
    EXPECT_TRUE(w->RouteButton(0, 0)->Checked());
    EXPECT_TRUE(w->RouteButton(1, 3)->Checked());
}

TEST_F(OutputWindowTest, TheRoutePollFollowsAnotherProgramWithinASecond) {
    UseCards(2);
    Silence();
    model->Card(1).input[kAnalog] = simcard::Signal::Sine(-6, 1000);
    auto* w = Open<TfrmAnalogOut>();
    ASSERT_NE(w, nullptr);
    Run(300);
    EXPECT_EQ(LitMeters(w), 0);

    SetRoute(1, kAnalog, {2, 5, 6, 0}); // another program routes the analog input
    model->ClearTrace();
    Run(1000);
    EXPECT_TRUE(w->RouteButton(1, 2)->Checked());
    EXPECT_FALSE(w->RouteButton(1, 0)->Checked());
    EXPECT_EQ(w->RememberedRouteButton(1), w->RouteButton(1, 2));
    EXPECT_EQ(SentOf("OUTMSG_SET_ROUTE"), (std::vector<Sent>{Route(1, kAnalog, 0x00060502)}));
    EXPECT_EQ(Traced("OUTMSG_METER_OFF"),
              (std::vector<std::string>{DeviceOf(1, WaveDirection::Out, kAnalog)}));
    EXPECT_EQ(MeteringOn(1, WaveDirection::In, kAnalog), 2);
    EXPECT_TRUE(w->SpeedButton[0]->Down()) << "channel bytes are not compared by the poll";
    EXPECT_EQ(OpenOn(0, WaveDirection::In, kAnalog), 0) << "card 0 unchanged";
    Run(200);
    EXPECT_GT(w->MeterTable()[2]->LitCount(), 0);
    EXPECT_GT(w->MeterTable()[3]->LitCount(), 0);
    EXPECT_EQ(LitMeters(w), 2);

    // An unchanged route costs one read per card and second, nothing more.
    model->ClearTrace();
    Run(1000);
    EXPECT_EQ(SentOf("OUTMSG_GET_ROUTE").size(), 2u);
    EXPECT_TRUE(SentOf("OUTMSG_SET_ROUTE").empty());
}

TEST_F(OutputWindowTest, AChannelChoiceIsStoredWithAnyRouteAndMovesTheMeterOnlyWithAdat) {
    UseCards(1);
    SetRoute(0, kAnalog, {2, 0, 1, 0});
    auto* w = Open<TfrmAnalogOut>();
    ASSERT_NE(w, nullptr);
    model->ClearTrace();
    const auto handlesBefore = HandleFacts().size();

    ASSERT_TRUE(UserInput::Click(w->SpeedButton[8 + 4])); // right "5"
    EXPECT_EQ(SentOf("OUTMSG_SET_ROUTE"), (std::vector<Sent>{Route(0, kAnalog, 0x00040002)}));
    EXPECT_EQ(HandleFacts().size(), handlesBefore);
    EXPECT_EQ(MeteringOn(0, WaveDirection::In, kAnalog), 2);

    ASSERT_TRUE(UserInput::Click(w->btnAdatInp));
    EXPECT_EQ(MeteringOn(0, WaveDirection::In, 2), 1) << "left: channel 1";
    EXPECT_EQ(MeteringOn(0, WaveDirection::In, 4), 1) << "right: channel 5";
    model->ClearTrace();
    ASSERT_TRUE(UserInput::Click(w->SpeedButton[5])); // left "6"
    EXPECT_EQ(SentOf("OUTMSG_SET_ROUTE"), (std::vector<Sent>{Route(0, kAnalog, 0x00040504)}));
    EXPECT_EQ(OpenOn(0, WaveDirection::In, 2), 0);
    EXPECT_EQ(MeteringOn(0, WaveDirection::In, 4), 2) << "both sides now on pair 5-6";
    EXPECT_EQ(Traced("INMSG_METER_OFF"),
              (std::vector<std::string>{DeviceOf(0, WaveDirection::In, 2)}));
    EXPECT_NE(w->PollTimer(), 0u);
    ASSERT_TRUE(UserInput::Click(w->SpeedButton[5]));
    EXPECT_EQ(SentOf("OUTMSG_SET_ROUTE").size(), 1u) << "a button already down changes nothing";
}

TEST_F(OutputWindowTest, ARefusedMeterOnStopsReadingButLetsTheMetersFallAndCloseStopsAll) {
    UseCards(2);
    model->Card(1).meterOnRefused[int(WaveDirection::Out)][kAnalog] = true;
    auto* w = Open<TfrmAnalogOut>();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->Metering());
    EXPECT_EQ(w->PollTimer(), 0u);
    EXPECT_NE(w->DecayTimer(), 0u);
    model->ClearTrace();
    Run(500);
    EXPECT_TRUE(Traced("OUTMSG_METER_READ").empty());

    UserInput::CloseWindow(w);
    app.ProcessMessages();
    EXPECT_EQ(window, nullptr);
    EXPECT_TRUE(model->Handles().empty());
}

// A refused read shows silence on that card or side, never what the block held from the read
// before: card 1 reads after card 0's loud playback, and card 2's right side after its left.
TEST_F(OutputWindowTest, ARefusedMeterReadShowsSilence) {
    UseCards(3);
    Silence();
    model->Card(0).playback[kAnalog] = simcard::Signal::Sine(-3, 1000);
    model->Card(1).playback[kAnalog] = simcard::Signal::Sine(-3, 1000);
    model->Card(1).meterReadRefused[int(WaveDirection::Out)][kAnalog] = true;
    model->Card(2).input[3] = simcard::Signal::Sine(-3, 1000); // pair 3-4
    model->Card(2).input[5] = simcard::Signal::Sine(-3, 1000); // pair 7-8
    model->Card(2).meterReadRefused[int(WaveDirection::In)][5] = true;
    SetRoute(2, kAnalog, {4, 2, 7, 0}); // left "3", right "8"
    auto* w = Open<TfrmAnalogOut>();
    ASSERT_NE(w, nullptr);
    Run(300);
    const auto& meters = w->MeterTable();
    EXPECT_GT(meters[0]->LitCount(), 0);
    EXPECT_GT(meters[4]->LitCount(), 0);
    for (int m : {2, 3, 5})
        EXPECT_EQ(meters[m]->LitCount(), 0) << "meter " << m;
}

TEST_F(OutputWindowTest, SectionsMoveTheMetersAndTheirStateIsKept) {
    UseCards(2);
    auto* w = Open<TfrmAnalogOut>();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(UserInput::Click(w->chkPlaybackSel));
    EXPECT_FALSE(w->pnPlaybackSel->Visible());
    EXPECT_EQ(w->pnLevel->Top(), 180 - 156);
    EXPECT_EQ(w->PinnedHeight(), 486 - 156);
    EXPECT_EQ(w->Height(), 486 - 156);
    EXPECT_TRUE(w->Metering());

    model->ClearTrace();
    ASSERT_TRUE(UserInput::Click(w->chkPeakMeter));
    EXPECT_FALSE(w->pnLevel->Visible());
    EXPECT_FALSE(w->bvLine->Visible());
    EXPECT_FALSE(w->pnGround->Visible());
    EXPECT_EQ(w->PinnedHeight(), 50 + 27);
    EXPECT_FALSE(w->Metering());
    EXPECT_EQ(w->DecayTimer(), 0u);
    EXPECT_EQ(Traced("OUTMSG_METER_OFF").size(), 2u);

    UserInput::CloseWindow(w);
    app.ProcessMessages();
    const std::string ini = GetIni();
    for (const char* key : {"[Analog Output]", "pnChecks=1", "chkPlaybackSel=0", "chkPeakMeter=0"})
        EXPECT_NE(ini.find(key), std::string::npos) << key;

    auto* again = Open<TfrmAnalogOut>();
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(again->pnPlaybackSel->Visible());
    EXPECT_FALSE(again->Metering());
    EXPECT_EQ(again->PinnedHeight(), 77);
    ASSERT_TRUE(UserInput::ChooseSystemMenuItem(again, " Peak &Meter"));
    EXPECT_TRUE(again->Metering());
    EXPECT_TRUE(again->bvLine->Visible());
    EXPECT_EQ(again->PinnedHeight(), 486 - 156);
}

} // namespace
