#pragma once
// A scroll-bar arrow (or the track beside the thumb) held down: one step at once, the next after
// 400 ms, then one every 50 ms until it is let go, the control goes away or can no longer be
// worked (disabled). Only one bar is held at a time, as there is one mouse.

#include "toolkit/TScrollingWinControl.h"

class ScrollRepeat {
public:
    static constexpr unsigned kFirstDelayMs = 400;
    static constexpr unsigned kRepeatMs = 50;

    // Returns false when the user cannot work the bar.
    static bool Press(TControlScrollBar& bar, TScrollCode code);
    static void Release();
    static bool Holding();

private:
    static void Step();
};
