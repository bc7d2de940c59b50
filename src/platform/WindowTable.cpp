#include "platform/WindowTable.h"

#include <algorithm>

WindowTable& WindowTable::Instance() {
    static WindowTable table;
    return table;
}

HWND WindowTable::Register(IMessageTarget* target, bool topLevel) {
    std::lock_guard lock(mutex_);
    HWND hwnd = next_++;
    targets_.emplace(hwnd, Entry{target, topLevel});
    return hwnd;
}

void WindowTable::Unregister(HWND hwnd) {
    std::lock_guard lock(mutex_);
    targets_.erase(hwnd);
}

IMessageTarget* WindowTable::Find(HWND hwnd) const {
    std::lock_guard lock(mutex_);
    auto it = targets_.find(hwnd);
    return it == targets_.end() ? nullptr : it->second.target;
}

std::vector<HWND> WindowTable::TopLevelWindows() const {
    std::vector<HWND> windows;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [hwnd, entry] : targets_)
            if (entry.topLevel)
                windows.push_back(hwnd);
    }
    // Handles grow with every registration, so their order is the order of creation.
    std::sort(windows.begin(), windows.end());
    return windows;
}
