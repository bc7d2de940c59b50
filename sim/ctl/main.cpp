// varnelctl: the control tool of the simulated card.
#include "sim/ctl/CommandHelp.h"
#include "sim/ctl/DaemonCommands.h"
#include "sim/ctl/UiRequest.h"
#include "sim/protocol/CardClient.h"
#include "sim/protocol/SocketPath.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

// The manager's metering path, driven from outside: a control handle, meter on, one read.
int Meter(simcard::CardClient& client, const std::vector<std::string>& args) {
    using namespace simcard;
    if (args.size() < 3 || args.size() > 4)
        return Fail("meter: expected <card> <device> [<ms>]", 2);
    const std::string& device = args[2];
    ControlReply facts = client.Control({"status"});
    std::string id = Fact(facts.output, "card." + args[1] + ".device." + device);
    if (id.empty())
        return Fail("meter: no device \"" + device + "\" on card \"" + args[1] + "\"", 2);
    long ms = 100;
    if (args.size() == 4) {
        char* end = nullptr;
        ms = std::strtol(args[3].c_str(), &end, 10);
        if (args[3].empty() || *end != '\0' || ms < 0 || ms > 60000)
            return Fail("meter: ms \"" + args[3] + "\" is not 0..60000", 2);
    }
    const bool in = device.ends_with("-in") || device.find("-in-") != std::string::npos;
    const WaveDirection direction = in ? WaveDirection::In : WaveDirection::Out;
    const std::vector<std::uint8_t> format = {1, 0, 2,  0, 0x44, 0xAC, 0,   0,   0x10, 0xB1, 2, 0,
                                              4, 0, 16, 0, 4,    0,    'C', 'T', 'R',  'L',  0};
    OpenReply open = client.Open(direction, static_cast<std::uint32_t>(std::stoul(id)), format);
    if (open.result != MMSYSERR_NOERROR)
        return Fail("meter: the device cannot be opened (result " + std::to_string(open.result) +
                    ")");
    std::uint32_t on =
        client.Message(direction, open.handle, in ? INMSG_METER_ON : OUTMSG_METER_ON, 0, 0, {})
            .result;
    int status = 0;
    if (on != MMSYSERR_NOERROR) {
        status = Fail("meter: meter-on refused (result " + std::to_string(on) + ")");
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        MessageReply read =
            client.Message(direction, open.handle, in ? INMSG_METER_READ : OUTMSG_METER_READ, 0, 0,
                           std::vector<std::uint8_t>(8));
        auto value = [&](std::size_t at) {
            return static_cast<std::int32_t>(read.block[at] | read.block[at + 1] << 8 |
                                             read.block[at + 2] << 16 |
                                             std::uint32_t(read.block[at + 3]) << 24);
        };
        if (read.result != MMSYSERR_NOERROR)
            status = Fail("meter: meter read refused (result " + std::to_string(read.result) + ")");
        else
            std::printf("peak=%d,%d\n", value(0), value(4));
        client.Message(direction, open.handle, in ? INMSG_METER_OFF : OUTMSG_METER_OFF, 0, 0, {});
    }
    client.Close(direction, open.handle);
    return status;
}

// The manager's automation endpoint, not the card daemon, answers these.
int Ui(const std::vector<std::string>& words) {
    const char* path = std::getenv("VARNEL_AUTOMATION");
    if (!path || !*path)
        return Fail("ui: VARNEL_AUTOMATION does not name the manager's automation socket", 2);
    if (words.empty())
        return Fail("ui: expected a request (varnelctl ui --help)", 2);
    std::string error;
    const std::string line = simcard::UiRequestLine(words, error);
    if (!error.empty())
        return Fail("ui: " + error, 2);
    const std::string answer = simcard::UiExchange(path, line, error);
    if (!error.empty())
        return Fail("ui: " + error);
    std::fputs(answer.c_str(), stdout);
    const std::size_t last = answer.rfind('\n', answer.size() - 2);
    const bool failed = answer.compare(last == std::string::npos ? 0 : last + 1, 7, "error: ") == 0;
    return failed ? 1 : 0;
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
    // The words of a ui request are the manager's; only the first may ask for help.
    const std::size_t helpWords =
        command == "ui" ? std::min<std::size_t>(args.size(), 2) : args.size();
    for (std::size_t i = 0; i < helpWords; ++i)
        if (args[i] == "--help" || args[i] == "-h") {
            std::fputs(help.c_str(), stdout);
            return 0;
        }
    if (command == "ui")
        return Ui({args.begin() + 1, args.end()});

    bool wait = true;
    if (command == "unplug" && args.back() == "--no-wait") {
        wait = false;
        args.pop_back();
    }
    // An unplug armed for an open has nothing to wait for yet.
    if (command == "unplug" && std::find(args.begin(), args.end(), "--on-open") != args.end())
        wait = false;
    // The daemon may run in another directory: a signal file is named to it absolutely.
    if (command == "signal" && args.size() == 5 && args[3] == "file")
        args[4] = std::filesystem::absolute(args[4]).string();

    simcard::CardClient client;
    std::string error;
    if (!client.Connect(simcard::CardSocketPath(), &error))
        return Fail(client.NoDaemon() ? error + " (start it with varnel-cardd)" : error);
    if (command == "meter")
        return Meter(client, args);
    if (command == "setup")
        return simcard::SetupCommand(client, args);
    if (command == "shutdown")
        return simcard::ShutdownCommand(client, args);
    simcard::ControlReply reply = client.Control(args);
    std::fputs(reply.output.c_str(), stdout);
    if (reply.status != 0)
        return Fail(command + ": " + reply.error, reply.status);
    if (command == "unplug" && wait)
        return WaitForRemoval(client);
    return 0;
}
