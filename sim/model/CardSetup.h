#pragma once
// A saved card setup: what a user sets on a card (the configuration record's named fields, the
// gains, monitor states and digital input, routes, output format, input rates) as a readable,
// versioned text whose lines are the cards' status facts:
//   # comments and blank lines anywhere
//   varnel-pro-setup=1
//   card.<c>.<key>=<value>        every key of each card the setup holds, once
// A setup leaves the record's other bytes to the card: its revision and serial are the board's
// own, and the removal notice belongs to a removal, not to a setup. Reading checks the whole
// text before any of it is used.

#include "sim/model/SimulatedCard.h"

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace simcard {

constexpr int kSetupVersion = 1;

struct CardSettings {
    std::array<std::uint16_t, 2> gain{};
    std::array<SimulatedCard::Bytes4, 2> monitor{}; // analog, digital (byte 0: digital input)
    std::array<SimulatedCard::Bytes4, 2> route{};
    std::uint32_t format = 0;
    std::array<std::uint32_t, 3> rates{}; // optical, electrical, CD
    ConfigRecord config{};
};

CardSettings SettingsOf(const SimulatedCard& card);

using Facts = std::vector<std::pair<std::string, std::string>>;
// The settings as facts in the setup's order, keys without the card's prefix.
Facts SettingFacts(const CardSettings& settings);

// The text of a setup of these cards, each under its number.
std::string DescribeSetup(const std::vector<std::pair<int, CardSettings>>& cards);

// One card's lines of a setup text, each value checked.
struct SetupSection {
    int card = 0;
    int line = 0; // of its first line
    std::map<std::string, std::string> values;
};

// Reads a setup text into its cards' sections, in the order of their numbers; false with
// `error` as "line <n>: <reason>" when any of it is damaged, foreign or of a newer version.
bool ParseSetup(std::string_view text, std::vector<SetupSection>& sections, std::string* error);

// The settings a section asks for on a card whose settings are `base` now.
CardSettings Apply(const SetupSection& section, CardSettings base);

} // namespace simcard
