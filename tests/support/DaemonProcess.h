#pragma once
// A real varnel-cardd on a private socket in a fresh temporary directory, and a connection that
// talks to it frame by frame.

#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

class DaemonProcess {
public:
    explicit DaemonProcess(std::vector<std::string> args = {"--cards", "2"});
    ~DaemonProcess();
    DaemonProcess(const DaemonProcess&) = delete;
    DaemonProcess& operator=(const DaemonProcess&) = delete;

    const std::string& Socket() const { return socket_; }
    const std::string& Directory() const { return dir_.Path(); }
    bool Started() const { return started_; }
    // `signal`, then the exit status (or -1 when it did not end normally).
    int Stop(int signal = SIGTERM);
    // Starts the daemon again on the same socket, with the same arguments, once it has ended.
    bool Restart();
    // The exit status once it has ended by itself, or nullopt at the deadline.
    std::optional<int> WaitForExit(std::chrono::milliseconds deadline);
    // What it wrote to stderr so far.
    std::string ErrorOutput() const;
    // Starts another daemon on the same socket and returns its exit status once it ends.
    int RunSecond(std::vector<std::string> args) const;

private:
    bool Start();

    std::vector<std::string> args_;
    TempDir dir_;
    std::string socket_;
    pid_t pid_ = -1;
    bool started_ = false;
};

// A connection that speaks frames byte by byte.
class RawConnection {
public:
    explicit RawConnection(const std::string& socket);
    ~RawConnection();
    bool Send(const std::vector<std::uint8_t>& bytes);
    // The next whole frame, or nullopt when none arrives within two seconds or the peer closed.
    std::optional<std::vector<std::uint8_t>> ReadFrame();
    int Fd() const { return fd_; }

private:
    int fd_ = -1;
    std::vector<std::uint8_t> buffer_;
};

} // namespace testsupport
