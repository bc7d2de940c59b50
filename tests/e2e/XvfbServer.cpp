#include "e2e/XvfbServer.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

std::string FindInPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        std::string candidate = dir + "/" + name;
        if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// True when something accepts connections on the display's local socket.
bool Answers(int n) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "/tmp/.X11-unix/X%d", n);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

} // namespace

XvfbServer::XvfbServer() {
    installed_ = !FindInPath("Xvfb").empty();
    if (!installed_)
        return;
    for (int n = 150; n < 200; ++n) {
        // A lock file means another server holds (or held) the display: leave it alone.
        if (std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
            continue;
        if (StartOn(n))
            return;
    }
}

XvfbServer::~XvfbServer() {
    Stop();
}

bool XvfbServer::StartOn(int n) {
    const std::string display = ":" + std::to_string(n);
    std::string program = "Xvfb", screen = "-screen", zero = "0", geometry = "1280x1024x24",
                nolisten = "-nolisten", tcp = "tcp";
    std::string displayArg = display;
    char* argv[] = {program.data(),  displayArg.data(), screen.data(), zero.data(),
                    geometry.data(), nolisten.data(),   tcp.data(),    nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const bool spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!spawned)
        return false;
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return false; // lost the display to another server that started at the same time
        if (Answers(n)) {
            pid_ = pid;
            display_ = display;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return false;
}

void XvfbServer::Stop() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    const auto end = Clock::now() + std::chrono::seconds(3);
    while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
        if (Clock::now() >= end) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
}

} // namespace e2e
