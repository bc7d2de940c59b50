#include "sim/model/SavedState.h"

#include "sim/model/CardControl.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace simcard {

namespace {

constexpr std::string_view kHeader = "varnel-cardd-state=1";

using Change = std::function<void(CardModel&)>;
using CardEdit = std::function<void(SimulatedCard&)>;

std::string Join(std::initializer_list<std::uint32_t> values) {
    std::string text;
    for (std::uint32_t v : values)
        text += (text.empty() ? "" : ",") + std::to_string(v);
    return text;
}

std::string Bytes(const std::array<std::uint8_t, 4>& b) {
    return Join({b[0], b[1], b[2], b[3]});
}

// `count` comma-separated decimal numbers of at most `max` each.
bool Numbers(std::string_view text, std::size_t count, std::uint32_t max,
             std::vector<std::uint32_t>& out) {
    out.clear();
    while (out.size() < count) {
        std::uint32_t value = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc{} || end == text.data() || value > max)
            return false;
        out.push_back(value);
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        if (out.size() < count) {
            if (text.empty() || text[0] != ',')
                return false;
            text.remove_prefix(1);
        }
    }
    return text.empty();
}

bool HexRecord(std::string_view text, ConfigRecord& record) {
    if (text.size() != 2 * record.size())
        return false;
    for (std::size_t i = 0; i < record.size(); ++i) {
        auto [end, ec] =
            std::from_chars(text.data() + 2 * i, text.data() + 2 * i + 2, record[i], 16);
        if (ec != std::errc{} || end != text.data() + 2 * i + 2)
            return false;
    }
    return true;
}

std::array<std::uint8_t, 4> ToBytes(const std::vector<std::uint32_t>& v) {
    return {static_cast<std::uint8_t>(v[0]), static_cast<std::uint8_t>(v[1]),
            static_cast<std::uint8_t>(v[2]), static_cast<std::uint8_t>(v[3])};
}

// A device following the machine's sound server, or an output heard on it: `<word>` or
// `<word> <name>`; empty when the line says otherwise.
CardEdit RealSoundChange(int card, std::string_view field, std::string_view value) {
    auto named = [value](std::string_view word) -> std::optional<std::string> {
        if (value == word)
            return std::string();
        if (value.starts_with(word) && value.size() > word.size() + 1 && value[word.size()] == ' ')
            return std::string(value.substr(word.size() + 1));
        return std::nullopt;
    };
    for (int dev = 0; dev < kDevicesPerDirection; ++dev) {
        const std::string in = DeviceIdentifier(WaveDirection::In, dev);
        const std::string out = DeviceIdentifier(WaveDirection::Out, dev);
        if (field == "signal." + in)
            if (auto source = named("capture"))
                return [dev, source = *source](SimulatedCard& c) {
                    c.input[dev] = Signal::Capture(source);
                };
        if (field == "signal." + out && value == "playback-sink")
            return [dev, sink = PlaybackSinkName(card, dev)](SimulatedCard& c) {
                c.playback[dev] = Signal::PlaybackSink(sink);
            };
        if (dev <= kDigital && field == "output." + out)
            if (auto sink = named("sink"))
                return [dev, sink = *sink](SimulatedCard& c) {
                    c.heardOn[dev] = std::make_shared<LiveSound>(sink);
                };
    }
    return {};
}

// The change one card's line asks for; empty when the line is not understood. `card` is the
// card's number, which names its playback sinks.
CardEdit CardFieldChange(int card, std::string_view field, std::string_view value) {
    std::vector<std::uint32_t> v;
    if (field == "gain" && Numbers(value, 2, 0xFFFF, v))
        return [v](SimulatedCard& c) {
            c.gain = {static_cast<std::uint16_t>(v[0]), static_cast<std::uint16_t>(v[1])};
        };
    for (int kind : {kAnalog, kDigital}) {
        const std::string suffix = kind == kAnalog ? ".analog" : ".digital";
        if (field == "monitor" + suffix && Numbers(value, 4, 255, v))
            return [kind, b = ToBytes(v)](SimulatedCard& c) { c.monitor[kind] = b; };
        if (field == "route" + suffix && Numbers(value, 4, 255, v))
            return [kind, b = ToBytes(v)](SimulatedCard& c) { c.route[kind] = b; };
    }
    if (auto change = RealSoundChange(card, field, value))
        return change;
    if (field == "format" && Numbers(value, 1, 0xFFFFFFFF, v))
        return [w = v[0]](SimulatedCard& c) { c.format = w; };
    if (field == "rates" && Numbers(value, 3, 0xFFFFFFFF, v))
        return [v](SimulatedCard& c) { c.rates = {v[0], v[1], v[2]}; };
    return {};
}

