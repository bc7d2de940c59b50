#pragma once
// The process's windows: a handle per window and the handler its messages reach.

#include "platform/WinTypes.h"

#include <mutex>
#include <unordered_map>

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

    HWND Register(IMessageTarget* target);
    void Unregister(HWND hwnd);
    IMessageTarget* Find(HWND hwnd) const;
    bool IsWindow(HWND hwnd) const { return Find(hwnd) != nullptr; }

private:
    mutable std::mutex mutex_;
    std::unordered_map<HWND, IMessageTarget*> targets_;
    HWND next_ = 1;
};

inline bool IsWindowHandle(HWND hwnd) {
    return WindowTable::Instance().IsWindow(hwnd);
}
