#include "MeterFixture.h"
#include "toolkit/Exceptions.h"

namespace {

using LevelMeterTest = MeterTest;

constexpr TColor kRed = 0x0000FF;
constexpr TColor kOrange = 0x0080FF;
constexpr TColor kGreen = 0x00FF00;

TEST_F(LevelMeterTest, ANewMeterHas32LampsColouredFromTheTopAndDefaultTiming) {
    auto* meter = new TLevelMeter(&app);
    EXPECT_EQ(meter->LevelMax(), 32767);
    EXPECT_EQ(meter->TimerInterval(), 50);
    EXPECT_EQ(meter->LevelMaxHold(), 2000);
    EXPECT_FALSE(meter->TimerEnable());
    EXPECT_EQ(meter->TimerId(), 0u);
    ASSERT_EQ(meter->LumiCount(), 32);
    for (int i = 0; i < 32; ++i) {
        const TColor expected = i >= 30 ? kRed : i >= 20 ? kOrange : kGreen;
        EXPECT_EQ(meter->Lumis(i)->ColorOn(), expected) << i;
    }
}

TEST_F(LevelMeterTest, RawValuesMapLogarithmicallyOntoTheDesignedColumn) {
    struct Example {
        int value, mapped, lamp;
    };
    for (Example e : {Example{100, 12, 1}, Example{1000, 89, 7}, Example{3277, 196, 15},
                      Example{10000, 338, 26}, Example{32767, 511, 39}}) {
        auto* meter = DesignedMeter(&app);
        ASSERT_EQ(meter->LumiCount(), 40);
        meter->SetLevel(e.value);
        EXPECT_EQ(meter->Level(), e.value);
        EXPECT_EQ(meter->MappedLevel(), e.mapped) << e.value;
        EXPECT_EQ(meter->TopIndex(), e.lamp) << e.value;
        EXPECT_EQ(Lamps(meter), Column(e.lamp)) << e.value;
        meter->Free();
    }
}

TEST_F(LevelMeterTest, TheDesignedColumnIsOneRedTwelveOrangeAndTheRestGreen) {
    auto* meter = DesignedMeter(&app);
    EXPECT_EQ(meter->Lumis(39)->ColorOn(), kRed);
    EXPECT_EQ(meter->Lumis(38)->ColorOn(), kOrange);
    EXPECT_EQ(meter->Lumis(27)->ColorOn(), kOrange);
    EXPECT_EQ(meter->Lumis(26)->ColorOn(), kGreen);
    meter->SetLevel(32767);
    EXPECT_EQ(meter->Lumis(39)->BrushColor(), kRed);
    EXPECT_EQ(meter->Lumis(30)->BrushColor(), kOrange);
    EXPECT_EQ(meter->Lumis(0)->BrushColor(), kGreen);
}

TEST_F(LevelMeterTest, AValuePastTheBarMaximumLightsNothingButIsShownAsTheLevel) {
    auto* meter = DesignedMeter(&app);
    meter->SetLevel(32876);
    EXPECT_EQ(meter->Level(), 32876);
    EXPECT_EQ(meter->LitCount(), 0);
    EXPECT_EQ(meter->TopIndex(), 0);
    meter->SetLevel(32875); // still maps to 511
    EXPECT_EQ(meter->TopIndex(), 39);
}

TEST_F(LevelMeterTest, ZeroAndBelowLightNothingDarkenNothingAndReArmTheHoldAtThePeak) {
    auto* meter = DesignedMeter(&app);
    meter->SetLevel(-5);
    EXPECT_EQ(meter->Level(), -5);
    EXPECT_EQ(meter->LitCount(), 0);
    EXPECT_EQ(meter->HoldTicks(), 75);

    meter->SetLevel(3277);
    for (int i = 0; i < 10; ++i)
        Tick(meter);
    EXPECT_EQ(meter->HoldTicks(), 65);
    meter->SetLevel(0); // the column (top 5) is below the peak: the hold runs on
    EXPECT_EQ(meter->HoldTicks(), 65);
    EXPECT_EQ(meter->TopIndex(), 5);
    EXPECT_EQ(Lamps(meter), Column(5, 15));

    meter->SetLevel(10000); // higher: lights from the top up, moves the peak and re-arms
    EXPECT_EQ(meter->PeakLumi(), 26);
    EXPECT_EQ(meter->HoldTicks(), 75);
    EXPECT_EQ(Lamps(meter), Column(26));
    meter->SetLevel(1000); // lower than the top: lights nothing
    EXPECT_EQ(Lamps(meter), Column(26));
}

TEST_F(LevelMeterTest, TheHeldPeakStaysLitWhileTheColumnFallsOneLampPerTick) {
    auto* meter = DesignedMeter(&app);
    meter->SetLevel(3277);
    ASSERT_EQ(meter->PeakLumi(), 15);
    ASSERT_EQ(meter->HoldTicks(), 3000 / 40);

    // classic behaviour: the first tick darkens the lamp under the held one, the second darkens
    // that same lamp again.
    EXPECT_EQ(Tick(meter), 1);
    EXPECT_EQ(meter->TopIndex(), 14);
    EXPECT_EQ(Lamps(meter), Column(13, 15));
    Tick(meter);
    EXPECT_EQ(meter->TopIndex(), 13);
    EXPECT_EQ(Lamps(meter), Column(13, 15));
    Tick(meter);
    EXPECT_EQ(meter->TopIndex(), 12);
    EXPECT_EQ(Lamps(meter), Column(12, 15));

    for (int i = 3; i < 74; ++i)
        Tick(meter);
    EXPECT_EQ(meter->TopIndex(), 0);
    EXPECT_EQ(Lamps(meter), Column(-1, 15));
    EXPECT_EQ(meter->HoldTicks(), 1);
    Tick(meter); // the 75th tick: the hold runs out
    EXPECT_EQ(meter->PeakLumi(), 0);
    EXPECT_EQ(meter->LitCount(), 0);
}

TEST_F(LevelMeterTest, ATickOnAnEmptyColumnDarkensLampZeroAndKeepsTheIndex) {
    auto* meter = DesignedMeter(&app);
    meter->Lumis(0)->SetOn(true);
    EXPECT_EQ(Tick(meter), 1);
    EXPECT_FALSE(meter->Lumis(0)->On());
    EXPECT_EQ(meter->TopIndex(), 0);
}

TEST_F(LevelMeterTest, AHoldShorterThanATickHoldsNoLamp) {
    auto* meter = DesignedMeter(&app);
    meter->SetLevelMaxHold(39);
    meter->SetLevel(3277);
    EXPECT_EQ(meter->PeakLumi(), 0);
    for (int i = 0; i < 15; ++i)
        Tick(meter);
    EXPECT_EQ(Lamps(meter), Column(0));
    Tick(meter);
    EXPECT_EQ(meter->LitCount(), 0);
}

TEST_F(LevelMeterTest, NewColoursShowOnALitLampOnlyOnceItIsSwitchedAgain) {
    auto* meter = DesignedMeter(&app);
    meter->SetLevel(32767);
    meter->SetNumLumisRed(3);
    EXPECT_EQ(meter->Lumis(37)->ColorOn(), kRed);
    EXPECT_EQ(meter->Lumis(37)->BrushColor(), kOrange);
    meter->SetNumLumisOrange(0);
    EXPECT_EQ(meter->Lumis(30)->ColorOn(), kGreen);
    meter->Lumis(37)->SetOn(false);
    meter->Lumis(37)->SetOn(true);
    EXPECT_EQ(meter->Lumis(37)->BrushColor(), kRed);
}

TEST_F(LevelMeterTest, MoreRedAndOrangeLampsThanTheColumnHoldsColourItAll) {
    auto* meter = DesignedMeter(&app);
    meter->SetNumLumisRed(30);
    meter->SetNumLumisOrange(30);
    EXPECT_EQ(meter->Lumis(10)->ColorOn(), kRed);
    EXPECT_EQ(meter->Lumis(9)->ColorOn(), kOrange);
    EXPECT_EQ(meter->Lumis(0)->ColorOn(), kOrange);
    meter->SetHeight(60); // 15 lamps
    EXPECT_EQ(meter->Lumis(0)->ColorOn(), kRed);
    EXPECT_THROW(meter->SetNumLumisRed(-1), ERangeError);
    EXPECT_EQ(meter->NumLumisRed(), 30);
}

TEST_F(LevelMeterTest, RebuildingTheLampsPutsTopPeakAndHoldBackInsideTheColumn) {
    auto* meter = DesignedMeter(&app);
    meter->SetLevel(32767);
    ASSERT_EQ(meter->PeakLumi(), 39);
    meter->SetLumiHeight(9); // 163 div 8 = 20 lamps
    ASSERT_EQ(meter->LumiCount(), 20);
    EXPECT_EQ(meter->TopIndex(), 0);
    EXPECT_EQ(meter->PeakLumi(), 0);
    EXPECT_EQ(meter->HoldTicks(), 0);
    EXPECT_EQ(meter->Lumis(19)->ColorOn(), kRed);
    for (int i = 0; i < 80; ++i)
        EXPECT_EQ(Tick(meter), 1);
    meter->SetLevel(32767);
    EXPECT_EQ(meter->TopIndex(), 19);
    EXPECT_EQ(meter->PeakLumi(), 19);

    meter->SetHeight(40); // 5 lamps; the meter is not _On, so it stays at rest
    EXPECT_EQ(meter->TopIndex(), 0);
    EXPECT_EQ(meter->PeakLumi(), 0);
    EXPECT_EQ(meter->LitCount(), 0);
}

TEST_F(LevelMeterTest, OnLightsEveryLampOfAMeter) {
    auto* meter = DesignedMeter(&app);
    meter->SetOn(true);
    EXPECT_EQ(meter->LitCount(), 40);
    EXPECT_EQ(meter->Level(), 32767);
    EXPECT_EQ(meter->PeakLumi(), 39);
}

TEST_F(LevelMeterTest, ValuesTheComputationsDivideByAreRefused) {
    auto* meter = DesignedMeter(&app);
    EXPECT_THROW(meter->SetLevelMax(0), ERangeError);
    EXPECT_THROW(meter->SetTimerInterval(0), ERangeError);
    EXPECT_EQ(meter->LevelMax(), 32767);
    EXPECT_EQ(meter->TimerInterval(), 40);
    meter->SetLevelMax(1000);
    meter->SetLevel(1000);
    EXPECT_EQ(meter->TopIndex(), 39);
}

TEST_F(LevelMeterTest, AMeterWithoutLampsTakesTicksAndLevelsSafely) {
    auto* meter = new TLevelMeter(&app);
    meter->SetHeight(3);
    ASSERT_EQ(meter->LumiCount(), 0);
    meter->SetLevel(32767);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(Tick(meter), 1);
    EXPECT_EQ(meter->PeakLumi(), 0);
}

TEST_F(LevelMeterTest, UpdatesAndTicksRepaintOnlyTheLampsThatChange) {
    RepaintCounter counter;
    SetBackendObserver(&counter);
    auto* form = NewForm();
    auto* meter = DesignedMeter(form, form);
    form->Show();
    ASSERT_TRUE(meter->Lumis(0)->HasPeer());

    meter->SetLevel(3277);
    EXPECT_EQ(counter.Total(), 16); // lamps 0..15
    counter.repaints.clear();
    meter->SetLevel(10000);
    EXPECT_EQ(counter.Total(), 11); // lamps 16..26; lamp 15 was lit already
    EXPECT_EQ(counter.repaints.count(meter->Lumis(15)), 0u);
    counter.repaints.clear();
    meter->SetLevel(3277);
    meter->SetLevel(32876);
    EXPECT_EQ(counter.Total(), 0);

    Tick(meter); // lamp 25 under the held 26
    EXPECT_EQ(counter.Total(), 1);
    Tick(meter); // lamp 25 again: no change, no repaint
    EXPECT_EQ(counter.Total(), 1);
    for (int i = 2; i < 26; ++i)
        Tick(meter);
    EXPECT_EQ(counter.Total(), 25); // lamps 25 down to 1, one each
    counter.repaints.clear();
    for (int i = 26; i < 75; ++i)
        Tick(meter);
    // Lamp 0 at the empty column, then the held lamp when the hold runs out.
    EXPECT_EQ(counter.Total(), 2);
    EXPECT_EQ(counter.repaints[meter->Lumis(0)], 1);
    EXPECT_EQ(counter.repaints[meter->Lumis(26)], 1);
    EXPECT_EQ(meter->LitCount(), 0);
}

} // namespace
