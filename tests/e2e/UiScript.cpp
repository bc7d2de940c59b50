#include "e2e/UiScript.h"

#include "sim/DaemonProcess.h"

#include <sstream>
#include <thread>

namespace e2e {

std::string Ui(const std::string& cardSocket, const std::vector<std::string>& words, bool* ok) {
    std::vector<std::string> args{"ui"};
    args.insert(args.end(), words.begin(), words.end());
    auto result = simcard::test::RunVarnelctl(cardSocket, args);
    if (ok)
        *ok = result.status == 0;
    return result.out + result.err;
}

bool PollUntil(std::chrono::milliseconds deadline, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (true) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string LineWith(const std::string& text, const std::string& what) {
    std::size_t at = text.find(what);
    if (at == std::string::npos)
        return {};
    std::size_t start = text.rfind('\n', at);
    start = start == std::string::npos ? 0 : start + 1;
    return text.substr(start, text.find('\n', at) - start);
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

} // namespace e2e
