#include "MeterFixture.h"

namespace {

using MeterTimerTest = MeterTest;

TEST_F(MeterTimerTest, AMeterStartsItsTimerOnlyWhenEnabledWhileOnAForm) {
    auto* form = NewForm();
    auto* meter = DesignedMeter(form);
    meter->SetTimerEnable(true);
    EXPECT_TRUE(meter->TimerEnable());
    EXPECT_EQ(meter->TimerId(), 0u);

    // classic behaviour: placing it on the form starts nothing; enabling it again does.
    meter->SetParent(form);
    EXPECT_EQ(meter->TimerId(), 0u);
    clock->Advance(200);
    EXPECT_TRUE(MessageQueue::Instance().Empty());
    meter->SetTimerEnable(true);
    EXPECT_GE(meter->TimerId(), 1u);
    EXPECT_LE(meter->TimerId(), 65535u);

    meter->SetLevel(3277);
    clock->Advance(40);
    Pump();
    EXPECT_EQ(meter->TopIndex(), 14);
    clock->Advance(80);
    Pump();
    EXPECT_EQ(meter->TopIndex(), 12);
    EXPECT_EQ(meter->HoldTicks(), 72);
}

TEST_F(MeterTimerTest, AnEnabledMeterTakesOnlyTicksOfItsOwnTimer) {
    auto* form = NewForm();
    auto* left = DesignedMeter(form, form);
    auto* right = DesignedMeter(form, form);
    left->SetTimerEnable(true);
    right->SetTimerEnable(true);
    ASSERT_NE(left->TimerId(), 0u);
    ASSERT_NE(right->TimerId(), 0u);
    EXPECT_NE(left->TimerId(), right->TimerId());

    left->SetLevel(32767);
    EXPECT_EQ(Tick(left, right->TimerId()), 0);
    EXPECT_EQ(Tick(left, 0), 0);
    EXPECT_EQ(left->TopIndex(), 39);
    EXPECT_EQ(Tick(left, left->TimerId()), 1);
    EXPECT_EQ(left->TopIndex(), 38);
    // The message reaches the meter through its window, as its timer posts it.
    EXPECT_EQ(left->Perform(WM_METERTICK, left->TimerId()), 1);
    EXPECT_EQ(left->Perform(WM_METERTICK, right->TimerId()), 0);
    EXPECT_EQ(left->TopIndex(), 37);

    // Switched off, the timer is gone and the meter takes any tick, as a window that drives its
    // meters itself gives them.
    left->SetTimerEnable(false);
    EXPECT_EQ(left->TimerId(), 0u);
    EXPECT_EQ(Tick(left, 4711), 1);
    EXPECT_EQ(left->TopIndex(), 36);
    clock->Advance(40);
    Pump();
    EXPECT_EQ(left->TopIndex(), 36);
}

TEST_F(MeterTimerTest, ANewIntervalRestartsTheTimerAtThatCadence) {
    auto* form = NewForm();
    auto* meter = DesignedMeter(form, form);
    meter->SetTimerEnable(true);
    meter->SetLevel(32767);
    meter->SetTimerInterval(20);
    EXPECT_NE(meter->TimerId(), 0u);
    EXPECT_EQ(meter->HoldTicks(), 75); // armed with the old interval
    clock->Advance(20);
    Pump();
    EXPECT_EQ(meter->TopIndex(), 38);
    clock->Advance(100);
    Pump();
    EXPECT_EQ(meter->TopIndex(), 33);
}

TEST_F(MeterTimerTest, DestroyingAMeterStopsItsTimerWhereverItSits) {
    auto* form = NewForm();
    auto* meter = DesignedMeter(form, form);
    meter->SetTimerEnable(true);
    auto* moved = DesignedMeter(form, form);
    moved->SetTimerEnable(true);
    moved->SetParent(nullptr);
    // Off the form, writing false only keeps the flag: the timer runs on.
    moved->SetTimerEnable(false);
    EXPECT_NE(moved->TimerId(), 0u);

    meter->Free();
    moved->Free();
    clock->Advance(1000);
    EXPECT_TRUE(MessageQueue::Instance().Empty());
}

TEST_F(MeterTimerTest, AMeterDesignedWithItsTimerOnStartsItOnceItsWindowIsRead) {
    class Designed : public TForm {
    public:
        explicit Designed(TComponent* owner) : TForm(owner) {
            LoadDesign([this] {
                meter = new TLevelMeter(this);
                meter->SetTimerEnable(true);
                meter->SetParent(this);
            });
        }
        TLevelMeter* meter = nullptr;
    };
    auto* form = new Designed(&app);
    EXPECT_NE(form->meter->TimerId(), 0u);
    form->meter->SetLevel(32767);
    clock->Advance(50);
    Pump();
    EXPECT_EQ(form->meter->TopIndex(), 30);
    form->Free();
    clock->Advance(1000);
    EXPECT_TRUE(MessageQueue::Instance().Empty());
}

} // namespace
