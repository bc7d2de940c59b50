// varnelctl: the control tool of the simulated card.
#include "sim/ctl/CommandHelp.h"
#include "sim/protocol/CardClient.h"
#include "sim/protocol/SocketPath.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr auto kUnplugWait = std::chrono::seconds(10);

int Fail(const std::string& message, int status = 1) {
    std::fprintf(stderr, "varnelctl: %s\n", message.c_str());
    return status;
}

std::string Fact(const std::string& facts, const std::string& key) {
    const std::string text = "\n" + facts;
    std::size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos)
        return {};
    std::size_t start = at + key.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

// Waits until no removal is pending; the card daemon decides how long that takes.
int WaitForRemoval(simcard::CardClient& client) {
    auto until = std::chrono::steady_clock::now() + kUnplugWait;
    while (std::chrono::steady_clock::now() < until) {
        simcard::ControlReply status = client.Control({"status"});
        if (status.status != 0)
            return Fail(status.error);
        if (Fact(status.output, "removals.pending") == "0") {
            std::printf("cards=%s\n", Fact(status.output, "cards").c_str());
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return Fail("the card was not removed within 10 seconds");
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(simcard::OverallHelp().c_str(), args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    const std::string command = args[0];
    std::string help = simcard::CommandHelp(command);
    if (help.empty())
        return Fail("unknown command \"" + command + "\" (varnelctl --help)", 2);
    for (const auto& arg : args)
        if (arg == "--help" || arg == "-h") {
            std::fputs(help.c_str(), stdout);
            return 0;
        }
    if (command == "ui")
        return Fail("ui: the manager's automation endpoint is not available yet");

    bool wait = true;
    if (command == "unplug" && args.back() == "--no-wait") {
        wait = false;
        args.pop_back();
    }
    // The daemon may run in another directory: a signal file is named to it absolutely.
    if (command == "signal" && args.size() == 5 && args[3] == "file")
        args[4] = std::filesystem::absolute(args[4]).string();

    simcard::CardClient client;
    std::string error;
    if (!client.Connect(simcard::CardSocketPath(), &error))
        return Fail(error + " (start it with varnel-cardd)");
    simcard::ControlReply reply = client.Control(args);
    std::fputs(reply.output.c_str(), stdout);
    if (reply.status != 0)
        return Fail(command + ": " + reply.error, reply.status);
    if (command == "unplug" && wait)
        return WaitForRemoval(client);
    return 0;
}