// The change a line of a card that is there asks for (on a daemon of fewer cards, none).
Change CardChange(int card, std::string_view field, std::string_view value) {
    CardEdit edit = CardFieldChange(card, field, value);
    if (!edit)
        return {};
    return [card, edit](CardModel& model) {
        if (card < model.CardCount())
            edit(model.Card(card));
    };
}

// The unplugged cards a text describes, in the order of their positions.
struct UnpluggedCards {
    std::array<std::optional<std::pair<int, SimulatedCard>>, kMaxCards> cards;

    // Takes a line `unplugged.<i>.<field>=<value>`: the card's number comes first, then its
    // record and state. False when the line is not understood.
    bool Take(int position, std::string_view field, std::string_view value) {
        auto& entry = cards[static_cast<std::size_t>(position)];
        std::vector<std::uint32_t> number;
        if (field == "number") {
            if (entry || !Numbers(value, 1, kMaxCards - 1, number))
                return false;
            const int n = static_cast<int>(number[0]);
            entry.emplace(n, SimulatedCard(0, n));
            return true;
        }
        if (!entry)
            return false;
        if (field == "record")
            return HexRecord(value, entry->second.config);
        CardEdit edit = CardFieldChange(entry->first, field, value);
        if (edit)
            edit(entry->second);
        return static_cast<bool>(edit);
    }

    Change Restore() const {
        std::vector<std::pair<int, SimulatedCard>> list;
        for (const auto& entry : cards)
            if (entry)
                list.push_back(*entry);
        if (list.empty())
            return {};
        return [list](CardModel& model) { model.RestoreUnplugged(list); };
    }
};

std::string HexOf(const ConfigRecord& record) {
    std::string text;
    for (std::uint8_t b : record) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", b);
        text += hex;
    }
    return text;
}

// A card's lines after `p`.
void DescribeCard(std::ostream& out, const std::string& p, const SimulatedCard& card) {
    out << p << "gain=" << Join({card.gain[0], card.gain[1]}) << "\n"
        << p << "monitor.analog=" << Bytes(card.monitor[kAnalog]) << "\n"
        << p << "monitor.digital=" << Bytes(card.monitor[kDigital]) << "\n"
        << p << "route.analog=" << Bytes(card.route[kAnalog]) << "\n"
        << p << "route.digital=" << Bytes(card.route[kDigital]) << "\n"
        << p << "format=" << card.format << "\n"
        << p << "rates=" << Join({card.rates[0], card.rates[1], card.rates[2]}) << "\n";
    for (int dev = 0; dev < kDevicesPerDirection; ++dev) {
        if (const auto& live = card.input[dev].Live())
            out << p << "signal." << DeviceIdentifier(WaveDirection::In, dev) << "=capture"
                << (live->Name().empty() ? "" : " " + live->Name()) << "\n";
        if (card.playback[dev].Live())
            out << p << "signal." << DeviceIdentifier(WaveDirection::Out, dev)
                << "=playback-sink\n";
        if (dev <= kDigital && card.heardOn[dev])
            out << p << "output." << DeviceIdentifier(WaveDirection::Out, dev) << "=sink"
                << (card.heardOn[dev]->Name().empty() ? "" : " " + card.heardOn[dev]->Name())
                << "\n";
    }
}

