#include "sim/model/CardSetup.h"

#include <charconv>
#include <cstdio>
#include <functional>

namespace simcard {

namespace {

constexpr std::string_view kHeaderKey = "varnel-pro-setup";

// One key of a card's section: how it is written and read, and what it takes.
struct SettingKey {
    std::string name;
    std::string expected;
    std::function<std::string(const CardSettings&)> write;
    std::function<bool(std::string_view, CardSettings&)> read;
};

// A number in decimal or 0x hexadecimal, as varnelctl's commands take them.
bool Number(std::string_view text, std::int64_t min, std::int64_t max, std::int64_t& value) {
    const bool negative = text.starts_with('-');
    if (negative)
        text.remove_prefix(1);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size())
        return false;
    if (negative)
        value = -value;
    return value >= min && value <= max;
}

// `count` comma-separated numbers of min..max.
bool List(std::string_view text, std::size_t count, std::int64_t min, std::int64_t max,
          std::vector<std::int64_t>& values) {
    values.clear();
    for (;;) {
        const std::size_t comma = text.find(',');
        std::int64_t value = 0;
        if (!Number(text.substr(0, comma), min, max, value))
            return false;
        values.push_back(value);
        if (comma == std::string_view::npos)
            return values.size() == count;
        text.remove_prefix(comma + 1);
    }
}

std::string Joined(std::initializer_list<std::uint32_t> values) {
    std::string text;
    for (std::uint32_t v : values)
        text += (text.empty() ? "" : ",") + std::to_string(v);
    return text;
}

SettingKey Bytes4Key(std::string name, std::array<SimulatedCard::Bytes4, 2> CardSettings::*field,
                     int kind) {
    return {std::move(name), "four bytes 0..255 as b0,b1,b2,b3",
            [field, kind](const CardSettings& s) {
                const auto& b = (s.*field)[kind];
                return Joined({b[0], b[1], b[2], b[3]});
            },
            [field, kind](std::string_view text, CardSettings& s) {
                std::vector<std::int64_t> v;
                if (!List(text, 4, 0, 255, v))
                    return false;
                for (int i = 0; i < 4; ++i)
                    (s.*field)[kind][i] = static_cast<std::uint8_t>(v[i]);
                return true;
            }};
}

std::vector<SettingKey> MakeKeys() {
    std::vector<SettingKey> keys;
    keys.push_back(
        {"gain", "two words 0..65535 as left,right",
         [](const CardSettings& s) {
             return Joined({s.gain[0], s.gain[1]});
         },
         [](std::string_view text, CardSettings& s) {
             std::vector<std::int64_t> v;
             if (!List(text, 2, 0, 0xFFFF, v))
                 return false;
             s.gain = {static_cast<std::uint16_t>(v[0]), static_cast<std::uint16_t>(v[1])};
             return true;
         }});
    keys.push_back(Bytes4Key("monitor.analog", &CardSettings::monitor, kAnalog));
    keys.push_back(Bytes4Key("monitor.digital", &CardSettings::monitor, kDigital));
    // After monitor.digital, whose first byte it is: the line a user edits wins.
    keys.push_back({"dinput", "a byte 0..255 (1 optical, 2 electrical, 3 CD)",
                    [](const CardSettings& s) { return std::to_string(s.monitor[kDigital][0]); },
                    [](std::string_view text, CardSettings& s) {
                        std::int64_t v = 0;
                        if (!Number(text, 0, 255, v))
                            return false;
                        s.monitor[kDigital][0] = static_cast<std::uint8_t>(v);
                        return true;
                    }});
    keys.push_back(Bytes4Key("route.analog", &CardSettings::route, kAnalog));
    keys.push_back(Bytes4Key("route.digital", &CardSettings::route, kDigital));
    keys.push_back({"format", "a word 0..0xFFFFFFFF",
                    [](const CardSettings& s) {
                        char text[16];
                        std::snprintf(text, sizeof text, "0x%04X", s.format);
                        return std::string(text);
                    },
                    [](std::string_view text, CardSettings& s) {
                        std::int64_t v = 0;
                        if (!Number(text, 0, 0xFFFFFFFF, v))
                            return false;
                        s.format = static_cast<std::uint32_t>(v);
                        return true;
                    }});
    const char* inputs[] = {"optical", "electrical", "cd"};
    for (int i = 0; i < 3; ++i)
        keys.push_back({std::string("rate.") + inputs[i], "Hz 0..4294967295 (0: no lock)",
                        [i](const CardSettings& s) { return std::to_string(s.rates[i]); },
                        [i](std::string_view text, CardSettings& s) {
                            std::int64_t v = 0;
                            if (!Number(text, 0, 0xFFFFFFFF, v))
                                return false;
                            s.rates[i] = static_cast<std::uint32_t>(v);
                            return true;
                        }});
    for (const ConfigField& field : ConfigFields()) {
        if (field.offset == 0) // RemoveNotice
            continue;
        const std::size_t at = field.offset;
        keys.push_back(
            {std::string("config.") + field.name, "a 32-bit number",
             [at](const CardSettings& s) { return std::to_string(ReadInt32(s.config, at)); },
             [at](std::string_view text, CardSettings& s) {
                 std::int64_t v = 0;
                 if (!Number(text, INT32_MIN, UINT32_MAX, v))
                     return false;
                 WriteInt32(s.config, at, static_cast<std::int32_t>(v));
                 return true;
             }});
    }
    return keys;
}

const std::vector<SettingKey>& Keys() {
    static const std::vector<SettingKey> keys = MakeKeys();
    return keys;
}

const SettingKey* FindKey(std::string_view name) {
    for (const SettingKey& key : Keys())
        if (key.name == name)
            return &key;
    return nullptr;
}

// A piece of the file quoted in a message: printable ASCII, and not much of it.
std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text.substr(0, 48))
        quoted += c >= 0x20 && c < 0x7F ? c : '?';
    return quoted + (text.size() > 48 ? "…\"" : "\"");
}

