#include "sim/rundll/ConfigCommandLine.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<std::string_view, ConfigCommand>, 4> kCommands{{
    {"getstates", ConfigCommand::GetStates},
    {"reconfigurable", ConfigCommand::Reconfigurable},
    {"getconfig", ConfigCommand::GetConfig},
    {"setconfig", ConfigCommand::SetConfig},
}};

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// "<prefix>" and exactly eight hexadecimal digits.
bool ParseAddress(std::string_view arg, char prefix, std::uint32_t& address) {
    if (arg.size() != 9 || arg[0] != prefix)
        return false;
    address = 0;
    for (char c : arg.substr(1)) {
        int digit = HexDigit(c);
        if (digit < 0)
            return false;
        address = address << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
}

// An argument as it may be shown in an error: printable ASCII kept, anything else escaped.
std::string Shown(std::string_view arg) {
    std::string out = "\"";
    static const char* hex = "0123456789ABCDEF";
    for (unsigned char c : arg.substr(0, 64)) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out + (arg.size() > 64 ? "\"..." : "\"");
}

ConfigCommandLineResult Fail(std::string error) {
    ConfigCommandLineResult r;
    r.error = std::move(error);
    return r;
}

} // namespace

std::uint32_t RecordSize(ConfigCommand command) {
    switch (command) {
    case ConfigCommand::GetStates:
        return 20;
    case ConfigCommand::Reconfigurable:
        return 4;
    case ConfigCommand::GetConfig:
    case ConfigCommand::SetConfig:
        return 800;
    }
    return 0;
}

ConfigCommandLineResult ParseConfigCommandLine(const std::vector<std::string_view>& args) {
    if (args.size() != 4)
        return Fail("expected 4 arguments (entry point, command, $data, #completion), got " +
                    std::to_string(args.size()));
    if (args[0] != kConfigEntryPoint)
        return Fail("unknown entry point " + Shown(args[0]) + ", expected \"" +
                    std::string(kConfigEntryPoint) + "\"");
    ConfigCommandLineResult result;
    bool known = false;
    for (const auto& [word, command] : kCommands)
        if (args[1] == word) {
            result.line.command = command;
            result.line.word = word;
            known = true;
        }
    if (!known)
        return Fail("unknown command " + Shown(args[1]));
    if (!ParseAddress(args[2], '$', result.line.dataAddress))
        return Fail("bad data block address " + Shown(args[2]) +
                    ", expected '$' and 8 hexadecimal digits");
    if (!ParseAddress(args[3], '#', result.line.completionAddress))
        return Fail("bad completion block address " + Shown(args[3]) +
                    ", expected '#' and 8 hexadecimal digits");
    if (result.line.dataAddress == result.line.completionAddress)
        return Fail("the data and completion blocks are the same block");
    result.ok = true;
    return result;
}
