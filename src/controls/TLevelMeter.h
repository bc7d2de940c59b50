#pragma once
// The peak meter of one channel: a bar graph that maps a raw peak (full scale LevelMax) onto its
// lamps on a logarithmic scale, colours its top lamps red and orange, lets the lit column fall
// one lamp per tick and holds the highest lamp reached for LevelMaxHold milliseconds.
//
// Ticks arrive as WM_METERTICK (DecayTick): from the meter's own multimedia timer when TimerEnable
// is set, or from a window that drives its meters itself.

#include "controls/TBarGraph.h"

#include <cstdint>

// A meter's tick; wParam names the timer that fired it.
constexpr UINT WM_METERTICK = WM_USER + 1;

class TLevelMeter : public TBarGraph {
public:
    explicit TLevelMeter(TComponent* owner);
    // Stops the meter's own timer before the lamps go.
    ~TLevelMeter() override;
    const char* ClassName() const override { return "TLevelMeter"; }

    // The last raw value given, whether or not it lit anything.
    int Level() const override { return rawLevel_; }
    void SetLevel(int value) override;
    // The raw value that reaches the top lamp; greater than 0.
    int LevelMax() const override { return meterLevelMax_; }
    void SetLevelMax(int value) override;
    // The level the raw value was mapped to on the bar's scale of 0 to 511.
    int MappedLevel() const { return level_; }

    int NumLumisRed() const { return numLumisRed_; }
    void SetNumLumisRed(int value);
    int NumLumisOrange() const { return numLumisOrange_; }
    void SetNumLumisOrange(int value);

    bool TimerEnable() const { return timerEnable_; }
    void SetTimerEnable(bool value);
    std::uint16_t TimerInterval() const { return timerInterval_; }
    void SetTimerInterval(std::uint16_t value);
    std::uint16_t LevelMaxHold() const { return levelMaxHold_; }
    void SetLevelMaxHold(std::uint16_t value) { levelMaxHold_ = value; }

    // The meter's own multimedia timer, 0 when none runs.
    UINT TimerId() const { return timerId_; }
    // The lamp held lit, 0 when none is held, and the ticks left before it goes dark.
    int PeakLumi() const { return peakLumi_; }
    int HoldTicks() const { return holdTicks_; }

    // One fall-back tick (the WM_METERTICK handler). With TimerEnable set only the meter's own
    // timer's ticks count; otherwise every tick does. Result is 1 when the tick was taken.
    void DecayTick(TMessage& message);

    void CreateLumis() override;

protected:
    void Loaded() override;

private:
    void Recolor();
    bool OnForm() const;
    void StartTimer();
    void StopTimer();

    int numLumisRed_ = 2;
    int numLumisOrange_ = 10;
    bool timerEnable_ = false;
    std::uint16_t timerInterval_ = 50;
    std::uint16_t levelMaxHold_ = 2000;
    int rawLevel_ = 0;
    int meterLevelMax_ = 32767;
    double divisor_ = 32767 / 25.0;
    double scale_ = 0;
    UINT timerId_ = 0;
    int peakLumi_ = 0;
    int holdTicks_ = 0;
};
