// The analog input window on the in-process card: strips per card, gains and faders, linked
// pairs, the monitor choices, the sections with the numbers row, the persisted link boxes, and
// the hub opening it.

#include "windows/AnalogInp.h"

#include "InputWindowFixture.h"
#include "controls/ExtControls.h"
#include "controls/TSlider.h"
#include "toolkit/TBevel.h"
#include "toolkit/TPanel.h"
#include "toolkit/UserInput.h"

namespace {

using simcard::kAnalog;

std::vector<TSlider*> Faders(const TfrmAnalogInp* w) {
    std::vector<TSlider*> faders;
    for (int i = 0; i < w->ComponentCount(); ++i)
        if (auto* slider = dynamic_cast<TSlider*>(w->Components(i)))
            faders.push_back(slider);
    return faders;
}

class AnalogInpCardsTest : public InputWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(AnalogInpCardsTest, EachCardGetsItsStripFadersNumberedByHandleAndItsOwnLinkBox) {
    const int cards = GetParam();
    UseRecordedCards(cards);
    auto* w = Open<TfrmAnalogInp>();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), "Analog Input");
    EXPECT_EQ(w->pnHeader->Visible(), cards > 1);
    const int pinned = cards == 1 ? 624 - 19 : 624;
    EXPECT_EQ(w->PinnedHeight(), pinned);
    EXPECT_EQ(w->Height(), pinned);
    EXPECT_EQ(w->pnMeters->Top(), cards == 1 ? 146 - 19 : 146);
    const MINMAXINFO info = w->GetMinMaxInfo();
    EXPECT_EQ(info.ptMinTrackSize.x, 155);
    EXPECT_EQ(info.ptMaxTrackSize.x, std::max(155, 140 * cards + 24));
    EXPECT_EQ(w->pnSliders->Width(), 133 + 140 * (cards - 1));
    EXPECT_EQ(w->MeterTable().size(), static_cast<std::size_t>(2 * cards));
    EXPECT_EQ(HandleFacts().size(), static_cast<std::size_t>(2 * cards));

    const auto faders = Faders(w);
    ASSERT_EQ(faders.size(), static_cast<std::size_t>(2 * cards));
    for (int n = 0; n < 2 * cards; ++n) {
        EXPECT_EQ(faders[n]->Number(), n);
        EXPECT_EQ(faders[n]->Name(), "Slider" + std::to_string(n));
        EXPECT_EQ(faders[n]->Left(), n % 2 == 0 ? 12 : 36) << n;
        EXPECT_EQ(faders[n]->Parent()->Left(), 140 * (n / 2)) << "the copied strip's panel";
        ASSERT_NE(faders[n]->LinkCheck(), nullptr);
        EXPECT_EQ(faders[n]->LinkCheck()->Parent(), faders[n]->Parent()) << "its own strip's box";
        EXPECT_EQ(faders[n]->Parent()->Tag(), n / 2);
    }
    const char* links[] = {"chkLink12", "chkLink34", "chkLink56", "chkLink78"};
    for (int k = 0; k < cards; ++k) {
        EXPECT_EQ(faders[2 * k]->LinkCheck()->Name(), links[k]);
        EXPECT_EQ(faders[2 * k]->LinkCheck()->Tag(), -1) << "persisted";
    }
    if (cards > 1) {
        EXPECT_EQ(w->pnHeader->Controls(cards - 1)->Caption(), "Karte #" + std::to_string(cards));
    }

    int bevels = 0;
    for (int i = 0; i < w->ComponentCount(); ++i)
        bevels +=
            dynamic_cast<TBevel*>(w->Components(i)) != nullptr && w->Components(i)->Owner() == w;
    EXPECT_EQ(bevels, 1) << "bvLine exists once";
    for (const auto& buttons : ButtonsLike(w, w->pnRouteParent)) {
        ASSERT_EQ(buttons.size(), 2u);
        EXPECT_EQ(buttons[0]->Tag(), 1);
        EXPECT_EQ(buttons[1]->Tag(), 2);
    }
    for (const auto& buttons : ButtonsLike(w, w->pnWhenToMonParent)) {
        ASSERT_EQ(buttons.size(), 3u);
        EXPECT_EQ(buttons[2]->Tag(), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(OneTwoFour, AnalogInpCardsTest, ::testing::Values(1, 2, 4));

TEST_F(InputWindowTest, TheShowReadsEachFadersOwnWordAndSendsNoGainBack) {
    UseRecordedCards(2);
    model->Card(0).gain = {0x6C00, 0xFF00};
    model->Card(1).gain = {0xC880, 0xC980}; // 200.5 and 201.5: halves go to the even neighbour
    auto* w = Open<TfrmAnalogInp>();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->ChangeGuard());
    const auto faders = Faders(w);
    std::vector<int> positions;
    for (TSlider* f : faders)
        positions.push_back(f->Position());
    EXPECT_EQ(positions, (std::vector<int>{108, 255, 200, 202}));
    const auto reads = SentOf(INMSG_GET_GAIN);
    ASSERT_EQ(reads.size(), 4u);
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(reads[n].entry, n);
        EXPECT_EQ(reads[n].param1, w->GainBlock().Address());
    }
    EXPECT_TRUE(SentOf(INMSG_SET_GAIN).empty());
}

