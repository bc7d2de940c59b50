// The digital input window on the in-process card: strips per card with their rate labels, the
// rate once a second, the input select and monitor choices, the sections, the persisted state.

#include "windows/DigInp.h"

#include "InputWindowFixture.h"
#include "controls/ExtControls.h"
#include "toolkit/TBevel.h"
#include "toolkit/TPanel.h"
#include "toolkit/TTimer.h"
#include "toolkit/UserInput.h"

namespace {

using simcard::kDigital;

std::vector<std::string> Rates(const TfrmDigInp* w) {
    std::vector<std::string> rates;
    for (int k = 0; k < w->Cards(); ++k)
        rates.push_back(w->RateLabel(k)->Caption());
    return rates;
}

class DigInpCardsTest : public InputWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(DigInpCardsTest, EachCardGetsItsStripAndItsRateLabel) {
    const int cards = GetParam();
    UseRecordedCards(cards);
    auto* w = Open<TfrmDigInp>();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), "Digital Input");
    const int pinned = cards == 1 ? 537 - 19 : 537;
    EXPECT_EQ(w->PinnedHeight(), pinned);
    EXPECT_EQ(w->Height(), pinned);
    EXPECT_EQ(w->pnLevel->Top(), cards == 1 ? 228 - 19 : 228);
    const MINMAXINFO info = w->GetMinMaxInfo();
    EXPECT_EQ(info.ptMinTrackSize.x, 155);
    EXPECT_EQ(info.ptMaxTrackSize.x, std::max(155, 134 * cards + 20));
    EXPECT_EQ(w->pnLevel->Width(), 134 + 134 * (cards - 1));
    EXPECT_EQ(w->MeterTable().size(), static_cast<std::size_t>(2 * cards));
    EXPECT_EQ(HandleFacts().size(), static_cast<std::size_t>(2 * cards));
    for (int k = 0; k < cards; ++k) {
        TLabel* rate = w->RateLabel(k);
        ASSERT_NE(rate, nullptr) << k;
        EXPECT_EQ(rate->Tag(), k + 1);
        EXPECT_EQ(rate->Left(), 82 + 134 * k);
        EXPECT_EQ(rate->Caption(), "44100 Hz") << "until the first tick";
    }
    int bevels = 0;
    for (int i = 0; i < w->ComponentCount(); ++i)
        bevels += dynamic_cast<TBevel*>(w->Components(i)) != nullptr;
    EXPECT_EQ(bevels, 1) << "bvLine exists once";
    for (const auto& buttons : ButtonsLike(w, w->pnInpSelParent)) {
        ASSERT_EQ(buttons.size(), 3u);
        EXPECT_EQ(buttons[0]->Tag(), 1);
        EXPECT_EQ(buttons[2]->Tag(), 3);
    }
}

INSTANTIATE_TEST_SUITE_P(OneTwoFour, DigInpCardsTest, ::testing::Values(1, 2, 4));

TEST_F(InputWindowTest, TheRateIsAskedOnceASecondPerCardAndShownOrNoLock) {
    UseRecordedCards(2);
    model->Card(0).rates = {0, 48000, 44100};  // electrical selected: 48000
    model->Card(1).rates = {0, 0, 0x80000000}; // electrical unlocked
    auto* w = Open<TfrmDigInp>();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->RateTimer->Enabled());
    Run(990);
    EXPECT_TRUE(SentOf(INMSG_GET_RATE).empty());
    EXPECT_EQ(Rates(w), (std::vector<std::string>{"44100 Hz", "44100 Hz"}));
    Run(10);
    const auto reads = SentOf(INMSG_GET_RATE);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0], (Sent{0, w->RateBlock().Address()}));
    EXPECT_EQ(reads[1], (Sent{2, w->RateBlock().Address()}));
    EXPECT_EQ(Rates(w), (std::vector<std::string>{"48000 Hz", "No Lock"}));

    // Card 1 switches to its CD input: an unsigned rate beyond 2^31 still reads as it is.
    ASSERT_TRUE(UserInput::Click(ButtonsLike(w, w->pnInpSelParent)[1][2]));
    EXPECT_EQ(model->Card(1).SelectedInput(), 3);
    Run(1000);
    EXPECT_EQ(Rates(w), (std::vector<std::string>{"48000 Hz", "2147483648 Hz"}));
    EXPECT_EQ(SentOf(INMSG_GET_RATE).size(), 4u);
}

TEST_F(InputWindowTest, ARefusedRateReadKeepsTheCardsLabelRatherThanShowAnotherCardsRate) {
    UseRecordedCards(2);
    model->Card(0).rates = {0, 96000, 0};
    model->Card(1).rates = {0, 32000, 0};
    auto* w = Open<TfrmDigInp>();
    ASSERT_NE(w, nullptr);
    Run(1000);
    EXPECT_EQ(Rates(w), (std::vector<std::string>{"96000 Hz", "32000 Hz"}));
    Refuse(2, INMSG_GET_RATE);
    model->Card(1).rates = {0, 0, 0};
    Run(1000);
    EXPECT_EQ(Rates(w), (std::vector<std::string>{"96000 Hz", "32000 Hz"}));
}

