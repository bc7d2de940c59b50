#include "toolkit/automation/AutomationDispatcher.h"

#include "platform/MessageBox.h"
#include "platform/MessageQueue.h"
#include "toolkit/ModalLoopNotice.h"
#include "toolkit/automation/RequestWords.h"

#include <exception>
#include <utility>

namespace {

constexpr UINT WM_AUTOMATION_REQUEST = WM_USER + 1;
// wParam: the request; every message the action posted before was handled.
constexpr UINT WM_AUTOMATION_SETTLED = WM_USER + 2;
// wParam: the request waiting for an empty queue.
constexpr UINT WM_AUTOMATION_IDLE = WM_USER + 3;

// A queue that refills faster than it empties (a flood of posts) never counts as idle.
constexpr int kMaxIdleRounds = 100000;

} // namespace

AutomationDispatcher::AutomationDispatcher(std::shared_ptr<OpenMessageBoxes> boxes)
    : boxes_(std::move(boxes)), commands_(boxes_) {
    hwnd_ = WindowTable::Instance().Register(this);
}

AutomationDispatcher::~AutomationDispatcher() {
    Stop();
    WindowTable::Instance().Unregister(hwnd_);
}

std::string AutomationDispatcher::Submit(const std::string& line) {
    auto request = std::make_shared<Request>();
    request->line = line;
    std::unique_lock lock(mutex_);
    if (stopped_)
        return "error: the program is ending\n";
    request->id = nextId_++;
    incoming_.push_back(request);
    lock.unlock();
    if (!PostMessageA(hwnd_, WM_AUTOMATION_REQUEST, 0, 0))
        return "error: the program's message queue is gone\n";
    lock.lock();
    answered_.wait(lock, [&] { return request->done || stopped_; });
    return request->done ? request->answer : "error: the program is ending\n";
}

void AutomationDispatcher::Stop() {
    // What was carried out and only waits for its messages to be handled is done: the program
    // ends (at exit, right after the box that ended it was answered) and handles nothing more.
    if (MessageQueue::Instance().OnGuiThread())
        FinishOpen();
    boxes_->Release();
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    answered_.notify_all();
    MessageQueue::Instance().Wake();
}

void AutomationDispatcher::ModalLoopBegins() {
    FinishOpen();
}

void AutomationDispatcher::FinishOpen() {
    auto open = open_;
    for (const auto& [id, request] : open)
        Finish(id, "ok");
}

LRESULT AutomationDispatcher::WindowProc(UINT message, WPARAM wParam, LPARAM) {
    const auto id = static_cast<std::uint64_t>(wParam);
    switch (message) {
    case WM_AUTOMATION_REQUEST: {
        std::shared_ptr<Request> request;
        {
            std::lock_guard lock(mutex_);
            if (incoming_.empty())
                return 0;
            request = incoming_.front();
            incoming_.pop_front();
        }
        Run(request);
        return 0;
    }
    case WM_AUTOMATION_SETTLED:
        Finish(id, "ok");
        return 0;
    case WM_AUTOMATION_IDLE:
        CheckIdle(id);
        return 0;
    default:
        return 0;
    }
}

void AutomationDispatcher::Run(const std::shared_ptr<Request>& request) {
    const std::uint64_t id = request->id;
    open_[id] = request;
    AutomationReply reply;
    RequestWords words = SplitRequest(request->line);
    if (!words.error.empty()) {
        reply.error = words.error;
    } else {
        try {
            commands_.Run(words.words, reply);
        } catch (const std::exception& error) {
            reply.error = error.what();
        } catch (...) {
            reply.error = "unknown failure";
        }
    }
    auto it = open_.find(id);
    if (it == open_.end())
        return; // answered when a modal loop began inside the action
    it->second->answer += reply.lines;
    if (!reply.error.empty())
        Finish(id, "error: " + EscapeMessageBoxText(reply.error));
    else if (reply.then == AutomationReply::Then::Settle)
        PostMessageA(hwnd_, WM_AUTOMATION_SETTLED, static_cast<WPARAM>(id), 0);
    else if (reply.then == AutomationReply::Then::WaitIdle)
        CheckIdle(id);
    else
        Finish(id, "ok");
}

void AutomationDispatcher::CheckIdle(std::uint64_t id) {
    auto it = open_.find(id);
    if (it == open_.end())
        return;
    // Inside a show the queue may well be empty for a moment between two windows the restore
    // opens; the request waits for the show to end (SettledNow) instead of spinning here.
    if (Settling())
        waitingForShows_.push_back(id);
    else if (MessageQueue::Instance().Empty())
        Finish(id, "ok");
    else if (++it->second->idleRounds > kMaxIdleRounds)
        Finish(id, "error: the message queue never became idle");
    else
        PostMessageA(hwnd_, WM_AUTOMATION_IDLE, static_cast<WPARAM>(id), 0);
}

void AutomationDispatcher::SettledNow() {
    for (std::uint64_t id : std::exchange(waitingForShows_, {}))
        PostMessageA(hwnd_, WM_AUTOMATION_IDLE, static_cast<WPARAM>(id), 0);
}

void AutomationDispatcher::Finish(std::uint64_t id, const std::string& last) {
    auto it = open_.find(id);
    if (it == open_.end())
        return;
    std::shared_ptr<Request> request = it->second;
    open_.erase(it);
    {
        std::lock_guard lock(mutex_);
        request->answer += last + "\n";
        request->done = true;
    }
    answered_.notify_all();
}
