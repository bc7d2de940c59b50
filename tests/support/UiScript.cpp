#include "support/UiScript.h"

#include "support/RawSocket.h"
#include "support/Varnelctl.h"

#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

std::string Ui(const std::string& cardSocket, const std::vector<std::string>& words, bool* ok) {
    std::vector<std::string> args{"ui"};
    args.insert(args.end(), words.begin(), words.end());
    auto result = RunVarnelctl(cardSocket, args);
    if (ok)
        *ok = result.status == 0;
    return result.out + result.err;
}

std::vector<std::string> UiBatch(const std::string& automationSocket, const std::string& bytes,
                                 int answers) {
    const int fd = RawConnect(automationSocket);
    std::vector<std::string> lines;
    if (fd >= 0 &&
        send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size())) {
        std::string pending;
        char buffer[4096];
        while (static_cast<int>(lines.size()) < answers) {
            ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            pending.append(buffer, static_cast<std::size_t>(n));
            for (auto eol = pending.find('\n'); eol != std::string::npos;
                 eol = pending.find('\n')) {
                std::string line = pending.substr(0, eol);
                pending.erase(0, eol + 1);
                if (line == "ok" || line.starts_with("error: "))
                    lines.push_back(line);
            }
        }
    }
    if (fd >= 0)
        close(fd);
    return lines;
}

std::string LineWith(const std::string& text, const std::string& what) {
    std::size_t at = text.find(what);
    if (at == std::string::npos)
        return {};
    std::size_t start = text.rfind('\n', at);
    start = start == std::string::npos ? 0 : start + 1;
    return text.substr(start, text.find('\n', at) - start);
}

bool Carries(const std::string& line, const std::string& keyValue) {
    return (" " + line + " ").find(" " + keyValue + " ") != std::string::npos;
}

namespace {

// The number after ` key=` in `line`, or -1.
int Field(const std::string& line, const std::string& key) {
    std::size_t at = line.find(" " + key + "=");
    if (at == std::string::npos)
        return -1;
    try {
        return std::stoi(line.substr(at + key.size() + 2));
    } catch (const std::exception&) {
        return -1;
    }
}

} // namespace

std::vector<MeterState> MetersOf(const std::string& dump) {
    std::vector<MeterState> meters;
    std::istringstream lines(dump);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string cls;
        MeterState meter;
        if (!(words >> cls >> meter.name) || cls != "TLevelMeter")
            continue;
        meter.visible = Field(line, "visible") == 1;
        meter.level = Field(line, "level");
        meter.lit = Field(line, "lit");
        meter.peak = Field(line, "peak");
        meters.push_back(meter);
    }
    return meters;
}

} // namespace testsupport