TEST_F(InputWindowTest, AFaderChangeSendsBothGainWordsOfItsCardOnItsOwnHandle) {
    UseRecordedCards(2);
    auto* w = Open<TfrmAnalogInp>();
    ASSERT_NE(w, nullptr);
    const auto faders = Faders(w);
    auto* link34 = dynamic_cast<TControl*>(w->FindComponent("chkLink34"));
    ASSERT_NE(link34, nullptr);
    ASSERT_TRUE(UserInput::Click(link34));
    ASSERT_FALSE(faders[3]->LinkCheck()->Checked());
    faders[2]->SetPosition(150);
    ClearSent();

    faders[3]->SetPosition(200); // the right fader of card 1, channel 3
    EXPECT_EQ(SentOf(INMSG_SET_GAIN), (std::vector<Sent>{{3, 0xC8009600}}));
    EXPECT_EQ(model->Card(1).gain, (std::array<std::uint16_t, 2>{0x9600, 0xC800}));
    EXPECT_EQ(faders[2]->Position(), 150) << "unlinked: the left fader stays";

    faders[2]->SetPosition(108);
    faders[3]->SetPosition(150);
    ClearSent();
    faders[2]->SetPosition(200); // the left one from 108 to 200, the right one at 150
    EXPECT_EQ(SentOf(INMSG_SET_GAIN), (std::vector<Sent>{{2, 0x9600C800}}));
    EXPECT_EQ(model->Card(0).gain, (std::array<std::uint16_t, 2>{0xBB00, 0xBB00}))
        << "card 0 untouched";
}

TEST_F(InputWindowTest, ALinkedPairMovesTogetherAndCheckingTheBoxAlignsIt) {
    UseRecordedCards(2);
    model->Card(1).gain = {0x8000, 0xA000};
    auto* w = Open<TfrmAnalogInp>();
    ASSERT_NE(w, nullptr);
    const auto faders = Faders(w);
    TCheckBox* link = faders[2]->LinkCheck();
    ASSERT_TRUE(link->Checked());
    EXPECT_EQ(faders[2]->Position(), 128) << "the driver's gains, though linked";
    EXPECT_EQ(faders[3]->Position(), 160);
    ClearSent();

    faders[3]->SetPosition(220);
    EXPECT_EQ(faders[2]->Position(), 220);
    EXPECT_EQ(SentOf(INMSG_SET_GAIN), (std::vector<Sent>{{3, 0xDC00DC00}}));

    ASSERT_TRUE(UserInput::Click(link));
    faders[2]->SetPosition(130);
    ClearSent();
    ASSERT_TRUE(UserInput::Click(link)); // checking aligns the right fader to the left one
    EXPECT_EQ(faders[3]->Position(), 130);
    EXPECT_EQ(SentOf(INMSG_SET_GAIN), (std::vector<Sent>{{2, 0x82008200}, {3, 0x82008200}}));
    ClearSent();
    ASSERT_TRUE(UserInput::Click(link));
    EXPECT_TRUE(SentOf(INMSG_SET_GAIN).empty()) << "clearing sends nothing";
}

