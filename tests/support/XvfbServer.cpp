#include "support/XvfbServer.h"

#include "support/Deadline.h"
#include "support/RawSocket.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace {

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
    // Up once the display's local socket accepts clients; lost to another server that started
    // on the same display at the same time when it ends first.
    bool ended = false;
    const bool up = PollUntil(std::chrono::seconds(10), [&] {
        return Accepts("/tmp/.X11-unix/X" + std::to_string(n)) ||
               (ended = ::waitpid(pid, nullptr, WNOHANG) == pid);
    });
    if (up && !ended) {
        pid_ = pid;
        display_ = display;
        return true;
    }
    if (!ended) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    return false;
}

void XvfbServer::Stop() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    if (!PollUntil(std::chrono::seconds(3),
                   [&] { return ::waitpid(pid_, nullptr, WNOHANG) != 0; })) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
}

} // namespace testsupport
