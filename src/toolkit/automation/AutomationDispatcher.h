#pragma once
// Hands the requests that arrive on the listener thread to the GUI thread, where each runs as one
// message of the queue, between the program's own messages and inside its modal loops, and hands
// the answers back.
//
// A request whose action opens a message box or a modal window is answered `ok` as the loop
// begins: from then on the program waits for the user, and the next requests (`msgbox`,
// `answer`) run inside that loop.

#include "platform/WindowTable.h"
#include "toolkit/automation/AutomationCommands.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>

class AutomationDispatcher final : public IMessageTarget {
public:
    explicit AutomationDispatcher(std::shared_ptr<OpenMessageBoxes> boxes);
    ~AutomationDispatcher();
    AutomationDispatcher(const AutomationDispatcher&) = delete;
    AutomationDispatcher& operator=(const AutomationDispatcher&) = delete;

    // Any thread but the GUI thread: runs the request line and returns its answer, every line
    // ending in a line feed, the last one `ok` or `error: <reason>`. Waits for it.
    std::string Submit(const std::string& line);
    // Answers every waiting request with an error and lets the open message boxes go.
    void Stop();

    // GUI thread: a modal loop begins; the requests being carried out are answered now.
    void ModalLoopBegins();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Request {
        std::uint64_t id = 0;
        std::string line;
        std::string answer;
        bool done = false;
        int idleRounds = 0;
    };

    void Run(const std::shared_ptr<Request>& request);
    void Finish(std::uint64_t id, const std::string& last);
    void CheckIdle(std::uint64_t id);
    // Answers `ok` to every request taken and not answered yet.
    void FinishOpen();

    std::shared_ptr<OpenMessageBoxes> boxes_;
    AutomationCommands commands_;
    HWND hwnd_ = 0;

    std::mutex mutex_;
    std::condition_variable answered_;
    std::deque<std::shared_ptr<Request>> incoming_;
    bool stopped_ = false;
    std::uint64_t nextId_ = 1;

    // GUI thread only: the requests taken but not answered yet.
    std::map<std::uint64_t, std::shared_ptr<Request>> open_;
};
