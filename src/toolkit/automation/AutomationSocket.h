#pragma once
// The listening end of the automation endpoint: a Unix socket (mode 0600) that accepts peers of
// the same user only, reads request lines and writes each line's answer back, on a thread of its
// own. A line longer than kMaxLine is answered `error: line too long` and the rest of it dropped;
// a client that goes away mid-line loses that line.

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>

class AutomationSocket {
public:
    static constexpr std::size_t kMaxLine = 64 * 1024;
    static constexpr std::size_t kMaxClients = 16;

    // Returns the answer to one line; called on the listener thread, one line at a time.
    using Handler = std::function<std::string(const std::string& line)>;

    // Listens at `path`; a stale socket left there is replaced. Throws std::runtime_error with
    // the reason when it cannot listen (another program listens there, the path is no socket,
    // the directory is missing).
    AutomationSocket(const std::string& path, Handler handler);
    // Stops the thread and removes the socket file.
    ~AutomationSocket();
    AutomationSocket(const AutomationSocket&) = delete;
    AutomationSocket& operator=(const AutomationSocket&) = delete;

    const std::string& Path() const { return path_; }

private:
    struct Client;
    void Run();
    void Accept(std::vector<Client>& clients);
    // False when the client is gone.
    bool Read(Client& client);
    bool Send(int fd, const std::string& text);

    std::string path_;
    Handler handler_;
    int listenFd_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::thread thread_;
};
