// rundll: the configuration process, started by the manager as
//   rundll Zq40Pro.DRV,DriverConfig <command> $XXXXXXXX #YYYYYYYY
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

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    ConfigProcessHooks hooks;
    hooks.connect = [](std::string* error) -> std::unique_ptr<simcard::ICardService> {
        return simcard::ConnectCardDaemon(true, error);
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