TEST_F(InputWindowTest, TheMonitorButtonsFollowTheCardsStateAndSendTheirByte) {
    UseRecordedCards(2);
    model->Card(0).monitor[kAnalog] = {0, 0, 0, 0};
    model->Card(1).monitor[kAnalog] = {9, 2, 1, 7};
    auto* w = Open<TfrmAnalogInp>();
    ASSERT_NE(w, nullptr);
    const auto route = ButtonsLike(w, w->pnRouteParent);
    const auto when = ButtonsLike(w, w->pnWhenToMonParent);
    EXPECT_FALSE(route[0][0]->Checked()) << "byte 1 of 0 checks no destination";
    EXPECT_FALSE(route[0][1]->Checked());
    EXPECT_TRUE(when[0][0]->Checked()) << "condition 0: never";
    EXPECT_TRUE(route[1][1]->Checked());
    EXPECT_TRUE(when[1][1]->Checked());
    // Each button checked at the show sends the unchanged state back once.
    EXPECT_EQ(SentOf(INMSG_GET_MONITOR).size(), 2u);
    EXPECT_EQ(SentOf(INMSG_SET_MONITOR),
              (std::vector<Sent>{{2, 0x07010209}, {0, 0x00000000}, {2, 0x07010209}}));

    ClearSent();
    ASSERT_TRUE(UserInput::Click(route[1][0]));
    EXPECT_EQ(SentOf(INMSG_SET_MONITOR), (std::vector<Sent>{{2, 0x07010109}}));
    ASSERT_TRUE(UserInput::Click(when[0][2]));
    EXPECT_EQ(SentOf(INMSG_SET_MONITOR).back(), (Sent{0, 0x00020000}));
    EXPECT_EQ(model->Card(1).monitor[kAnalog], (simcard::SimulatedCard::Bytes4{9, 1, 1, 7}));
    EXPECT_EQ(model->Card(0).monitor[kAnalog], (simcard::SimulatedCard::Bytes4{0, 0, 2, 0}));
    EXPECT_EQ(w->MonitorStateOf(1).Packed(), 0x07010109u);
}

TEST_F(InputWindowTest, HidingMetersAndFadersTakesTheNumbersRowAndThenTheGroundPanel) {
    UseRecordedCards(2);
    auto* w = Open<TfrmAnalogInp>();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(UserInput::Click(w->chkPeakMeter));
    EXPECT_FALSE(w->Metering());
    EXPECT_EQ(w->pnSliders->Top(), 331 - 185);
    EXPECT_TRUE(w->pnNumbers->Visible()) << "the faders still use it";
    EXPECT_EQ(w->PinnedHeight(), 624 - 185);

    ASSERT_TRUE(UserInput::Click(w->chkGainSlider));
    EXPECT_FALSE(w->pnNumbers->Visible());
    EXPECT_FALSE(w->bvLine->Visible());
    EXPECT_TRUE(w->grpInput->Visible());
    EXPECT_EQ(w->grpInput->Height(), 531 - 185 - 160 - 20);
    EXPECT_EQ(w->PinnedHeight(), 624 - 185 - 160 - 20);

    ASSERT_TRUE(UserInput::Click(w->chkRouting));
    EXPECT_FALSE(w->grpInput->Visible());
    EXPECT_TRUE(w->pnChecks->Visible());
    const int onlyChecks = 624 - 531;
    EXPECT_EQ(w->PinnedHeight(), onlyChecks);
    EXPECT_EQ(w->Height(), onlyChecks);

    ASSERT_TRUE(UserInput::Click(w->chkGainSlider));
    EXPECT_TRUE(w->grpInput->Visible());
    EXPECT_TRUE(w->pnNumbers->Visible());
    EXPECT_TRUE(w->bvLine->Visible());
    EXPECT_EQ(w->PinnedHeight(), onlyChecks + 531 - 185 - 122);
    ASSERT_TRUE(UserInput::Click(w->chkPeakMeter));
    ASSERT_TRUE(UserInput::Click(w->chkRouting));
    EXPECT_TRUE(w->Metering());
    EXPECT_EQ(w->PinnedHeight(), 624);
    EXPECT_EQ(w->Height(), 624);
    EXPECT_EQ(w->grpInput->Height(), 531);
    EXPECT_EQ(w->pnMeters->Top(), 146);
    EXPECT_EQ(w->pnNumbers->Top(), 493);
}

