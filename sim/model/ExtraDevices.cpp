#include "sim/model/ExtraDevices.h"

#include <charconv>
#include <sstream>

namespace simcard {

namespace {

bool ParseWord(std::string_view& rest, std::string_view& word) {
    std::size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return false;
    rest.remove_prefix(start);
    std::size_t end = rest.find(' ');
    word = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return true;
}

bool ParseId(std::string_view word, std::uint16_t& value) {
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return ec == std::errc{} && end == word.data() + word.size();
}

} // namespace

bool ParseExtraDevices(const std::string& text, std::vector<ExtraDevice>& devices,
                       std::string* error) {
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(' ') == std::string::npos || line[0] == '#')
            continue;
        std::string_view rest = line, way, mid, pid;
        ExtraDevice device;
        bool ok = ParseWord(rest, way) && (way == "in" || way == "out") && ParseWord(rest, mid) &&
                  ParseId(mid, device.manufacturerId) && ParseWord(rest, pid) &&
                  ParseId(pid, device.productId) && !rest.empty();
        if (!ok) {
            *error = "line " + std::to_string(number) +
                     ": expected \"in|out <manufacturer id> <product id> <name>\"";
            return false;
        }
        device.direction = way == "in" ? WaveDirection::In : WaveDirection::Out;
        device.name = std::string(rest);
        devices.push_back(device);
    }
    return true;
}

} // namespace simcard
