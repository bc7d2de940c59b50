// varnel-cardd: the simulated card daemon.
#include "sim/audio/RealAudio.h"
#include "sim/daemon/CardDaemon.h"
#include "sim/model/ExtraDevices.h"
#include "sim/model/SavedState.h"
#include "sim/protocol/SocketPath.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

int gStopPipe[2] = {-1, -1};

void OnStopSignal(int) {
    (void)!write(gStopPipe[1], "x", 1);
}

const char kUsage[] =
    "usage: varnel-cardd [--cards N] [--devices FILE] [--foreground] [--exit-idle SECONDS]\n"
    "  --cards N            number of simulated cards, 0 to 4 (default 1)\n"
    "  --devices FILE       extra wave devices, one per line:\n"
    "                       in|out <manufacturer id> <product id> <name>\n"
    "  --foreground         stay in the foreground (default: detach once listening)\n"
    "  --exit-idle SECONDS  end once no client has been connected for that long\n"
    "                       (default 0: never); such a daemon keeps the cards' state in\n"
    "                       $XDG_STATE_HOME/varnel-pro/ across its runs\n"
    "The socket is $VARNEL_CARD_SOCKET, else $XDG_RUNTIME_DIR/varnel-pro/card.sock,\n"
    "else varnel-pro-<uid>/card.sock in $TMPDIR or /tmp. Those two directories are kept\n"
    "private (0700); one of another user is refused. Any daemon ends when its socket is\n"
    "deleted or replaced.\n";

constexpr unsigned long kMaxExitIdleSeconds = 24 * 3600;

int Fail(const std::string& message) {
    std::fprintf(stderr, "varnel-cardd: %s\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int cards = 1;
    bool foreground = false;
    unsigned long exitIdleSeconds = 0;
    std::string devicesFile;
    uid_t allowedUid = geteuid();
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char* what) -> std::string {
            if (i + 1 >= argc)
                throw std::string("missing ") + what + " after " + arg;
            return argv[++i];
        };
        try {
            if (arg == "--cards") {
                std::string n = value("N");
                if (n.size() != 1 || n[0] < '0' || n[0] > '4')
                    return Fail("--cards \"" + n + "\" is not 0 to 4");
                cards = n[0] - '0';
            } else if (arg == "--devices") {
                devicesFile = value("FILE");
            } else if (arg == "--exit-idle") {
                std::string n = value("SECONDS");
                char* end = nullptr;
                errno = 0;
                exitIdleSeconds = std::strtoul(n.c_str(), &end, 10);
                if (n.empty() || n[0] < '0' || n[0] > '9' || *end || errno ||
                    exitIdleSeconds > kMaxExitIdleSeconds)
                    return Fail("--exit-idle \"" + n + "\" is not 0 to " +
                                std::to_string(kMaxExitIdleSeconds));
            } else if (arg == "--foreground") {
                foreground = true;
            } else if (arg == "--test-allow-uid") {
                // For tests only: lets a test running as one user see a peer refused.
                allowedUid = static_cast<uid_t>(std::strtoul(value("uid").c_str(), nullptr, 10));
            } else if (arg == "--help" || arg == "-h") {
                std::fputs(kUsage, stdout);
                return 0;
            } else {
                std::fputs(kUsage, stderr);
                return Fail("unknown argument \"" + arg + "\"");
            }
        } catch (const std::string& message) {
            return Fail(message);
        }
    }

    simcard::CardModel model(cards, simcard::SteadyModelClock());
    if (!devicesFile.empty()) {
        std::ifstream in(devicesFile);
        if (!in)
            return Fail("cannot read --devices file \"" + devicesFile + "\"");
        std::stringstream text;
        text << in.rdbuf();
        std::vector<simcard::ExtraDevice> extras;
        std::string error;
        if (!simcard::ParseExtraDevices(text.str(), extras, &error))
            return Fail(devicesFile + ": " + error);
        for (const auto& extra : extras)
            model.AddExtraDevice(extra);
    }

    // A daemon that ends when idle stands in for a driver that is always there: what the cards
    // held must outlive it. A damaged file is no reason not to serve.
    const bool keepsState = exitIdleSeconds > 0;
    const std::string statePath = simcard::SavedStatePath();
    if (keepsState) {
        std::string stateError;
        if (!simcard::LoadState(model, statePath, &stateError))
            std::fprintf(stderr, "varnel-cardd: %s; the cards start from their defaults\n",
                         stateError.c_str());
    }

    std::signal(SIGPIPE, SIG_IGN);
    if (pipe2(gStopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return Fail("cannot create a pipe");
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // Each of them ends the daemon as its idle exit does: state written, socket removed.
    for (int stop : {SIGTERM, SIGINT, SIGHUP})
        sigaction(stop, &action, nullptr);

    std::string path = simcard::CardSocketPath();
    simcard::CardDaemon daemon(model, path, allowedUid);
    daemon.SetExitIdle(exitIdleSeconds * 1000);
    std::string error;
    if (!daemon.Listen(&error))
        return Fail(error);

    if (!foreground) {
        // Detach only once the socket listens, so that whoever started us can connect at once.
        pid_t child = fork();
        if (child < 0)
            return Fail("cannot fork");
        if (child > 0)
            _exit(0);
        setsid();
        int null = open("/dev/null", O_RDWR | O_CLOEXEC);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
        }
    }
    // Started after the fork: the sound server's client thread would not survive it.
    simcard::audio::RealAudio audio(model);
    daemon.SetRoundHook([&audio] { audio.Sync(); });
    audio.Sync();
    const auto end = daemon.Run(gStopPipe[0]);
    if (keepsState && !simcard::SaveState(model, statePath, &error))
        return Fail(error);
    return end == simcard::CardDaemon::End::Failed ? Fail("cannot wait for requests") : 0;
}
