#pragma once
// The process's windows: a handle per window and the handler its messages reach.

#include "platform/WinTypes.h"

#include <mutex>
#include <unordered_map>
#include <vector>

// Whatever owns a window handle (a form, a windowed control) receives its messages through this.
class IMessageTarget {
public:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~IMessageTarget() = default;
};

class WindowTable {
public:
    static WindowTable& Instance();

    // A top-level window (a form, as opposed to a control inside one) receives the system's
    // broadcasts, such as the device-change query.
    HWND Register(IMessageTarget* target, bool topLevel = false);
    void Unregister(HWND hwnd);
    IMessageTarget* Find(HWND hwnd) const;
    bool IsWindow(HWND hwnd) const { return Find(hwnd) != nullptr; }
    // The live top-level windows, oldest first.
    std::vector<HWND> TopLevelWindows() const;

private:
    struct Entry {
        IMessageTarget* target;
        bool topLevel;
    };

    mutable std::mutex mutex_;
    std::unordered_map<HWND, Entry> targets_;
    HWND next_ = 1;
};

inline bool IsWindowHandle(HWND hwnd) {
    return WindowTable::Instance().IsWindow(hwnd);
}
