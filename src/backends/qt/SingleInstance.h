#pragma once
// One manager per user and desktop: the running one listens on a private local socket, and a
// second start asks it to show the hub (as a double-click on the icon does) and then exits.
// Plain POSIX, so that the check runs before any window system is touched.

#include <functional>
#include <string>
#include <vector>

class SingleInstance {
public:
    SingleInstance() = default;
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // $VARNEL_INSTANCE_SOCKET, else manager.sock beside the card daemon's socket
    // ($XDG_RUNTIME_DIR/varnel-pro/, else /tmp/varnel-pro-<uid>/).
    static std::string DefaultPath();

    enum class Outcome { First, AskedRunning, Failed };
    // Asks a running manager to show its hub; when none answers, becomes the running one and
    // listens. Failed (with the reason) when neither works; the program then runs on alone.
    Outcome Claim(const std::string& path, std::string& error);

    // The listening socket, -1 when not listening.
    int Fd() const { return fd_; }
    // Serves one waiting request, answered `ok`: `show` runs onShow, `quit` runs onQuit and keeps
    // the connection open until this process ends, so that the asker sees the end.
    void ServeOne(
        const std::function<void()>& onShow, const std::function<void()>& onQuit = [] {});

    // Asks the manager listening at `path` to end as on SIGTERM and waits until it has ended.
    // False with the reason when none listens there or it did not end in time.
    static bool AskQuit(const std::string& path, std::string& error);

private:
    int fd_ = -1;
    std::string path_;
    std::vector<int> quitters_;
};