TEST_F(InputWindowTest, TheInputSelectAndMonitorButtonsFollowTheStateAndSendTheirBytes) {
    UseRecordedCards(2);
    model->Card(0).monitor[kDigital] = {5, 1, 2, 0x44};
    model->Card(1).monitor[kDigital] = {1, 0, 0, 0};
    auto* w = Open<TfrmDigInp>();
    ASSERT_NE(w, nullptr);
    const auto select = ButtonsLike(w, w->pnInpSelParent);
    const auto route = ButtonsLike(w, w->pnRouteParent);
    const auto when = ButtonsLike(w, w->pnWhenToMonParent);
    for (TRadioButton* b : select[0])
        EXPECT_FALSE(b->Checked()) << "input select 5 is no input";
    EXPECT_TRUE(select[1][0]->Checked());
    EXPECT_TRUE(route[0][0]->Checked());
    EXPECT_FALSE(route[1][0]->Checked());
    EXPECT_FALSE(route[1][1]->Checked());
    EXPECT_TRUE(when[0][2]->Checked());
    EXPECT_TRUE(when[1][0]->Checked());
    EXPECT_EQ(
        SentOf(INMSG_SET_MONITOR),
        (std::vector<Sent>{{2, 0x00000001}, {0, 0x44020105}, {0, 0x44020105}, {2, 0x00000001}}));

    ClearSent();
    ASSERT_TRUE(UserInput::Click(select[0][1]));
    ASSERT_TRUE(UserInput::Click(route[1][1]));
    ASSERT_TRUE(UserInput::Click(when[1][1]));
    EXPECT_EQ(SentOf(INMSG_SET_MONITOR),
              (std::vector<Sent>{{0, 0x44020102}, {2, 0x00000201}, {2, 0x00010201}}));
    EXPECT_EQ(model->Card(0).monitor[kDigital], (simcard::SimulatedCard::Bytes4{2, 1, 2, 0x44}));
    EXPECT_EQ(model->Card(1).monitor[kDigital], (simcard::SimulatedCard::Bytes4{1, 2, 1, 0}));
    EXPECT_EQ(model->Card(0).monitor[simcard::kAnalog][1], 1) << "the analog state untouched";
}

TEST_F(InputWindowTest, HidingTheInputSectionLiftsTheMetersAndHidingThemLeavesTheControlPanel) {
    UseRecordedCards(2);
    auto* w = Open<TfrmDigInp>();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(UserInput::Click(w->chkInpSelRate));
    EXPECT_FALSE(w->pnInpStat->Visible());
    EXPECT_EQ(w->pnLevel->Top(), 228 - 204);
    EXPECT_EQ(w->PinnedHeight(), 537 - 204);
    EXPECT_TRUE(w->Metering());

    ASSERT_TRUE(UserInput::Click(w->chkPeakMeter));
    EXPECT_FALSE(w->Metering());
    EXPECT_FALSE(w->bvLine->Visible());
    EXPECT_FALSE(w->pnGround->Visible());
    EXPECT_TRUE(w->pnChecks->Visible());
    EXPECT_EQ(w->PinnedHeight(), 537 - 457);
    EXPECT_EQ(w->Height(), 537 - 457);

    ASSERT_TRUE(UserInput::ChooseSystemMenuItem(w, " &Peak Meter"));
    EXPECT_TRUE(w->Metering());
    EXPECT_TRUE(w->bvLine->Visible());
    ASSERT_TRUE(UserInput::ChooseSystemMenuItem(w, " Monitoring / &Routing"));
    EXPECT_EQ(w->pnLevel->Top(), 228);
    EXPECT_EQ(w->PinnedHeight(), 537);
    EXPECT_EQ(w->Height(), 537);
}

TEST_F(InputWindowTest, TheDigitalInputSectionKeepsItsDisplayBoxesAndPlacement) {
    UseRecordedCards(1);
    PutIni("[Digital Input]\nchkInpSelRate=0\nLeft=300\n");
    auto* w = Open<TfrmDigInp>();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->pnInpStat->Visible());
    EXPECT_EQ(w->Left(), 300);
    EXPECT_EQ(w->PinnedHeight(), 537 - 19 - 204);
    EXPECT_EQ(w->Height(), w->PinnedHeight());
    ASSERT_TRUE(UserInput::CloseWindow(w));
    app.ProcessMessages();
    EXPECT_EQ(window, nullptr);
    EXPECT_TRUE(model->Handles().empty());
    const std::string ini = GetIni();
    for (const char* key : {"[Digital Input]", "pnChecks=1", "chkPeakMeter=1", "chkInpSelRate=0",
                            "Left=300", "Top=44", "Width=155", "Hints="})
        EXPECT_NE(ini.find(key), std::string::npos) << key;
}

} // namespace
