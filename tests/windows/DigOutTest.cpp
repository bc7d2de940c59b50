#include "windows/DigOut.h"

#include "OutputWindowFixture.h"
#include "controls/ExtControls.h"
#include "toolkit/TPanel.h"
#include "toolkit/TTimer.h"
#include "toolkit/UserInput.h"

namespace {

constexpr int kAnalog = simcard::kAnalog;
constexpr int kDigital = simcard::kDigital;

class DigOutCardsTest : public OutputWindowTest, public ::testing::WithParamInterface<int> {};

// Card k starts on route k % 4 with a format word of its own, professional on odd cards.
TEST_P(DigOutCardsTest, LimitsAndEveryCardsRouteAndFormatSentBackAtShow) {
    const int cards = GetParam();
    UseCards(cards);
    for (int card = 0; card < cards; ++card) {
        SetRoute(card, kDigital, {static_cast<std::uint8_t>(card % 4), 3, 4, 0x77});
        model->Card(card).format = 0x05u + 0x100u * card + (card % 2 ? 0x10u : 0u);
    }
    auto* w = Open<TfrmDigOut>();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), "Digital Output");

    const int pinned = cards == 1 ? 475 - 21 : 475;
    EXPECT_EQ(w->PinnedHeight(), pinned);
    EXPECT_EQ(w->pnHeader->Visible(), cards > 1);
    MINMAXINFO info = w->GetMinMaxInfo();
    EXPECT_EQ(info.ptMinTrackSize.x, 161);
    EXPECT_EQ(info.ptMaxTrackSize.x, 161 * cards + 20);
    EXPECT_EQ(info.ptMaxSize.x, 161 * cards + 20);
    w->SetWidth(5000);
    EXPECT_EQ(w->Width(), 161 * cards + 20);
    EXPECT_EQ(w->pnLevel->Width(), 143 * cards);
    ASSERT_EQ(w->MeterTable().size(), static_cast<std::size_t>(2 * cards));

    std::vector<Sent> routes, formats;
    for (int card = 0; card < cards; ++card) {
        const DWORD word = 0x05u + 0x100u * card + (card % 2 ? 0x10u : 0u);
        routes.push_back(Route(card, kDigital, 0x77040300u | static_cast<std::uint32_t>(card % 4)));
        formats.push_back(Route(card, kDigital, word));
        EXPECT_TRUE(w->RouteButton(card, card % 4)->Checked());
        EXPECT_TRUE(w->FormatButton(card, card % 2)->Checked());
        EXPECT_FALSE(w->FormatButton(card, 1 - card % 2)->Checked());
        EXPECT_EQ(w->FormatButton(card, 0)->Parent()->Tag(), card);
        EXPECT_EQ(w->FormatWord(card), word);
        EXPECT_EQ(model->Card(card).format, word);
    }
    EXPECT_EQ(SentOf("OUTMSG_SET_ROUTE"), routes);
    EXPECT_EQ(SentOf("OUTMSG_SET_FORMAT"), formats);
    EXPECT_EQ(MeteringOn(0, WaveDirection::Out, kDigital), 1) << "card 0 plays applications";
    if (cards >= 2) {
        EXPECT_EQ(MeteringOn(1, WaveDirection::Out, kAnalog), 2) << "the analog output's signal";
    }
    if (cards >= 4) {
        EXPECT_EQ(MeteringOn(2, WaveDirection::In, kAnalog), 2);
        EXPECT_EQ(MeteringOn(3, WaveDirection::In, kDigital), 2);
    }
    UserInput::CloseWindow(w);
    app.ProcessMessages();
    EXPECT_TRUE(model->Handles().empty());
}

INSTANTIATE_TEST_SUITE_P(OneTwoFour, DigOutCardsTest, ::testing::Values(1, 2, 4));

