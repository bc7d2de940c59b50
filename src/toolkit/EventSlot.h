#pragma once
// An event property of a control that most controls never set (a meter has a thousand lamps, none
// of them clicked): a pointer to the handler while one is set, instead of the handler object
// itself in every control. It is set, copied, tested and called as the handler is.

#include <memory>
#include <utility>

template <typename Handler> class TEventSlot {
public:
    TEventSlot() = default;
    TEventSlot(const TEventSlot& other) { *this = other; }
    TEventSlot(TEventSlot&&) noexcept = default;
    TEventSlot& operator=(const TEventSlot& other) {
        if (this != &other)
            handler_ = other.handler_ ? std::make_unique<Handler>(*other.handler_) : nullptr;
        return *this;
    }
    TEventSlot& operator=(TEventSlot&&) noexcept = default;
    // Anything a handler can be made of; an empty handler (nullptr) leaves the slot empty.
    template <typename F> TEventSlot& operator=(F&& handler) {
        Handler made(std::forward<F>(handler));
        handler_ = made ? std::make_unique<Handler>(std::move(made)) : nullptr;
        return *this;
    }

    explicit operator bool() const { return handler_ != nullptr; }
    template <typename... Args> void operator()(Args&&... args) const {
        (*handler_)(std::forward<Args>(args)...);
    }

private:
    std::unique_ptr<Handler> handler_;
};
