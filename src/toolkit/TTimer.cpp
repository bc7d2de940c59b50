#include "toolkit/TTimer.h"

#include "platform/MultimediaTimers.h"
#include "toolkit/TApplication.h"

TTimer::TTimer(TComponent* owner)
    : TComponent(owner), window_(WindowTable::Instance().Register(this)) {
    Update();
}

TTimer::~TTimer() {
    KillTimer(window_, 1);
    WindowTable::Instance().Unregister(window_);
}

void TTimer::SetEnabled(bool value) {
    if (value != enabled_) {
        enabled_ = value;
        Update();
    }
}

void TTimer::SetInterval(unsigned value) {
    if (value != interval_) {
        interval_ = value;
        Update();
    }
}

void TTimer::Update() {
    KillTimer(window_, 1);
    if (enabled_ && interval_ > 0)
        SetTimer(window_, 1, interval_);
}

LRESULT TTimer::WindowProc(UINT message, WPARAM, LPARAM) {
    if (message == WM_TIMER && enabled_ && OnTimer)
        Application->Guard([this] { OnTimer(this); }, this);
    return 0;
}
