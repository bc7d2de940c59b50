#include "support/DaemonProcess.h"

#include "support/ChildProcess.h"
#include "support/Deadline.h"
#include "support/RawSocket.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

DaemonProcess::DaemonProcess(std::vector<std::string> args)
    : args_(std::move(args)), dir_(0700, "cardd-test"), socket_(dir_.Path() + "/card.sock") {
    args_.push_back("--foreground");
    Start();
}

bool DaemonProcess::Start() {
    const int err =
        open((dir_.Path() + "/stderr").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    pid_ = SpawnWithSocket(VARNEL_CARDD_PATH, args_, socket_, -1, err);
    close(err);
    // Up once it listens; given up when it ends first.
    bool ended = false;
    const bool up = PollUntil(
        std::chrono::seconds(5),
        [&] { return Accepts(socket_) || (ended = waitpid(pid_, nullptr, WNOHANG) == pid_); },
        std::chrono::milliseconds(2));
    if (ended)
        pid_ = -1;
    return started_ = up && !ended;
}

bool DaemonProcess::Restart() {
    Stop();
    return Start();
}

std::optional<int> DaemonProcess::WaitForExit(std::chrono::milliseconds deadline) {
    std::optional<int> exit;
    PollUntil(
        deadline,
        [&] {
            int status = 0;
            if (pid_ <= 0 || waitpid(pid_, &status, WNOHANG) != pid_)
                return pid_ <= 0;
            pid_ = -1;
            exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return true;
        },
        std::chrono::milliseconds(10));
    return exit;
}

std::string DaemonProcess::ErrorOutput() const {
    const int fd = open((dir_.Path() + "/stderr").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string text = ReadAll(fd);
    close(fd);
    return text;
}

DaemonProcess::~DaemonProcess() {
    Stop();
}

int DaemonProcess::Stop(int signal) {
    if (pid_ < 0)
        return -1;
    kill(pid_, signal);
    int status = ExitStatus(pid_);
    pid_ = -1;
    return status;
}

int DaemonProcess::RunSecond(std::vector<std::string> args) const {
    args.push_back("--foreground");
    int devnull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    pid_t pid = SpawnWithSocket(VARNEL_CARDD_PATH, args, socket_, devnull, devnull);
    close(devnull);
    return ExitStatus(pid);
}

RawConnection::RawConnection(const std::string& socket) : fd_(RawConnect(socket)) {}

RawConnection::~RawConnection() {
    if (fd_ >= 0)
        close(fd_);
}

bool RawConnection::Send(const std::vector<std::uint8_t>& bytes) {
    return fd_ >= 0 && send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                           static_cast<ssize_t>(bytes.size());
}

std::optional<std::vector<std::uint8_t>> RawConnection::ReadFrame() {
    for (;;) {
        if (buffer_.size() >= 4) {
            std::uint32_t length =
                buffer_[0] | buffer_[1] << 8 | buffer_[2] << 16 | std::uint32_t(buffer_[3]) << 24;
            if (buffer_.size() >= 4 + length) {
                std::vector<std::uint8_t> frame(buffer_.begin(), buffer_.begin() + 4 + length);
                buffer_.erase(buffer_.begin(), buffer_.begin() + 4 + length);
                return frame;
            }
        }
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 2000) <= 0)
            return std::nullopt;
        std::uint8_t chunk[4096];
        ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0)
            return std::nullopt;
        buffer_.insert(buffer_.end(), chunk, chunk + n);
    }
}

} // namespace testsupport
