#pragma once
// A window timer as a component: OnTimer runs every Interval milliseconds while Enabled.

#include "platform/WindowTable.h"
#include "toolkit/TComponent.h"
#include "toolkit/Types.h"

class TTimer : public TComponent, public IMessageTarget {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    const char* ClassName() const override { return "TTimer"; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned value);

    TNotifyEvent OnTimer;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Update();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    HWND window_;
};
