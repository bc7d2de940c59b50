#include "support/XvfbServer.h"

#include "support/Deadline.h"
#include "support/DesktopWindows.h"
#include "support/RawSocket.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

// Starts `argv` (looked up in PATH) with this process's environment and the `NAME=value`
// entries of `set` in place of the same names; its output goes to /dev/null. The pid, or -1.
pid_t Spawn(std::vector<std::string> argv, const std::vector<std::string>& set) {
    std::vector<std::string> env(set);
    for (char** entry = environ; *entry; ++entry) {
        const char* eq = std::strchr(*entry, '=');
        const std::string name(*entry, eq ? static_cast<std::size_t>(eq - *entry) : 0);
        bool replaced = false;
        for (const std::string& own : set)
            replaced = replaced || own.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced)
            env.emplace_back(*entry);
    }
    std::vector<char*> args, envp;
    for (std::string& arg : argv)
        args.push_back(arg.data());
    args.push_back(nullptr);
    for (std::string& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const bool spawned =
        posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return spawned ? pid : -1;
}

// Ends a program this object started: SIGTERM, then SIGKILL when it does not go within 3 s.
void End(pid_t& pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    if (!PollUntil(std::chrono::seconds(3),
                   [&] { return ::waitpid(pid, nullptr, WNOHANG) != 0; })) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

bool Ended(pid_t pid) {
    return ::waitpid(pid, nullptr, WNOHANG) == pid;
}

// The pid in the lock file an X server keeps for display `n`, or -1.
pid_t LockHolder(int n) {
    std::ifstream lock("/tmp/.X" + std::to_string(n) + "-lock");
    long pid = -1;
    return lock >> pid ? static_cast<pid_t>(pid) : -1;
}

const char* Program(WindowManager wm) {
    return wm == WindowManager::Xfwm4 ? "xfwm4" : "openbox";
}

} // namespace

XvfbServer::XvfbServer(WindowManager wm) : wm_(wm) {
    std::vector<std::string> needed = {"Xvfb", Program(wm)};
    if (wm == WindowManager::Xfwm4)
        needed.emplace_back("dbus-daemon");
    for (const std::string& tool : needed)
        if (FindInPath(tool).empty())
            missing_ += (missing_.empty() ? "" : ", ") + tool;
    if (!missing_.empty())
        return;
    if (StartOnFreeDisplay() && !StartWindowManager())
        End(wmPid_);
}

XvfbServer::XvfbServer(const std::string& authority) : authority_(authority) {
    if (FindInPath("Xvfb").empty())
        missing_ = "Xvfb";
    else
        StartOnFreeDisplay();
}

bool XvfbServer::StartOnFreeDisplay() {
    for (int n = 150; n < 200; ++n) {
        // A lock file means another server holds (or held) the display: leave it alone.
        if (std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
            continue;
        if (StartOn(n))
            return true;
    }
    return false;
}

XvfbServer::~XvfbServer() {
    Stop();
}

bool XvfbServer::StartOn(int n) {
    const std::string display = ":" + std::to_string(n);
    // Without -noreset the server resets whenever its last client leaves, the probe below
    // included, and refuses the next client while it does.
    std::vector<std::string> argv = {"Xvfb",         display,     "-screen", "0",
                                     "1280x1024x24", "-nolisten", "tcp",     "-noreset"};
    if (!authority_.empty())
        argv.insert(argv.end(), {"-auth", authority_});
    const pid_t pid = Spawn(argv, {});
    if (pid <= 0)
        return false;
    // Up once the display's local socket accepts clients and the display's lock names this
    // server: another one that started on the same display at the same time answers there too,
    // and this one then ends.
    bool ended = false;
    const bool up = PollUntil(std::chrono::seconds(10), [&] {
        return (Accepts("/tmp/.X11-unix/X" + std::to_string(n)) && LockHolder(n) == pid) ||
               (ended = Ended(pid));
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

bool XvfbServer::StartWindowManager() {
    wmHome_.emplace(0700, "wm");
    std::vector<std::string> env = {"DISPLAY=" + display_, "XDG_CONFIG_HOME=" + wmHome_->Path()};
    std::vector<std::string> argv = {"openbox", "--sm-disable"};
    if (wm_ == WindowManager::Xfwm4) {
        // xfwm4 reads its settings from xfconfd, which the session bus starts on demand.
        const std::string bus = wmHome_->Path() + "/bus";
        busPid_ = Spawn(
            {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + bus},
            env);
        if (busPid_ <= 0 || !PollUntil(std::chrono::seconds(10), [&] { return Accepts(bus); }))
            return false;
        env.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + bus);
        argv = {"xfwm4", "--compositor=off", "--sm-client-disable"};
    }
    wmPid_ = Spawn(argv, env);
    if (wmPid_ <= 0)
        return false;
    DesktopWindows screen(display_);
    bool ended = false;
    const bool runs = PollUntil(std::chrono::seconds(20), [&] {
        return screen.WindowManagerRuns() || (ended = Ended(wmPid_));
    });
    if (ended)
        wmPid_ = -1; // already reaped
    return runs && !ended;
}

void XvfbServer::Stop() {
    End(wmPid_);
    End(busPid_);
    End(pid_);
}

WestonServer::WestonServer(const std::string& runtimeDir) {
    if (FindInPath("weston").empty()) {
        missing_ = "weston";
        return;
    }
    socket_ = "wayland-varnel-" + std::to_string(::getpid());
    pid_ = Spawn({"weston", "--backend=headless-backend.so", "--socket=" + socket_, "--idle-time=0",
                  "--width=1280", "--height=1024"},
                 {"XDG_RUNTIME_DIR=" + runtimeDir});
    bool ended = false;
    if (pid_ > 0 &&
        !(PollUntil(std::chrono::seconds(10),
                    [&] { return Accepts(runtimeDir + "/" + socket_) || (ended = Ended(pid_)); }) &&
          !ended)) {
        if (ended)
            pid_ = -1;
        End(pid_);
    }
}

WestonServer::~WestonServer() {
    End(pid_);
}

} // namespace testsupport
