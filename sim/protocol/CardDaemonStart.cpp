#include "sim/protocol/CardDaemonStart.h"

#include "base/ProgramDirectory.h"
#include "sim/protocol/CardClient.h"
#include "sim/protocol/SocketPath.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace simcard {

namespace {

std::unique_ptr<CardClient> TryConnect(const std::string& path, ClientRole role, std::string* error,
                                       bool* noDaemon = nullptr) {
    auto client = std::make_unique<CardClient>(role == ClientRole::AskOnly
                                                   ? CardClient::Replies::ReadByRequest
                                                   : CardClient::Replies::ReaderThread);
    if (noDaemon)
        *noDaemon = false;
    if (client->Connect(path, error))
        return client;
    if (noDaemon)
        *noDaemon = client->NoDaemon();
    return nullptr;
}

// Starts the daemon and waits until it has detached, which it does once its socket listens.
bool StartDaemon(std::string* error) {
    std::string program = base::HelperProgramPath("varnel-cardd");
    if (access(program.c_str(), X_OK) != 0) {
        *error = "cannot start the card daemon: " + program + " is missing";
        return false;
    }
    char cards[] = "--cards";
    char one[] = "1";
    char exitIdle[] = "--exit-idle";
    std::string idleSeconds = kCardDaemonExitIdleSeconds;
    // A daemon nobody started by hand has no terminal: its messages go to a log of its own.
    char log[] = "--log";
    std::string logPath = base::StateDirectory() + "/" + kCardDaemonLogName;
    char* argv[] = {program.data(), cards,  one, exitIdle, idleSeconds.data(), log,
                    logPath.data(), nullptr};
    // The daemon outlives us: it must not hold on to our files (a pipe a caller reads to its end).
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        *error = "cannot start the card daemon: " + std::string(std::strerror(rc));
        return false;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kCardDaemonStartWaitMs);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            *error = "the card daemon did not start within " +
                     std::to_string(kCardDaemonStartWaitMs) + " ms";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // A daemon that found another one already listening fails; the connect below tells.
    return true;
}

} // namespace

bool CardDaemonAutospawnAllowed() {
    const char* value = std::getenv(kNoAutospawnEnvironment);
    return !value || !*value || std::strcmp(value, "0") == 0;
}

std::unique_ptr<CardClient> ConnectCardDaemon(bool mayStart, std::string* error, ClientRole role) {
    const std::string path = CardSocketPath();
    std::string refusal;
    bool noDaemon = false;
    if (auto client = TryConnect(path, role, &refusal, &noDaemon))
        return client;
    // A socket that is there but refuses us (another user's, or one we may not open) is no
    // reason to start a daemon: it could not listen there either.
    if (!noDaemon || !mayStart || !CardDaemonAutospawnAllowed()) {
        *error = refusal;
        return nullptr;
    }
    if (!StartDaemon(error))
        return nullptr;
    return TryConnect(path, role, error);
}

} // namespace simcard
