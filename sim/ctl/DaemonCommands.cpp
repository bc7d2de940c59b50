#include "sim/ctl/DaemonCommands.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace simcard {

namespace {

// A setup of four cards is a few kilobytes; anything much larger is not one.
constexpr std::size_t kMaxSetupBytes = 32 * 1024;
constexpr auto kEndWait = std::chrono::seconds(10);

int Fail(const std::string& message, int status = 1) {
    std::fprintf(stderr, "varnelctl: %s\n", message.c_str());
    return status;
}

// Through a temporary file beside it, renamed into place: a reader never sees half a setup,
// and a failed write leaves the old file as it was.
bool WriteAtomically(const std::string& path, const std::string& text, std::string& error) {
    const std::string temporary = path + ".tmp-" + std::to_string(getpid());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    bool written = fd >= 0 &&
                   write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                   fsync(fd) == 0;
    if (fd >= 0 && close(fd) != 0)
        written = false;
    if (written && rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    error = std::strerror(errno);
    unlink(temporary.c_str());
    return false;
}

} // namespace

int SetupCommand(CardClient& client, const std::vector<std::string>& args) {
    const std::string usage = "setup: expected save|load|show <file> [<card>]";
    if (args.size() < 3 || args.size() > 4)
        return Fail(usage, 2);
    const std::string& verb = args[1];
    const std::string& path = args[2];
    std::vector<std::string> request = {"setup", verb};
    if (verb == "load" || verb == "show") {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return Fail("setup: cannot read " + path + ": " + std::strerror(errno));
        std::ostringstream text;
        text << in.rdbuf();
        if (text.str().size() > kMaxSetupBytes)
            return Fail("setup: " + path + " is too large for a card setup (over 32 KiB)" +
                        (verb == "load" ? "; nothing was changed" : ""));
        request.push_back(text.str());
    } else if (verb != "save") {
        return Fail(usage + ", not \"" + verb + "\"", 2);
    }
    if (args.size() == 4)
        request.push_back(args[3]);
    const ControlReply reply = client.Control(request);
    if (reply.status != 0) {
        // What is wrong in the file is said with the file's name.
        const bool inFile = reply.error.starts_with("line ");
        return Fail("setup: " + (inFile ? path + ": " : "") + reply.error, reply.status);
    }
    if (verb != "save") {
        std::fputs(reply.output.c_str(), stdout);
        return 0;
    }
    std::string error;
    if (!WriteAtomically(path, reply.output, error))
        return Fail("setup: cannot write " + path + ": " + error);
    return 0;
}

int ShutdownCommand(CardClient& client, const std::vector<std::string>& args) {
    const ControlReply reply = client.Control(args);
    if (reply.status != 0)
        return Fail("shutdown: " + reply.error, reply.status);
    // The daemon hangs up once its state is written and its socket removed.
    const auto until = std::chrono::steady_clock::now() + kEndWait;
    while (client.Connected()) {
        if (std::chrono::steady_clock::now() >= until)
            return Fail("shutdown: the card daemon did not end within 10 seconds");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

} // namespace simcard
