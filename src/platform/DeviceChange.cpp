#include "platform/DeviceChange.h"

#include "platform/MessageQueue.h"
#include "platform/WindowTable.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

void BroadcastDeviceChange(WPARAM event, DWORD devnode) {
    DEV_BROADCAST_DEVNODE record{sizeof(DEV_BROADCAST_DEVNODE), DBT_DEVTYP_DEVNODE, 0, devnode};
    // A window that goes away before its turn is skipped by the queue (the result is 0).
    for (HWND hwnd : WindowTable::Instance().TopLevelWindows())
        MessageQueue::Instance().Send(hwnd, WM_DEVICECHANGE, event,
                                      reinterpret_cast<LPARAM>(&record));
}

namespace {

// One thread that waits, in order, for the queued broadcasts to be handled and then runs their
// `done`. It may wait for the GUI thread as long as that takes; nothing else waits for it.
class DeliveryThread {
public:
    struct Item {
        // Every window's message points at this record until it has been handled.
        std::unique_ptr<DEV_BROADCAST_DEVNODE> record;
        std::vector<MessageQueue::SentMessage> sent;
        std::function<void()> done;
    };

    void Push(Item item) {
        {
            std::lock_guard lock(mutex_);
            pending_.push_back(std::move(item));
            if (!started_) {
                // Detached: at the end of the process it may still be waiting for a window.
                std::thread([this] { Run(); }).detach();
                started_ = true;
            }
        }
        wake_.notify_one();
    }

private:
    void Run() {
        for (;;) {
            Item item;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return !pending_.empty(); });
                item = std::move(pending_.front());
                pending_.pop_front();
            }
            for (auto& message : item.sent)
                message.Wait();
            if (item.done)
                item.done();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Item> pending_;
    bool started_ = false;
};

} // namespace

void QueueDeviceChange(WPARAM event, DWORD devnode, std::function<void()> done) {
    auto& queue = MessageQueue::Instance();
    if (queue.OnGuiThread()) {
        BroadcastDeviceChange(event, devnode);
        if (done)
            done();
        return;
    }
    // The messages join the queue before this returns: a query the driver sent right after an
    // answer is in the queue before the program, woken by that answer, can handle anything else.
    DeliveryThread::Item item;
    item.record = std::make_unique<DEV_BROADCAST_DEVNODE>(
        DEV_BROADCAST_DEVNODE{sizeof(DEV_BROADCAST_DEVNODE), DBT_DEVTYP_DEVNODE, 0, devnode});
    for (HWND hwnd : WindowTable::Instance().TopLevelWindows())
        item.sent.push_back(queue.SendLater(hwnd, WM_DEVICECHANGE, event,
                                            reinterpret_cast<LPARAM>(item.record.get())));
    item.done = std::move(done);
    // Never destroyed: its thread may outlive every static object.
    static auto* thread = new DeliveryThread;
    thread->Push(std::move(item));
}
