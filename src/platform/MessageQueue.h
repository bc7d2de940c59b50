#pragma once
// The GUI thread's message queue: posted and sent messages, in order, one step at a time.

#include "platform/WinTypes.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

// A desktop's own event loop joined to the queue (the Qt backend installs one): every step lets it
// handle its pending events, the wait for work happens inside it, and a message joining the
// queue from any thread wakes it.
class IEventPump {
public:
    // Handles the desktop's pending events without waiting (it may skip when it ran just now).
    virtual void Poll() = 0;
    // Blocks until the desktop has handled an event or Wake was called.
    virtual void WaitForEvents() = 0;
    // Safe from any thread.
    virtual void Wake() = 0;

protected:
    ~IEventPump() = default;
};

class MessageQueue {
    struct SentCall;

public:
    static MessageQueue& Instance();

    // A message sent from another thread that has joined the queue; Wait gives its result once
    // the GUI thread has handled it (0 for a window gone meanwhile).
    class SentMessage {
    public:
        LRESULT Wait() { return result_.get(); }

    private:
        friend class MessageQueue;
        // Shared with the queue, so that the result outlives a queue dropped at the process's end.
        std::shared_ptr<SentCall> call_;
        std::future<LRESULT> result_;
    };

    // Safe from any thread. A message for a window that does not exist is refused (FALSE); one
    // for hwnd 0 is a thread message (WM_QUIT and the like).
    BOOL Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // On the GUI thread the handler runs at once. From another thread the message joins the
    // queue, is handled on the GUI thread as one message of it, and the sender waits for the
    // result.
    LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Not on the GUI thread: the message joins the queue as a sent one, and the caller decides
    // when to wait for it. Send from another thread is this and Wait.
    SentMessage SendLater(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // The single-message step: dispatch one pending message (posted or sent) and return true; or,
    // when none is pending, run `idle`, wait for the next message or due timer, and return false.
    bool Step(const std::function<void()>& idle = {});

    // Takes the next message without dispatching it; false when none is pending.
    bool Take(MSG& msg);
    void Dispatch(const MSG& msg);

    // Thread messages (hwnd 0) go here when they are dispatched.
    void SetThreadMessageHandler(std::function<void(const MSG&)> handler);

    bool Empty() const;
    void WaitUntilNotEmpty();
    void Wake();

    // Joins a desktop's event loop to the queue (null: none).
    void SetEventPump(IEventPump* pump) { pump_ = pump; }

    void BindToCurrentThread();
    bool OnGuiThread() const;

    // Drops everything pending (between tests); senders waiting on dropped messages get 0.
    void Clear();

private:
    MessageQueue();

    struct Item {
        MSG msg;
        std::shared_ptr<SentCall> sent;
    };

    LRESULT Deliver(const MSG& msg);
    void WakePump();
    bool TakeItem(Item& item);
    void DispatchItem(const Item& item);

    mutable std::mutex mutex_;
    std::condition_variable notEmpty_;
    std::deque<Item> items_;
    bool woken_ = false;
    std::thread::id guiThread_;
    std::function<void(const MSG&)> threadHandler_;
    std::atomic<IEventPump*> pump_{nullptr};
};

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
