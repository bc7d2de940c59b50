#pragma once
// Multimedia timers, window timers and Sleep under their classic names, on the installed clock.

#include "platform/MmResults.h"

using LPTIMECALLBACK = void (*)(UINT uTimerID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dw1,
                                DWORD_PTR dw2);

constexpr UINT TIME_ONESHOT = 0x0000;
constexpr UINT TIME_PERIODIC = 0x0001;
constexpr MMRESULT TIMERR_NOERROR = 0;
// The longest delay a multimedia timer accepts.
constexpr UINT MAX_TIMER_DELAY_MS = 1000000;

// Returns the timer's id (1..65535; ids are reused once killed), or 0 when the delay is out of
// range, the callback is missing or every id is taken. The callback runs on the clock's timer
// thread (the test's thread with the virtual clock) and should only post.
MMRESULT timeSetEvent(UINT uDelay, UINT uResolution, LPTIMECALLBACK lpTimeProc, DWORD_PTR dwUser,
                      UINT fuEvent);
// After it returns the callback is not running (unless called from inside it) and never runs again.
MMRESULT timeKillEvent(UINT uTimerID);
DWORD timeGetTime();

// Window timers: WM_TIMER with wParam = nIDEvent is posted to hwnd every uElapse ms.
WPARAM SetTimer(HWND hwnd, WPARAM nIDEvent, UINT uElapse);
BOOL KillTimer(HWND hwnd, WPARAM nIDEvent);

void Sleep(DWORD dwMilliseconds);
