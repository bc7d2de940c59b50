#include "platform/MessageQueue.h"

#include "platform/TimerScheduler.h"
#include "platform/WindowTable.h"

struct MessageQueue::SentCall {
    std::promise<LRESULT> result;
};

MessageQueue& MessageQueue::Instance() {
    static MessageQueue queue;
    return queue;
}

MessageQueue::MessageQueue() : guiThread_(std::this_thread::get_id()) {}

BOOL MessageQueue::Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd != 0 && !WindowTable::Instance().IsWindow(hwnd))
        return FALSE;
    {
        std::lock_guard lock(mutex_);
        items_.push_back(Item{MSG{hwnd, message, wParam, lParam}, nullptr});
    }
    notEmpty_.notify_all();
    WakePump();
    return TRUE;
}

LRESULT MessageQueue::Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (OnGuiThread())
        return Deliver(MSG{hwnd, message, wParam, lParam});
    return SendLater(hwnd, message, wParam, lParam).Wait();
}

MessageQueue::SentMessage MessageQueue::SendLater(HWND hwnd, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    SentMessage sent;
    sent.call_ = std::make_shared<SentCall>();
    sent.result_ = sent.call_->result.get_future();
    {
        std::lock_guard lock(mutex_);
        items_.push_back(Item{MSG{hwnd, message, wParam, lParam}, sent.call_});
    }
    notEmpty_.notify_all();
    WakePump();
    return sent;
}

LRESULT MessageQueue::Deliver(const MSG& msg) {
    if (msg.hwnd == 0) {
        std::function<void(const MSG&)> handler;
        {
            std::lock_guard lock(mutex_);
            handler = threadHandler_;
        }
        if (handler)
            handler(msg);
        return 0;
    }
    IMessageTarget* target = WindowTable::Instance().Find(msg.hwnd);
    return target ? target->WindowProc(msg.message, msg.wParam, msg.lParam) : 0;
}

bool MessageQueue::TakeItem(Item& item) {
    std::lock_guard lock(mutex_);
    if (items_.empty())
        return false;
    item = std::move(items_.front());
    items_.pop_front();
    return true;
}

void MessageQueue::DispatchItem(const Item& item) {
    if (!item.sent) {
        Deliver(item.msg);
        return;
    }
    try {
        item.sent->result.set_value(Deliver(item.msg));
    } catch (...) {
        // The sender gets 0, as from a window that went away; the error stays on the GUI thread.
        item.sent->result.set_value(0);
        throw;
    }
}

bool MessageQueue::Take(MSG& msg) {
    Item item;
    while (TakeItem(item)) {
        if (!item.sent) {
            msg = item.msg;
            return true;
        }
        // A sent message is never handed out: it is handled here and its sender released.
        DispatchItem(item);
    }
    return false;
}

void MessageQueue::Dispatch(const MSG& msg) {
    Deliver(msg);
}

void MessageQueue::WakePump() {
    if (auto* pump = pump_.load())
        pump->Wake();
}

bool MessageQueue::Step(const std::function<void()>& idle) {
    if (auto* pump = pump_.load())
        pump->Poll();
    Item item;
    if (TakeItem(item)) {
        DispatchItem(item);
        return true;
    }
    if (idle)
        idle();
    if (Empty())
        Clock().WaitForWork(*this);
    return false;
}

void MessageQueue::SetThreadMessageHandler(std::function<void(const MSG&)> handler) {
    std::lock_guard lock(mutex_);
    threadHandler_ = std::move(handler);
}

bool MessageQueue::Empty() const {
    std::lock_guard lock(mutex_);
    return items_.empty();
}

void MessageQueue::WaitUntilNotEmpty() {
    if (auto* pump = pump_.load()) {
        // The desktop's loop does the waiting, so its input and painting go on meanwhile.
        while (true) {
            {
                std::lock_guard lock(mutex_);
                if (!items_.empty() || woken_) {
                    woken_ = false;
                    return;
                }
            }
            pump->WaitForEvents();
        }
    }
    std::unique_lock lock(mutex_);
    notEmpty_.wait(lock, [this] { return !items_.empty() || woken_; });
    woken_ = false;
}

void MessageQueue::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    notEmpty_.notify_all();
    WakePump();
}

void MessageQueue::BindToCurrentThread() {
    std::lock_guard lock(mutex_);
    guiThread_ = std::this_thread::get_id();
}

bool MessageQueue::OnGuiThread() const {
    std::lock_guard lock(mutex_);
    return guiThread_ == std::this_thread::get_id();
}

void MessageQueue::Clear() {
    std::deque<Item> dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(items_);
    }
    for (auto& item : dropped)
        if (item.sent)
            item.sent->result.set_value(0);
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return MessageQueue::Instance().Post(hwnd, message, wParam, lParam);
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return MessageQueue::Instance().Send(hwnd, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    MessageQueue::Instance().Post(0, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}
