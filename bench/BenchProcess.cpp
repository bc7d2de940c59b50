#include "BenchProcess.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> MergedEnvironment(const Environment& changes) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry; ++entry)
        merged.emplace_back(*entry);
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('='));
        std::erase_if(merged, [&](const std::string& e) { return e.rfind(name + "=", 0) == 0; });
        if (change.find('=') != std::string::npos)
            merged.push_back(change);
    }
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts the program with its stdout and stderr on `fd`; -1 when it cannot be started.
pid_t Spawn(std::vector<std::string> argv, const Environment& environment, int fd) {
    std::vector<std::string> env = MergedEnvironment(environment);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fd, 1);
    posix_spawn_file_actions_adddup2(&actions, fd, 2);
    // Its own process group, so that a terminal's Ctrl+C reaches only the benchmark, which
    // then ends its children in order.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    pid_t pid = -1;
    auto args = Pointers(argv);
    auto envp = Pointers(env);
    if (argv.empty() ||
        posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), envp.data()) != 0)
        pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits up to `grace` for `pid` to end; true once reaped.
bool Reaped(pid_t pid, std::chrono::milliseconds grace, int* status = nullptr) {
    const auto end = Clock::now() + grace;
    while (::waitpid(pid, status, WNOHANG) == 0) {
        if (Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace

Child::Child(std::vector<std::string> argv, const Environment& environment,
             const std::string& log) {
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    pid_ = Spawn(std::move(argv), environment, fd);
    ::close(fd);
}

Child::Child(Child&& other) noexcept : pid_(other.pid_) {
    other.pid_ = -1;
}

Child& Child::operator=(Child&& other) noexcept {
    if (this != &other) {
        Stop();
        pid_ = other.pid_;
        other.pid_ = -1;
    }
    return *this;
}

bool Child::Running() {
    if (pid_ <= 0)
        return false;
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const auto close = text.rfind(") ");
    return close != std::string::npos && text[close + 2] != 'Z';
}

void Child::Stop() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    if (!Reaped(pid_, std::chrono::seconds(2))) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}

RunResult Run(std::vector<std::string> argv, const Environment& environment,
              std::chrono::milliseconds deadline) {
    RunResult result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return result;
    const pid_t pid = Spawn(std::move(argv), environment, fds[1]);
    ::close(fds[1]);
    const auto end = Clock::now() + deadline;
    bool open = pid > 0;
    while (open) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        pollfd fd{fds[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            break;
        char chunk[4096];
        const ssize_t n = ::read(fds[0], chunk, sizeof chunk);
        open = n > 0;
        if (open)
            result.output.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    if (pid <= 0)
        return result;
    // Its output closes as it ends; one that is still running at the deadline is killed.
    int status = 0;
    if (open || !Reaped(pid, std::chrono::seconds(2), &status)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return result;
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

long CpuTicksOfStat(const std::string& stat) {
    const auto close = stat.rfind(") ");
    if (close == std::string::npos)
        return -1;
    // After the name: state(3) ppid pgrp session tty_nr tpgid flags minflt cminflt majflt
    // cmajflt utime(14) stime(15).
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    long utime = -1, stime = -1;
    for (int n = 3; n <= 15 && fields >> field; ++n) {
        if (n == 14)
            utime = std::strtol(field.c_str(), nullptr, 10);
        if (n == 15)
            stime = std::strtol(field.c_str(), nullptr, 10);
    }
    return utime < 0 || stime < 0 ? -1 : utime + stime;
}

long CpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat)
        return -1;
    return CpuTicksOfStat(std::string((std::istreambuf_iterator<char>(stat)), {}));
}

long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

bool Installed(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && ::access((dir + "/" + name).c_str(), X_OK) == 0)
            return true;
    return false;
}

} // namespace bench
