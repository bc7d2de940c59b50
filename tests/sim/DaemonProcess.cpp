#include "DaemonProcess.h"

#include "base/ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace simcard::test {

using testsupport::ExitStatus;
using testsupport::ReadAll;

namespace {

bool CanConnect(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::string& socket, int out = -1, int err = -1) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("VARNEL_CARD_SOCKET", socket.c_str(), 1);
        if (out >= 0)
            dup2(out, 1);
        if (err >= 0)
            dup2(err, 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

} // namespace

DaemonProcess::DaemonProcess(std::vector<std::string> args) : args_(std::move(args)) {
    char pattern[] = "/tmp/varnel-cardd-test-XXXXXX";
    dir_ = mkdtemp(pattern);
    socket_ = dir_ + "/card.sock";
    args_.push_back("--foreground");
    Start();
}

bool DaemonProcess::Start() {
    const int err =
        open((dir_ + "/stderr").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    pid_ = Spawn(VARNEL_CARDD_PATH, args_, socket_, -1, err);
    close(err);
    // Waiting for a process to come up, not for a timer: bounded, and done as soon as it listens.
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < until) {
        if (CanConnect(socket_))
            return started_ = true;
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return started_ = false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return started_ = false;
}

bool DaemonProcess::Restart() {
    Stop();
    return Start();
}

std::optional<int> DaemonProcess::WaitForExit(std::chrono::milliseconds deadline) {
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (pid_ > 0) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (std::chrono::steady_clock::now() >= until)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

std::string DaemonProcess::ErrorOutput() const {
    const int fd = open((dir_ + "/stderr").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string text = ReadAll(fd);
    close(fd);
    return text;
}

DaemonProcess::~DaemonProcess() {
    Stop();
    unlink(socket_.c_str());
    unlink((dir_ + "/stderr").c_str());
    rmdir(dir_.c_str());
}

int DaemonProcess::Stop() {
    if (pid_ < 0)
        return -1;
    kill(pid_, SIGTERM);
    int status = ExitStatus(pid_);
    pid_ = -1;
    return status;
}

int DaemonProcess::RunSecond(std::vector<std::string> args) const {
    args.push_back("--foreground");
    int devnull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    pid_t pid = Spawn(VARNEL_CARDD_PATH, args, socket_, devnull, devnull);
    close(devnull);
    return ExitStatus(pid);
}

RawConnection::RawConnection(const std::string& socket) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socket.c_str(), sizeof addr.sun_path - 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd_);
        fd_ = -1;
    }
}

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

CtlResult RunVarnelctl(const std::string& socket, const std::vector<std::string>& args) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        return {-1, {}, "pipe"};
    pid_t pid = Spawn(VARNELCTL_PATH, args, socket, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    // Small outputs: stderr fits its pipe while stdout is drained.
    CtlResult result{0, ReadAll(out[0]), ReadAll(err[0])};
    close(out[0]);
    close(err[0]);
    result.status = ExitStatus(pid);
    return result;
}

std::string Fact(const std::string& facts, const std::string& key) {
    std::string text = "\n" + facts;
    std::size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos)
        return "(missing)";
    std::size_t start = at + key.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

} // namespace simcard::test
