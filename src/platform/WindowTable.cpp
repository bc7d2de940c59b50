#include "platform/WindowTable.h"

WindowTable& WindowTable::Instance() {
    static WindowTable table;
    return table;
}

HWND WindowTable::Register(IMessageTarget* target) {
    std::lock_guard lock(mutex_);
    HWND hwnd = next_++;
    targets_.emplace(hwnd, target);
    return hwnd;
}

void WindowTable::Unregister(HWND hwnd) {
    std::lock_guard lock(mutex_);
    targets_.erase(hwnd);
}

IMessageTarget* WindowTable::Find(HWND hwnd) const {
    std::lock_guard lock(mutex_);
    auto it = targets_.find(hwnd);
    return it == targets_.end() ? nullptr : it->second;
}
