#include "support/ManagerProcess.h"

#include "platform/Shell.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

ManagerProcess::ManagerProcess() : ManagerProcess({ProgramDirectory() + "/varnel-manager"}, 2) {}

ManagerProcess::ManagerProcess(std::vector<std::string> argv, int output) {
    int pipeFds[2];
    if (argv.empty() || pipe2(pipeFds, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], output);
    std::vector<char*> args;
    for (std::string& arg : argv)
        args.push_back(arg.data());
    args.push_back(nullptr);
    if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    err_ = pipeFds[0];
}

ManagerProcess::~ManagerProcess() {
    if (pid_ > 0 && !status_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (err_ >= 0)
        close(err_);
}

bool ManagerProcess::ReadSome(milliseconds timeout) {
    if (err_ < 0)
        return false;
    pollfd fd{err_, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(timeout.count())) <= 0)
        return true;
    char chunk[1024];
    ssize_t n = read(err_, chunk, sizeof chunk);
    if (n <= 0) {
        close(err_);
        err_ = -1;
        return false;
    }
    partial_.append(chunk, static_cast<std::size_t>(n));
    for (auto eol = partial_.find('\n'); eol != std::string::npos; eol = partial_.find('\n')) {
        lines_.push_back(partial_.substr(0, eol));
        partial_.erase(0, eol + 1);
    }
    return true;
}

bool ManagerProcess::WaitForLine(const std::string& prefix, milliseconds deadline) {
    return WaitFor([&](const std::string& line) { return line.rfind(prefix, 0) == 0; }, deadline);
}

bool ManagerProcess::WaitForLineHolding(const std::string& text, milliseconds deadline) {
    return WaitFor([&](const std::string& line) { return line.find(text) != std::string::npos; },
                   deadline);
}

bool ManagerProcess::WaitFor(const std::function<bool(const std::string&)>& wanted,
                             milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    std::size_t seen = 0;
    while (true) {
        for (; seen < lines_.size(); ++seen)
            if (wanted(lines_[seen]))
                return true;
        const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now());
        if (left.count() <= 0 || !ReadSome(left))
            return false;
    }
}

std::optional<int> ManagerProcess::Wait(milliseconds deadline) {
    if (status_ || pid_ <= 0)
        return status_;
    const auto end = Clock::now() + deadline;
    // The program closes stderr when it ends; read to that point, then reap it.
    while (err_ >= 0) {
        const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        ReadSome(left);
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return status_;
}

bool ManagerProcess::Signal(int signal) const {
    return pid_ > 0 && !status_ && kill(pid_, signal) == 0;
}

std::vector<std::string> ManagerProcess::LinesStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const auto& line : lines_)
        if (line.rfind(prefix, 0) == 0)
            found.push_back(line);
    return found;
}

} // namespace testsupport