TEST_F(OutputWindowTest, TheFormatChoiceSetsOnlyBit10OfThatCardsOwnWord) {
    UseCards(2);
    model->Card(0).format = 0x05;
    model->Card(1).format = 0x0C;
    auto* w = Open<TfrmDigOut>();
    ASSERT_NE(w, nullptr);
    model->ClearTrace();

    ASSERT_TRUE(UserInput::Click(w->FormatButton(0, 1)));
    EXPECT_EQ(model->Card(0).format, 0x15u) << "card 1 was read last; card 0 keeps its own bits";
    ASSERT_TRUE(UserInput::Click(w->FormatButton(0, 0)));
    EXPECT_EQ(model->Card(0).format, 0x05u);
    ASSERT_TRUE(UserInput::Click(w->FormatButton(1, 1)));
    EXPECT_EQ(model->Card(1).format, 0x1Cu);
    EXPECT_EQ(SentOf("OUTMSG_SET_FORMAT"),
              (std::vector<Sent>{Route(0, kDigital, 0x15), Route(0, kDigital, 0x05),
                                 Route(1, kDigital, 0x1C)}));
    EXPECT_EQ(ReadFormatBlock(w->FormatBlock().Flat()), 0x1Cu) << "the block holds the last sent";
    EXPECT_TRUE(w->RouteButton(0, 0)->Checked()) << "format buttons are not route buttons";

    // A format changed elsewhere is not polled.
    model->Card(0).format = 0x15;
    Run(2000);
    EXPECT_TRUE(w->FormatButton(0, 0)->Checked());
}

TEST_F(OutputWindowTest, TheDigitalRouteGoesToTheDriverFirstAndFallsBackSilently) {
    UseCards(1);
    auto* w = Open<TfrmDigOut>();
    ASSERT_NE(w, nullptr);
    model->ClearTrace();

    ASSERT_TRUE(UserInput::Click(w->btnAnaInp));
    EXPECT_EQ(model->Card(0).route[kDigital][0], 2);
    EXPECT_EQ(MeteringOn(0, WaveDirection::In, kAnalog), 2);
    const auto& trace = model->Trace();
    ASSERT_GE(trace.size(), 2u);
    EXPECT_NE(trace[0].find("OUTMSG_SET_ROUTE"), std::string::npos) << trace[0];
    EXPECT_NE(trace[1].find("OUTMSG_METER_OFF"), std::string::npos) << trace[1];

    // The analog output's device cannot be opened: the route falls back without a message.
    model->Card(0).openFails[int(WaveDirection::Out)][kAnalog] = true;
    model->ClearTrace();
    ASSERT_TRUE(UserInput::Click(w->btnAnaOut));
    EXPECT_TRUE(boxes->History().empty());
    EXPECT_TRUE(w->btnAnaInp->Checked());
    EXPECT_EQ(w->ActiveControl(), w->btnAnaInp);
    EXPECT_EQ(SentOf("OUTMSG_SET_ROUTE"),
              (std::vector<Sent>{Route(0, kDigital, 0x00010001), Route(0, kDigital, 0x00010002)}));
    EXPECT_EQ(model->Card(0).route[kDigital][0], 2);
    EXPECT_EQ(MeteringOn(0, WaveDirection::In, kAnalog), 2);
    EXPECT_TRUE(w->Metering());
    EXPECT_TRUE(w->SecTimer->Enabled());
}

TEST_F(OutputWindowTest, TheDigitalRoutePollFollowsAnotherProgram) {
    UseCards(2);
    auto* w = Open<TfrmDigOut>();
    ASSERT_NE(w, nullptr);
    SetRoute(1, kDigital, {3, 0, 1, 0});
    Run(1000);
    EXPECT_TRUE(w->btnProgram->Checked()) << "card 0 unchanged";
    EXPECT_TRUE(w->RouteButton(1, 3)->Checked());
    EXPECT_EQ(MeteringOn(1, WaveDirection::In, kDigital), 2);
    EXPECT_EQ(MeteringOn(1, WaveDirection::Out, kDigital), 0);
    EXPECT_EQ(w->RememberedRouteButton(1), w->RouteButton(1, 3));
}

} // namespace