TEST_F(InputWindowTest, TheLinkBoxesOfEveryCardArePersistedUnderTheirOwnNames) {
    UseRecordedCards(3);
    PutIni("[Analog Input]\nchkLink34=0\nchkRouting=0\n");
    auto* w = Open<TfrmAnalogInp>();
    ASSERT_NE(w, nullptr);
    const auto faders = Faders(w);
    EXPECT_TRUE(faders[0]->LinkCheck()->Checked());
    EXPECT_FALSE(faders[2]->LinkCheck()->Checked());
    EXPECT_TRUE(faders[4]->LinkCheck()->Checked());
    EXPECT_FALSE(w->pnInpMon->Visible());
    EXPECT_EQ(w->PinnedHeight(), 624 - 122);
    EXPECT_TRUE(SentOf(INMSG_SET_GAIN).empty()) << "clearing a link box sends nothing";
    faders[3]->SetPosition(240);
    EXPECT_NE(faders[2]->Position(), 240) << "card 1 is unlinked now";

    ASSERT_TRUE(UserInput::CloseWindow(w));
    app.ProcessMessages();
    const std::string ini = GetIni();
    for (const char* key : {"pnChecks=1", "chkPeakMeter=1", "chkGainSlider=1", "chkRouting=0",
                            "chkLink12=1", "chkLink34=0", "chkLink56=1", "Hints="})
        EXPECT_NE(ini.find(key), std::string::npos) << key;
    EXPECT_EQ(ini.find("chkLink78"), std::string::npos) << "no fourth card";
    EXPECT_EQ(ini.find("Slider0"), std::string::npos) << "fader positions come from the driver";
}

TEST_F(InputWindowTest, ARefusedOrOutOfRangeGainNeitherMovesAFaderWronglyNorFailsTheShow) {
    UseRecordedCards(1);
    model->Card(0).gain = {0xFFFF, 0x0100};
    auto* w = new TfrmAnalogInp(hub);
    window = w;
    ASSERT_TRUE(w->Ready());
    w->Show();
    const auto faders = Faders(w);
    EXPECT_EQ(faders[0]->Position(), 255) << "beyond the travel: its nearest end";
    EXPECT_EQ(faders[1]->Position(), 108);
    EXPECT_TRUE(w->ChangeGuard());
    EXPECT_TRUE(w->Metering()) << "the show ran to its end";
    UserInput::CloseWindow(w);
    app.ProcessMessages();

    model->Card(0).gain = {0x9000, 0xA000};
    w = new TfrmAnalogInp(hub);
    window = w;
    Refuse(1, INMSG_GET_GAIN);
    w->Show();
    const auto again = Faders(w);
    EXPECT_EQ(again[0]->Position(), 0x90);
    EXPECT_EQ(again[1]->Position(), 108) << "not the left channel's word left in the block";
}

TEST_F(InputWindowTest, MetersReadTheFirstHandleOfEachCard) {
    UseRecordedCards(2);
    Silence();
    model->Card(1).input[kAnalog] = simcard::Signal::Sine(-6, 1000);
    auto* w = Open<TfrmAnalogInp>();
    ASSERT_NE(w, nullptr);
    ClearSent();
    Run(100);
    const auto reads = SentOf(INMSG_METER_READ);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].entry, 0);
    EXPECT_EQ(reads[1].entry, 2);
    EXPECT_EQ(LitMeters(w), 2);
    EXPECT_GT(w->MeterTable()[2]->LitCount(), 0);
}

} // namespace
