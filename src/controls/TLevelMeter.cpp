#include "controls/TLevelMeter.h"

#include "platform/MessageQueue.h"
#include "platform/MultimediaTimers.h"
#include "toolkit/Convert.h"
#include "toolkit/Exceptions.h"

#include <algorithm>
#include <cmath>

namespace {

// The bar's scale under a meter: raw values are mapped onto 0..511.
constexpr int kMappedMax = 511;
// The mapping spreads LevelMax over 25 steps of the logarithm: 511 × log10(1 + 25 v / max) /
// log10(26).
constexpr double kMappingSteps = 25.0;

constexpr TColor kRed = 0x0000FF;
constexpr TColor kOrange = 0x0080FF;
constexpr TColor kGreen = 0x00FF00;

// Runs on the timer thread: it only posts the tick to the meter's window, which refuses it once
// the meter is gone.
void MeterTimerProc(UINT timerId, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    PostMessageA(static_cast<HWND>(user), WM_METERTICK, timerId, 0);
}

} // namespace

TLevelMeter::TLevelMeter(TComponent* owner) : TBarGraph(owner) {
    // The bar was built with its own lamp routine; the meter's colours apply from the start.
    Recolor();
    TBarGraph::SetLevelMax(kMappedMax);
    SetLevelMax(32767);
    scale_ = kMappedMax / std::log10(kMappingSteps + 1.0);
    timerInterval_ = 50;
    levelMaxHold_ = 2000;
    SetMessageHandler(WM_METERTICK, [this](TMessage& message) { DecayTick(message); });
}

TLevelMeter::~TLevelMeter() {
    // Unlike writing TimerEnable false, this stops the timer wherever the meter sits: a meter
    // taken off its form must not leave a timer behind.
    if (timerId_ != 0)
        StopTimer();
}

void TLevelMeter::SetLevel(int value) {
    rawLevel_ = value;
    const int mapped =
        value > 0 ? RoundHalfEven(std::log10(value / divisor_ + 1.0) * scale_) : value;
    // classic behaviour: a mapped value past 511 (from 32876 up at full scale 32767) lights
    // nothing, though Level shows it; the driver's peaks stay within full scale.
    TBarGraph::SetLevel(mapped);
    if (topIndex_ >= peakLumi_) {
        holdTicks_ = levelMaxHold_ / timerInterval_;
        // A hold shorter than one tick holds nothing; a held lamp without ticks to count down
        // would stay lit for good.
        peakLumi_ = holdTicks_ > 0 ? topIndex_ : 0;
    }
}

void TLevelMeter::SetLevelMax(int value) {
    if (value <= 0)
        throw ERangeError("Der Wert für LevelMax muss größer als 0 sein.");
    meterLevelMax_ = value;
    divisor_ = value / kMappingSteps;
}

void TLevelMeter::SetNumLumisRed(int value) {
    if (value < 0)
        throw ERangeError("Der Wert für NumLumisRed darf nicht negativ sein.");
    numLumisRed_ = value;
    Recolor();
}

void TLevelMeter::SetNumLumisOrange(int value) {
    if (value < 0)
        throw ERangeError("Der Wert für NumLumisOrange darf nicht negativ sein.");
    numLumisOrange_ = value;
    Recolor();
}

void TLevelMeter::Recolor() {
    // From the top lamp down; more red and orange lamps than the column holds colour it all.
    const int count = LumiCount();
    const int red = std::min(numLumisRed_, count);
    const int orange = std::min(numLumisOrange_, count - red);
    for (int k = 0; k < count; ++k) {
        const TColor color = k < red ? kRed : k < red + orange ? kOrange : kGreen;
        // Only the lit colour changes: a lit lamp shows it once it is switched again.
        lumis_[static_cast<std::size_t>(count - 1 - k)]->SetColorOn(color);
    }
}

void TLevelMeter::CreateLumis() {
    TBarGraph::CreateLumis();
    Recolor();
    // Nothing is held on a column built anew.
    peakLumi_ = 0;
    holdTicks_ = 0;
}

bool TLevelMeter::OnForm() const {
    return GetParentForm(this) != nullptr;
}

void TLevelMeter::StartTimer() {
    timerId_ =
        timeSetEvent(timerInterval_, timerInterval_, MeterTimerProc, Handle(), TIME_PERIODIC);
}

void TLevelMeter::StopTimer() {
    timeKillEvent(timerId_);
    timerId_ = 0;
}

void TLevelMeter::SetTimerEnable(bool value) {
    // Only a meter on a form runs a timer; one on no form (a copy being made, a meter still being
    // read from its window description) just keeps the flag.
    if (!Loading() && OnForm()) {
        if (value && timerId_ == 0)
            StartTimer();
        else if (!value && timerId_ != 0)
            StopTimer();
    }
    timerEnable_ = value;
}

void TLevelMeter::SetTimerInterval(std::uint16_t value) {
    if (value == 0)
        throw ERangeError("Der Wert für TimerInterval muss größer als 0 sein.");
    timerInterval_ = value;
    if (timerEnable_) {
        SetTimerEnable(false);
        SetTimerEnable(true);
    }
}

void TLevelMeter::Loaded() {
    TBarGraph::Loaded();
    // A meter designed with its timer on starts it once its window is read.
    if (timerEnable_ && timerId_ == 0 && OnForm())
        StartTimer();
}

void TLevelMeter::DecayTick(TMessage& message) {
    if (timerEnable_ && message.WParam != (timerId_ & 0xFFFF))
        return;
    message.Result = 1;
    if (topIndex_ > 0) {
        // classic behaviour: with the column at the held lamp the lamp below it goes dark first,
        // and the next tick darkens that same lamp again; from then on one lamp per tick.
        if (peakLumi_ != 0 && peakLumi_ <= topIndex_)
            SwitchLumi(topIndex_ - 1, false);
        else
            SwitchLumi(topIndex_, false);
        --topIndex_;
    } else {
        SwitchLumi(0, false);
    }
    if (holdTicks_ > 0 && --holdTicks_ == 0) {
        SwitchLumi(peakLumi_, false);
        peakLumi_ = 0;
    }
}
