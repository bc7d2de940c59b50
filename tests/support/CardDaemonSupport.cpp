#include "support/CardDaemonSupport.h"

#include "platform/CardConnection.h"
#include "platform/Shell.h"
#include "support/RawSocket.h"
#include "support/Varnelctl.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace {

std::vector<std::string> DaemonArgs(int cards, std::vector<std::string> extra) {
    std::vector<std::string> args{"--cards", std::to_string(cards)};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

} // namespace

CardDaemon::CardDaemon(int cards, std::vector<std::string> extra)
    : daemon_(DaemonArgs(cards, std::move(extra))) {
    setenv("VARNEL_CARD_SOCKET", daemon_.Socket().c_str(), 1);
    InstallCardService(nullptr);
}

CardDaemon::~CardDaemon() {
    daemon_.Stop();
    InstallCardService(nullptr);
}

std::map<std::string, std::string> CardDaemon::Status() const {
    return StatusFacts(Socket());
}

bool CardDaemon::Ctl(const std::vector<std::string>& args) const {
    return RunVarnelctl(Socket(), args).status == 0;
}

std::vector<std::string> CardDaemon::TraceLines(const std::string& what) const {
    return testsupport::TraceLines(Socket(), what);
}

void CardDaemon::Kill() {
    int pid = ListenerPid(Socket());
    if (pid > 0)
        kill(pid, SIGKILL);
    daemon_.Stop();
}

int ListenerPid(const std::string& socket) {
    const int fd = RawConnect(socket);
    if (fd < 0)
        return -1;
    int pid = -1;
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0)
        pid = peer.pid;
    close(fd);
    return pid;
}

std::vector<int> DaemonsServing(const std::string& socket) {
    std::vector<int> pids;
    const std::string wanted = "VARNEL_CARD_SOCKET=" + socket;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream cmdline(entry.path() / "cmdline"), environment(entry.path() / "environ");
        std::string program, variable;
        std::getline(cmdline, program, '\0');
        if (program.find("varnel-cardd") == std::string::npos)
            continue;
        while (std::getline(environment, variable, '\0'))
            if (variable == wanted)
                pids.push_back(std::stoi(name));
    }
    return pids;
}

ProgramResult RunProgram(const std::string& name, const std::vector<std::string>& args) {
    std::string path = ProgramDirectory() + "/" + name;
    std::vector<std::string> all{path};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int err[2];
    if (pipe2(err, O_CLOEXEC) != 0)
        return {-1, "pipe"};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(err[1]);
    ProgramResult result{-1, {}};
    if (rc == 0) {
        char chunk[1024];
        for (ssize_t n; (n = read(err[0], chunk, sizeof chunk)) > 0;)
            result.err.append(chunk, static_cast<std::size_t>(n));
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    close(err[0]);
    return result;
}

} // namespace testsupport
