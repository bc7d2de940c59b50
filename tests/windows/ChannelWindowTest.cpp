// The framework's rules that the ADAT windows do not use: the header of the strips, sections
// inside the ground panel, and blocks of a window's own. A small window with a header, a section
// of its own and a meter section, shaped like the input windows, exercises them.

#include "ChannelWindowFixture.h"
#include "controls/ExtControls.h"
#include "toolkit/TPanel.h"
#include "toolkit/TScrollBox.h"
#include "windows/MeterDesign.h"

namespace {

class TStripWindow : public TChannelWindow {
public:
    static ChannelWindowParams Params() {
        ChannelWindowParams params;
        params.kind = KindAnalog;
        params.handlesPerCard = 2;
        params.pairsPerCard = 1;
        params.stripWidth = 140;
        params.basePinnedHeight = 400;
        params.minTrackWidth = 155;
        params.maxTrackWidth = [](int cards) { return 140 * cards + 24; };
        return params;
    }

    explicit TStripWindow(TComponent* owner, bool failExtraBlock = false)
        : TChannelWindow(owner, Params()), failExtraBlock_(failExtraBlock) {
        LoadDesign([this] {
            SetCaption("Strip Test");
            SetBounds(0, 0, 155, 400);
            pnGround = Panel(this, "pnGround", 0, 0, 155, 340);
            pnGround->SetAlign(alTop);
            auto* box = new TScrollBox(this);
            box->SetName("ScrollBox");
            box->SetParent(pnGround);
            box->SetAlign(alClient);
            pnHeader = Panel(box, "pnHeader", 0, 0, 141, 19);
            pnHeader->SetAlign(alTop);
            lbLabel = new TExtLabel(this);
            lbLabel->SetName("lbLabel");
            lbLabel->SetParent(pnHeader);
            lbLabel->SetCaption("Karte #1");
            pnSection = Panel(box, "pnSection", 0, 19, 141, 100);
            pnSection->SetAlign(alTop);
            pnMeters = Panel(box, "pnMeters", 8, 125, 133, 185);
            DesignMeterPanel(this, pnMeters, "pnMeter12", 0, 0, "Meter1", "Meter2");
            pnChecks = Panel(this, "pnChecks", 0, 0, 155, 33);
            pnChecks->SetAlign(alClient);
            pnChecks->SetTag(-1);
        });
    }

    TPanel* pnGround = nullptr;
    TPanel* pnHeader = nullptr;
    TExtLabel* lbLabel = nullptr;
    TPanel* pnSection = nullptr;
    TPanel* pnMeters = nullptr;
    TPanel* pnChecks = nullptr;
    SharedBlock extraBlock;
    bool failCardBlocks = false;

    void ShowOwn() { ShowSection(pnSection, 100, {pnMeters}); }
    void HideOwn() { HideSection(pnSection, 100, {pnMeters}, {pnSection, pnMeters}); }
    void ShowMeters() { ShowSection(pnMeters, 185, {}); }
    void HideMeters() { HideSection(pnMeters, 185, {}, {pnSection, pnMeters}); }

protected:
    TPanel* ControlPanel() const override { return pnChecks; }
    TPanel* GroundPanel() const override { return pnGround; }
    TControl* MeterSection() const override { return pnMeters; }
    TPanel* HeaderPanel() const override { return pnHeader; }
    std::vector<StripContainer> StripContainers() override {
        return {
            {pnSection, true, {}}, {pnMeters, true, {}}, {pnHeader, false, HeaderLabelCallback()}};
    }
    std::vector<TObject*> SystemCommandTargets() const override { return {pnChecks}; }
    bool ObtainCardBlocks() override { return !failCardBlocks; }
    bool ObtainBlocks() override {
        const bool extra = ObtainBlock(extraBlock, failExtraBlock_ ? 0x20000 : 4);
        return ObtainBlock(peakBlock_, 8) && extra;
    }

private:
    TPanel* Panel(TWinControl* parent, const char* name, int left, int top, int width, int height) {
        auto* panel = new TPanel(this);
        panel->SetName(name);
        panel->SetParent(parent);
        panel->SetBounds(left, top, width, height);
        return panel;
    }

    bool failExtraBlock_;
};

TEST_F(ChannelWindowTest, WithOneCardTheHeaderGoesAndTheStripsMoveUp) {
    UseCards(1);
    auto* w = Open<TStripWindow>();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->pnHeader->Visible());
    EXPECT_EQ(w->PinnedHeight(), 400 - 19);
    EXPECT_EQ(w->Height(), 400 - 19);
    EXPECT_EQ(w->pnGround->Height(), 340 - 19);
    EXPECT_EQ(w->pnMeters->Top(), 125 - 19) << "not top-aligned: moved by hand";
    EXPECT_EQ(w->pnSection->Top(), 0) << "top-aligned: follows by itself";
    EXPECT_EQ(w->GetMinMaxInfo().ptMaxTrackSize.x, 164);
}

