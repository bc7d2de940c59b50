#include "toolkit/ScrollRepeat.h"

#include "toolkit/TTimer.h"
#include "toolkit/UserInput.h"

namespace {

struct Held {
    HWND control = 0; // the scrolling control, by handle: it may be freed while held
    TScrollBarKind kind = sbVertical;
    TScrollCode code = scLineDown;
    // Made at the first hold and kept for the program's life: a hold may end inside its handler.
    TTimer* timer = nullptr;
};

Held& State() {
    static Held held;
    return held;
}

} // namespace

bool ScrollRepeat::Press(TControlScrollBar& bar, TScrollCode code) {
    Release();
    if (!UserInput::Scroll(bar, code))
        return false;
    Held& held = State();
    held.control = bar.Control().Handle();
    held.kind = bar.Kind();
    held.code = code;
    if (!held.timer) {
        held.timer = new TTimer(nullptr);
        held.timer->OnTimer = [](TObject*) { Step(); };
    }
    held.timer->SetInterval(kFirstDelayMs);
    held.timer->SetEnabled(true);
    return true;
}

void ScrollRepeat::Release() {
    Held& held = State();
    held.control = 0;
    if (held.timer)
        held.timer->SetEnabled(false);
}

bool ScrollRepeat::Holding() {
    return State().control != 0;
}

void ScrollRepeat::Step() {
    Held& held = State();
    auto* control = dynamic_cast<TScrollingWinControl*>(WindowTable::Instance().Find(held.control));
    if (!control) {
        Release();
        return;
    }
    held.timer->SetInterval(kRepeatMs);
    auto& bar = held.kind == sbVertical ? control->VertScrollBar() : control->HorzScrollBar();
    if (!UserInput::Scroll(bar, held.code))
        Release();
}
