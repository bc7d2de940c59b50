// rundll: the configuration process, started by the manager as
//   rundll Zq40Pro.DRV,DriverConfig <command> $XXXXXXXX #YYYYYYYY
#include "base/ProgramOptions.h"
#include "sim/protocol/CardClient.h"
#include "sim/protocol/CardDaemonStart.h"
#include "sim/protocol/SharedArena.h"
#include "sim/rundll/ConfigProcess.h"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

const char kHelp[] =
    "Usage: rundll Zq40Pro.DRV,DriverConfig <command> $XXXXXXXX #YYYYYYYY\n"
    "The configuration process of the Varnel PRO driver: the manager starts it for each\n"
    "configuration command, and it fills the manager's shared data block from the card\n"
    "daemon and then writes the completion word. It is not meant to be run by hand.\n"
    "\n"
    "Arguments:\n"
    "  <command>    getstates, reconfigurable, getconfig or setconfig\n"
    "  $XXXXXXXX    the 16:16 address of the data block, in hexadecimal\n"
    "  #YYYYYYYY    the 16:16 address of the completion word, in hexadecimal\n"
    "\n"
    "Options:\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n";

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    // Only a command line of these alone; any other keeps the exit codes the manager relies on.
    if (args.size() == 1 && base::AnswerStandardOption(args[0], "rundll", kHelp))
        return 0;
    ConfigProcessHooks hooks;
    hooks.connect = [](std::string* error) -> std::unique_ptr<simcard::ICardService> {
        return simcard::ConnectCardDaemon(true, error, simcard::ClientRole::AskOnly);
    };
    hooks.sleep = [](std::uint32_t ms) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
    hooks.hang = [] {
        for (;;)
            pause();
    };
    hooks.crash = [] {
        // An abnormal end, but no core file left behind in the caller's directory.
        rlimit none{0, 0};
        setrlimit(RLIMIT_CORE, &none);
        std::abort();
    };
    return RunConfigProcess(args, std::getenv(simcard::SharedArena::kEnvironmentName), hooks,
                            std::cerr);
}
