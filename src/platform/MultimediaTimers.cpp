#include "platform/MultimediaTimers.h"

#include "platform/MessageQueue.h"
#include "platform/TimerScheduler.h"
#include "platform/WindowTable.h"

#include <map>
#include <mutex>
#include <utility>

namespace {

constexpr UINT kMaxTimerId = 65535;

struct Timers {
    std::mutex mutex;
    std::map<UINT, TimerScheduler::Key> multimedia;                // id -> clock entry
    std::map<std::pair<HWND, WPARAM>, TimerScheduler::Key> window; // (hwnd, id) -> entry
};

Timers& Table() {
    static Timers timers;
    return timers;
}

UINT FirstFreeId(const std::map<UINT, TimerScheduler::Key>& used) {
    UINT id = 1;
    for (const auto& [taken, key] : used) {
        if (taken != id)
            break;
        ++id;
    }
    return id <= kMaxTimerId ? id : 0;
}

} // namespace

MMRESULT timeSetEvent(UINT uDelay, UINT uResolution, LPTIMECALLBACK lpTimeProc, DWORD_PTR dwUser,
                      UINT fuEvent) {
    if (!lpTimeProc || uDelay == 0 || uDelay > MAX_TIMER_DELAY_MS)
        return 0;
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    UINT id = FirstFreeId(table.multimedia);
    if (id == 0)
        return 0;
    const bool periodic = (fuEvent & TIME_PERIODIC) != 0;
    auto callback = [id, lpTimeProc, dwUser, periodic] {
        if (!periodic) {
            // A one-shot timer's id is free again once it has fired.
            std::lock_guard lock(Table().mutex);
            Table().multimedia.erase(id);
        }
        lpTimeProc(id, 0, dwUser, 0, 0);
    };
    // The resolution is the accuracy the caller asks for; the clock uses it to let timers share
    // their wake-ups.
    table.multimedia[id] = Clock().Schedule(uDelay, periodic, std::move(callback), uResolution);
    return id;
}

MMRESULT timeKillEvent(UINT uTimerID) {
    TimerScheduler::Key key;
    {
        auto& table = Table();
        std::lock_guard lock(table.mutex);
        auto it = table.multimedia.find(uTimerID);
        if (it == table.multimedia.end())
            return MMSYSERR_INVALPARAM;
        key = it->second;
        table.multimedia.erase(it);
    }
    Clock().Cancel(key);
    return TIMERR_NOERROR;
}

DWORD timeGetTime() {
    return static_cast<DWORD>(Clock().NowMs());
}

WPARAM SetTimer(HWND hwnd, WPARAM nIDEvent, UINT uElapse) {
    if (!IsWindowHandle(hwnd))
        return 0;
    KillTimer(hwnd, nIDEvent);
    auto key = Clock().Schedule(uElapse == 0 ? 1 : uElapse, true,
                                [hwnd, nIDEvent] { PostMessageA(hwnd, WM_TIMER, nIDEvent, 0); });
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    table.window[{hwnd, nIDEvent}] = key;
    return nIDEvent == 0 ? 1 : nIDEvent;
}

BOOL KillTimer(HWND hwnd, WPARAM nIDEvent) {
    TimerScheduler::Key key;
    {
        auto& table = Table();
        std::lock_guard lock(table.mutex);
        auto it = table.window.find({hwnd, nIDEvent});
        if (it == table.window.end())
            return FALSE;
        key = it->second;
        table.window.erase(it);
    }
    Clock().Cancel(key);
    return TRUE;
}

void Sleep(DWORD dwMilliseconds) {
    Clock().Sleep(dwMilliseconds);
}
