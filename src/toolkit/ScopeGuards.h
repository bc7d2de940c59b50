#pragma once
// Counters and flags held for the length of a scope: however the scope is left, by a return or
// by an exception, they are put back, so an error cannot leave a form loading or a control's
// alignment held for good.

#include <utility>

// Gives `variable` a value for the scope and puts the previous one back at its end.
template <typename T> class TScopedValue {
public:
    TScopedValue(T& variable, T value)
        : variable_(variable), saved_(std::exchange(variable, value)) {}
    ~TScopedValue() { variable_ = saved_; }
    TScopedValue(const TScopedValue&) = delete;
    TScopedValue& operator=(const TScopedValue&) = delete;

private:
    T& variable_;
    T saved_;
};

// Runs `undo` at the end of the scope; `undo` must not raise.
template <typename F> class TScopeExit {
public:
    explicit TScopeExit(F undo) : undo_(std::move(undo)) {}
    ~TScopeExit() { undo_(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F undo_;
};
