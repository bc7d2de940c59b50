#pragma once
// The configuration process: runs one command of the command line against the card's driver on
// the caller's shared blocks. The data block is written first, then the completion word, and a
// caller waiting on that word is woken. A bad command line or block writes nothing.

#include "sim/protocol/CardService.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string_view>
#include <vector>

// The driver state that says the driver could not be reached at all ("kernel driver device could
// not be opened"); getstates reports it when no card daemon answers or can be started.
constexpr std::int32_t kDriverUnreachable = -18;

// Exit codes besides 0.
constexpr int kExitBadCommandLine = 2;
constexpr int kExitNoDriver = 3;

struct ConfigProcessHooks {
    // The driver, or null (with a reason) when none can be reached.
    std::function<std::unique_ptr<simcard::ICardService>(std::string* error)> connect;
    // How a fault the driver asks for is played out; each must not return for Hang and Crash.
    std::function<void(std::uint32_t ms)> sleep;
    std::function<void()> hang;
    std::function<void()> crash;
};

// `args` are the arguments after the program name; `arenaName` the caller's arena (from the
// environment). Returns the exit code.
int RunConfigProcess(const std::vector<std::string_view>& args, const char* arenaName,
                     const ConfigProcessHooks& hooks, std::ostream& err);
