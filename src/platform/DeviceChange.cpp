#include "platform/DeviceChange.h"

#include "platform/MessageQueue.h"
#include "platform/WindowTable.h"

#include <condition_variable>
#include <deque>
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

// One thread that sends the queued broadcasts in order. It may wait for the GUI thread as long
// as that takes; nothing else waits for it.
class DeliveryThread {
public:
    void Push(WPARAM event, DWORD devnode, std::function<void()> done) {
        {
            std::lock_guard lock(mutex_);
            pending_.push_back(Item{event, devnode, std::move(done)});
            if (!started_) {
                // Detached: at the end of the process it may still be waiting in a send.
                std::thread([this] { Run(); }).detach();
                started_ = true;
            }
        }
        wake_.notify_one();
    }

private:
    struct Item {
        WPARAM event;
        DWORD devnode;
        std::function<void()> done;
    };

    void Run() {
        for (;;) {
            Item item;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return !pending_.empty(); });
                item = std::move(pending_.front());
                pending_.pop_front();
            }
            BroadcastDeviceChange(item.event, item.devnode);
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
    if (MessageQueue::Instance().OnGuiThread()) {
        BroadcastDeviceChange(event, devnode);
        if (done)
            done();
        return;
    }
    // Never destroyed: its thread may outlive every static object.
    static auto* thread = new DeliveryThread;
    thread->Push(event, devnode, std::move(done));
}
