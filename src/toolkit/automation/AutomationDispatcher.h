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
#include <vector>

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
    // GUI thread: the last show under way has ended; the idle requests waiting for it look again.
    void SettledNow();

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
    // GUI thread only: the idle requests that wait for the shows under way to end.
    std::vector<std::uint64_t> waitingForShows_;
};