// The position a key names after `prefix` ("record.2", "card.1.gain"), with what follows it.
std::optional<std::pair<int, std::string_view>> Position(std::string_view key,
                                                         std::string_view prefix) {
    if (!key.starts_with(prefix) || key.size() == prefix.size())
        return std::nullopt;
    const char digit = key[prefix.size()];
    if (digit < '0' || digit >= '0' + kMaxCards)
        return std::nullopt;
    return std::pair{digit - '0', key.substr(prefix.size() + 1)};
}

// The change a line asks for; empty when the line is not understood.
Change LineChange(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return {};
    const std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
    if (auto record = Position(key, "record."); record && record->second.empty()) {
        ConfigRecord bytes;
        if (!HexRecord(value, bytes))
            return {};
        return [r = record->first, bytes](CardModel& model) { model.SetRecordAt(r, bytes); };
    }
    if (auto card = Position(key, "card."); card && card->second.starts_with("."))
        return CardChange(card->first, card->second.substr(1), value);
    return {};
}

} // namespace

std::string SavedStatePath() {
    const char* state = std::getenv("XDG_STATE_HOME");
    std::string base;
    if (state && *state == '/') {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/") + "/.local/state";
    }
    return base + "/varnel-pro/cards.state";
}

std::string DescribeState(const CardModel& model) {
    std::ostringstream out;
    out << kHeader << "\n";
    for (int r = 0; r < kMaxCards; ++r)
        out << "record." << r << "=" << HexOf(model.RecordAt(r)) << "\n";
    for (int c = 0; c < model.CardCount(); ++c)
        DescribeCard(out, "card." + std::to_string(c) + ".", model.Card(c));
    int position = 0;
    for (const auto& [number, card] : model.UnpluggedCards()) {
        const std::string p = "unplugged." + std::to_string(position++) + ".";
        out << p << "number=" << number << "\n" << p << "record=" << HexOf(card.config) << "\n";
        DescribeCard(out, p, card);
    }
    return out.str();
}

bool ApplyState(CardModel& model, std::string_view text, std::string* error) {
    std::vector<Change> changes;
    UnpluggedCards gone;
    int number = 0;
    bool headed = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (!headed) {
            if (line != kHeader) {
                *error = "line 1 is not \"" + std::string(kHeader) + "\"";
                return false;
            }
            headed = true;
            continue;
        }
        const std::size_t eq = line.find('=');
        const auto unplugged = Position(line.substr(0, eq), "unplugged.");
        if (eq != std::string_view::npos && unplugged && unplugged->second.starts_with(".")) {
            if (unplugged->first >= kMaxCards ||
                !gone.Take(unplugged->first, unplugged->second.substr(1), line.substr(eq + 1))) {
                *error = "line " + std::to_string(number) + " is not understood";
                return false;
            }
            continue;
        }
        Change change = LineChange(line);
        if (!change) {
            *error = "line " + std::to_string(number) + " is not understood";
            return false;
        }
        changes.push_back(std::move(change));
    }
    if (!headed) {
        *error = "the file is empty";
        return false;
    }
    // The cards that are out leave first, so that the lines of those that are there meet them.
    if (Change restore = gone.Restore())
        restore(model);
    for (const Change& change : changes)
        change(model);
    return true;
}

bool LoadState(CardModel& model, const std::string& path, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        if (errno == ENOENT)
            return true;
        *error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    if (ApplyState(model, text.str(), error))
        return true;
    *error = path + ": " + *error;
    return false;
}

bool SaveState(const CardModel& model, const std::string& path, std::string* error) {
    const std::string dir = path.substr(0, path.rfind('/'));
    for (std::size_t at = 1; at <= dir.size(); ++at)
        if (at == dir.size() || dir[at] == '/')
            if (mkdir(dir.substr(0, at).c_str(), 0700) != 0 && errno != EEXIST) {
                *error = "cannot create " + dir.substr(0, at) + ": " + std::strerror(errno);
                return false;
            }
    const std::string text = DescribeState(model);
    const std::string temporary = path + ".tmp-" + std::to_string(getpid());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    bool written = fd >= 0 &&
                   write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
                   fsync(fd) == 0;
    if (fd >= 0 && close(fd) != 0)
        written = false;
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace simcard
