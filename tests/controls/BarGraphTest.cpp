#include "MeterFixture.h"
#include "controls/TBarGraph.h"
#include "toolkit/Exceptions.h"

namespace {

using BarGraphTest = MeterTest;

TEST_F(BarGraphTest, ALampSwitchesBetweenItsColoursAndRepaintsOnlyOnARealChange) {
    RepaintCounter counter;
    SetBackendObserver(&counter);
    auto* form = NewForm();
    auto* lumi = new TLumi(form);
    lumi->SetParent(form);
    EXPECT_EQ(lumi->Width(), 16);
    EXPECT_EQ(lumi->Height(), 6);
    EXPECT_EQ(lumi->BrushColor(), clGray);
    EXPECT_EQ(lumi->PenColor(), clBlack);
    form->Show();

    lumi->SetOn(false);
    EXPECT_EQ(counter.Total(), 0);
    lumi->SetOn(true);
    EXPECT_EQ(lumi->BrushColor(), clLime);
    lumi->SetOn(true);
    EXPECT_EQ(counter.repaints[lumi], 1);

    // A new colour waits for the next switch.
    lumi->SetColorOn(clRed);
    lumi->SetColorOff(clBlack);
    EXPECT_EQ(lumi->BrushColor(), clLime);
    EXPECT_EQ(counter.repaints[lumi], 1);
    lumi->SetOn(false);
    EXPECT_EQ(lumi->BrushColor(), clBlack);
    lumi->SetOn(true);
    EXPECT_EQ(lumi->BrushColor(), clRed);
    EXPECT_EQ(counter.repaints[lumi], 3);
}

TEST_F(BarGraphTest, TheDefaultBarHolds32OverlappingLampsBottomFirst) {
    auto* bar = new TBarGraph(&app);
    EXPECT_EQ(bar->BevelOuter(), bvLowered);
    EXPECT_EQ(bar->Width(), 18);
    EXPECT_EQ(bar->Height(), 164);
    EXPECT_EQ(bar->LevelMax(), 65535);
    ASSERT_EQ(bar->LumiCount(), 32);
    ASSERT_EQ(bar->ControlCount(), 32);
    for (int i = 0; i < 32; ++i) {
        TLumi* lumi = bar->Lumis(i);
        EXPECT_EQ(bar->Controls(i), lumi);
        EXPECT_EQ(lumi->Owner(), bar);
        EXPECT_EQ(lumi->BoundsRect(), Bounds(1, 164 - 6 - 2 - i * 5, 15, 6)) << i;
        EXPECT_EQ(lumi->ColorOn(), clLime);
        EXPECT_FALSE(lumi->On());
    }
}

TEST_F(BarGraphTest, ARisingLevelLightsFromTheOldTopToItsLampAndNeverDarkens) {
    auto* bar = new TBarGraph(&app);
    bar->SetHeight(163);
    bar->SetLumiHeight(5);
    bar->SetLevelMax(78); // 2 steps per lamp over 39 lamp steps: halves fall on even lamps
    ASSERT_EQ(bar->LumiCount(), 40);

    bar->SetLevel(1); // 0.5 rounds to lamp 0, which is the top at rest: nothing lights
    EXPECT_EQ(Lamps(bar), Column(-1));
    bar->SetLevel(3); // 1.5 rounds to 2
    EXPECT_EQ(Lamps(bar), Column(2));
    EXPECT_EQ(bar->TopIndex(), 2);
    bar->SetLevel(5); // 2.5 rounds to 2 again
    EXPECT_EQ(Lamps(bar), Column(2));
    bar->SetLevel(7); // 3.5 rounds to 4
    EXPECT_EQ(Lamps(bar), Column(4));
    bar->SetLevel(0);
    EXPECT_EQ(bar->Level(), 0);
    EXPECT_EQ(Lamps(bar), Column(4));

    bar->SetLevel(79); // past the maximum: ignored entirely
    EXPECT_EQ(bar->Level(), 0);
    EXPECT_EQ(Lamps(bar), Column(4));
    bar->SetLevel(78);
    EXPECT_EQ(Lamps(bar), Column(39));
    EXPECT_EQ(bar->TopIndex(), 39);
}

TEST_F(BarGraphTest, OnLightsTheWholeColumnAndOffDarkensNothing) {
    auto* bar = new TBarGraph(&app);
    bar->SetOn(true);
    EXPECT_TRUE(bar->On());
    EXPECT_EQ(bar->LitCount(), 32);
    bar->SetOn(false);
    EXPECT_FALSE(bar->On());
    EXPECT_EQ(bar->Level(), 0);
    EXPECT_EQ(bar->LitCount(), 32);
}

TEST_F(BarGraphTest, ResizingMovesTheLampsOrBuildsThemAnewWhenTheCountNoLongerFits) {
    auto* bar = new TBarGraph(&app);
    bar->SetLevel(65535);
    TLumi* bottom = bar->Lumis(0);

    bar->SetBounds(0, 0, 30, 165); // 32 lamps still fit: moved and widened
    EXPECT_EQ(bar->Lumis(0), bottom);
    EXPECT_EQ(bar->Lumis(31)->BoundsRect(), Bounds(1, 165 - 6 - 2 - 31 * 5, 27, 6));
    EXPECT_EQ(bar->LitCount(), 32);

    bar->SetHeight(100); // 100 div 5 = 20 lamps, dark, and the column at rest inside them
    ASSERT_EQ(bar->LumiCount(), 20);
    EXPECT_EQ(bar->LitCount(), 0);
    EXPECT_EQ(bar->TopIndex(), 0);
    EXPECT_EQ(bar->Lumis(19)->Width(), 27);
    bar->SetLevel(65535 / 2); // 9.4999 of 19 steps
    EXPECT_EQ(Lamps(bar), Column(9, -1, 20));

    // _On is applied again to the new lamps.
    bar->SetOn(true);
    bar->SetHeight(60);
    EXPECT_EQ(bar->LitCount(), 12);
    EXPECT_EQ(bar->TopIndex(), 11);
}

TEST_F(BarGraphTest, ANewLampHeightBuildsTheLampsAnewAtRest) {
    auto* bar = new TBarGraph(&app);
    bar->SetLumiColor(clAqua);
    bar->SetLevel(65535);
    bar->SetLumiHeight(9);
    ASSERT_EQ(bar->LumiCount(), 20);
    EXPECT_EQ(bar->ControlCount(), 20);
    EXPECT_EQ(bar->TopIndex(), 0);
    EXPECT_EQ(bar->LitCount(), 0);
    EXPECT_EQ(bar->Lumis(0)->ColorOn(), clAqua);
    EXPECT_EQ(bar->Lumis(0)->Height(), 9);
    bar->SetLevel(65535);
    EXPECT_EQ(bar->TopIndex(), 19);

    // Values the computations divide by are refused and change nothing.
    EXPECT_THROW(bar->SetLumiHeight(1), ERangeError);
    EXPECT_THROW(bar->SetLevelMax(0), ERangeError);
    EXPECT_EQ(bar->LumiHeight(), 9);
    EXPECT_EQ(bar->LevelMax(), 65535);
    EXPECT_EQ(bar->LumiCount(), 20);
}

TEST_F(BarGraphTest, ABarReadFromAWindowDescriptionBuildsItsLampsFromTheFinalSize) {
    class Designed : public TForm {
    public:
        explicit Designed(TComponent* owner) : TForm(owner) {
            LoadDesign([this] {
                bar = new TBarGraph(this);
                bar->SetParent(this);
                bar->SetHeight(163);
                bar->SetLumiHeight(5);
                bar->SetHeight(83);
            });
        }
        TBarGraph* bar = nullptr;
    };
    auto* form = new Designed(&app);
    ASSERT_EQ(form->bar->LumiCount(), 20);
    EXPECT_EQ(form->bar->ControlCount(), 20);
    EXPECT_EQ(form->bar->Lumis(19)->Top(), 83 - 5 - 2 - 19 * 4);
}

} // namespace