std::string At(int line, const std::string& reason) {
    return "line " + std::to_string(line) + ": " + reason;
}

} // namespace

CardSettings SettingsOf(const SimulatedCard& card) {
    return {card.gain, card.monitor, card.route, card.format, card.rates, card.config};
}

Facts SettingFacts(const CardSettings& settings) {
    Facts facts;
    for (const SettingKey& key : Keys())
        facts.emplace_back(key.name, key.write(settings));
    return facts;
}

std::string DescribeSetup(const std::vector<std::pair<int, CardSettings>>& cards) {
    std::string text =
        "# Varnel PRO card setup (varnelctl setup load <file> [<card>] applies it).\n"
        "# A card's lines are its facts as varnelctl status shows them. dinput is the first\n"
        "# byte of monitor.digital and wins over it; config.* are the configuration record's\n"
        "# fields, whose other bytes stay the card's own.\n";
    text += std::string(kHeaderKey) + "=" + std::to_string(kSetupVersion) + "\n";
    for (const auto& [number, settings] : cards)
        for (const auto& [key, value] : SettingFacts(settings))
            text += "card." + std::to_string(number) + "." + key + "=" + value + "\n";
    return text;
}

bool ParseSetup(std::string_view text, std::vector<SetupSection>& sections, std::string* error) {
    std::map<int, SetupSection> found;
    std::map<std::string, int> seenOn;
    int number = 0;
    bool headed = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty() || line.starts_with('#'))
            continue;
        const std::size_t eq = line.find('=');
        const std::string_view key = line.substr(0, eq);
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
        if (!headed) {
            std::int64_t version = 0;
            if (key != kHeaderKey || eq == std::string_view::npos) {
                *error = At(number, "not a Varnel PRO card setup (one begins with " +
                                        std::string(kHeaderKey) + "=<version>)");
                return false;
            }
            if (!Number(value, 1, INT32_MAX, version)) {
                *error = At(number, "version " + Quoted(value) + " is not a number from 1");
                return false;
            }
            if (version > kSetupVersion) {
                *error = At(number, "a setup of version " + std::to_string(version) +
                                        ", newer than this program reads (up to " +
                                        std::to_string(kSetupVersion) + ")");
                return false;
            }
            headed = true;
            continue;
        }
        const bool cardKey = key.size() > 7 && key.starts_with("card.") && key[6] == '.';
        if (eq == std::string_view::npos || !cardKey) {
            *error = At(number, Quoted(line) + " is not a line card.<card>.<key>=<value>");
            return false;
        }
        if (key[5] < '0' || key[5] >= '0' + kMaxCards) {
            *error = At(number, "card " + Quoted(key.substr(5, 1)) + " is not 0..3");
            return false;
        }
        const SettingKey* setting = FindKey(key.substr(7));
        if (!setting) {
            *error = At(number, "unknown key " + Quoted(key));
            return false;
        }
        CardSettings trial;
        if (!setting->read(value, trial)) {
            *error =
                At(number, std::string(key) + "=" + Quoted(value) + " is not " + setting->expected);
            return false;
        }
        const auto [previous, fresh] = seenOn.emplace(std::string(key), number);
        if (!fresh) {
            *error = At(number, std::string(key) + " again (first on line " +
                                    std::to_string(previous->second) + ")");
            return false;
        }
        SetupSection& section = found[key[5] - '0'];
        if (section.line == 0)
            section = {key[5] - '0', number, {}};
        section.values.emplace(setting->name, value);
    }
    if (!headed) {
        *error = At(number + 1, "the file ends before its line " + std::string(kHeaderKey) +
                                    "=<version>: not a Varnel PRO card setup");
        return false;
    }
    if (found.empty()) {
        *error = At(number, "the setup holds no card");
        return false;
    }
    for (const auto& [card, section] : found)
        for (const SettingKey& key : Keys())
            if (!section.values.contains(key.name)) {
                *error = At(number, "the setup ends without card." + std::to_string(card) + "." +
                                        key.name + " (each card has every key)");
                return false;
            }
    sections.clear();
    for (auto& [card, section] : found)
        sections.push_back(std::move(section));
    return true;
}

CardSettings Apply(const SetupSection& section, CardSettings base) {
    for (const SettingKey& key : Keys())
        key.read(section.values.at(key.name), base);
    return base;
}

} // namespace simcard