TEST_F(ChannelWindowTest, FurtherCardsGetNumberedHeadersAndTheirOwnPairs) {
    UseCards(3);
    auto* w = Open<TStripWindow>();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->pnHeader->Visible());
    EXPECT_EQ(w->PinnedHeight(), 400);
    ASSERT_EQ(w->pnHeader->ControlCount(), 3);
    EXPECT_EQ(w->pnHeader->Controls(1)->Caption(), "Karte #2");
    EXPECT_EQ(w->pnHeader->Controls(2)->Caption(), "Karte #3");
    EXPECT_EQ(w->pnHeader->Controls(2)->Left(), 280);
    EXPECT_EQ(w->pnMeters->Width(), 133 + 280);
    EXPECT_EQ(w->pnHeader->Width(), 8 + 133 + 280) << "aligned, it spans the scrolled strips";
    EXPECT_EQ(w->MeterTable().size(), 6u);

    model->ClearTrace();
    Run(100);
    std::vector<std::string> firstHandles;
    for (int card = 0; card < 3; ++card)
        firstHandles.push_back(DeviceOf(card, simcard::WaveDirection::In, 0));
    EXPECT_EQ(Traced("INMSG_METER_READ"), firstHandles) << "entries 0, 2 and 4";
    auto facts = HandleFacts();
    ASSERT_EQ(facts.size(), 6u);
    for (std::size_t i = 0; i < facts.size(); ++i)
        EXPECT_EQ(facts[i].meterOn, i % 2 == 0) << "entry " << i;
}

TEST_F(ChannelWindowTest, SectionsMoveWhatLiesBelowAndTheLastOneTakesTheGroundPanel) {
    UseCards(2);
    auto* w = Open<TStripWindow>();
    ASSERT_NE(w, nullptr);
    w->HideOwn();
    EXPECT_EQ(w->pnMeters->Top(), 25);
    EXPECT_EQ(w->pnGround->Height(), 240);
    EXPECT_EQ(w->PinnedHeight(), 300);
    EXPECT_EQ(w->Height(), 300);
    EXPECT_TRUE(w->pnGround->Visible());

    w->HideMeters();
    EXPECT_FALSE(w->pnGround->Visible()) << "no section left";
    EXPECT_EQ(w->PinnedHeight(), 400 - 100 - 185 - 55);
    EXPECT_EQ(w->Height(), w->PinnedHeight());

    w->ShowOwn();
    EXPECT_TRUE(w->pnGround->Visible());
    EXPECT_EQ(w->pnMeters->Top(), 125);
    EXPECT_EQ(w->PinnedHeight(), 400 - 185);
    w->ShowMeters();
    EXPECT_EQ(w->PinnedHeight(), 400);
    EXPECT_EQ(w->Height(), 400);
    EXPECT_EQ(w->pnGround->Height(), 340);
}

TEST_F(ChannelWindowTest, ABlockThatCannotBeHadLeavesTheWindowNotReadyAndFreesTheOthers) {
    UseCards(1);
    auto* w = new TStripWindow(hub, true);
    window = w;
    EXPECT_FALSE(w->Ready());
    EXPECT_TRUE(w->PeakBlock().Usable()) << "the other blocks were obtained";
    w->Show();
    EXPECT_FALSE(w->Metering()) << "a window that is not ready does nothing when shown";
    EXPECT_EQ(SystemMenuItemId(w, w->pnChecks), 0u) << "no system-menu items of its own";
    FreeAndNil(window);
    EXPECT_TRUE(model->Handles().empty());
}

// Its designed values are not the user's: closing a window that never became ready, whether a
// block failed at its creation or at its show, writes nothing.
TEST_F(ChannelWindowTest, AWindowThatNeverBecameReadyLeavesItsSavedSectionAsItWas) {
    UseCards(1);
    const std::string saved = "[Strip Test]\npnChecks=0\nHeight=323\n";
    PutIni(saved);
    for (bool atShow : {false, true}) {
        auto* w = new TStripWindow(hub, !atShow);
        w->failCardBlocks = atShow;
        window = w;
        w->Show();
        w->Close();
        FreeAndNil(window);
        EXPECT_EQ(GetIni(), saved) << (atShow ? "at show" : "at creation");
    }
}

} // namespace
