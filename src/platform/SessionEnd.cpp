#include "platform/SessionEnd.h"

#include "platform/MessageQueue.h"
#include "platform/WindowTable.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

int g_pipe[2] = {-1, -1};
std::atomic<bool> g_watching{false};
std::atomic<bool> g_requested{false};

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up: the byte may be dropped.
    [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
    errno = saved;
}

// Sends the message for every signal read; a window gone before its turn is skipped by the queue.
void DeliverSignals() {
    for (;;) {
        char byte;
        const ssize_t n = read(g_pipe[0], &byte, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        const std::vector<HWND> windows = WindowTable::Instance().TopLevelWindows();
        // Before the program has a window (its start, a box of its startup report) the thread
        // itself hears of the end.
        if (windows.empty())
            PostMessageA(0, WM_ENDSESSION, TRUE, 0);
        for (HWND hwnd : windows)
            MessageQueue::Instance().Send(hwnd, WM_ENDSESSION, TRUE, 0);
    }
}

void Install() {
    if (pipe2(g_pipe, O_CLOEXEC) != 0)
        throw std::runtime_error("the session-end watch has no pipe");
    fcntl(g_pipe[1], F_SETFL, fcntl(g_pipe[1], F_GETFL) | O_NONBLOCK);
    // Detached: at the end of the process it may still be waiting in a send.
    std::thread(DeliverSignals).detach();
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Calls the signal interrupts on other threads resume instead of failing with EINTR.
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    g_watching = true;
    if (g_requested)
        OnSignal(0);
}

} // namespace

void WatchSessionEnd() {
    static std::once_flag once;
    std::call_once(once, Install);
}

void RequestSessionEnd() {
    g_requested = true;
    if (g_watching)
        OnSignal(0);
}
