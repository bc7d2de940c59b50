#include "MeterScript.h"

#include <sstream>

namespace bench {

void MeterScript::Add(MeterEvent kind, std::vector<LampChange> changes) {
    auto& events = kind == MeterEvent::Poll ? polls : decays;
    order.emplace_back(kind, events.size());
    events.push_back(std::move(changes));
}

std::string MeterScript::Text() const {
    std::ostringstream text;
    text << "meters " << meters << " lamps " << lamps << "\n";
    for (const auto& [kind, index] : order) {
        text << (kind == MeterEvent::Poll ? 'P' : 'D');
        for (const LampChange& change : Of(kind)[index])
            text << ' ' << change.meter << ' ' << change.lamp << ' ' << (change.on ? 1 : 0);
        text << "\n";
    }
    return text.str();
}

std::optional<MeterScript> MeterScript::Parse(const std::string& text, std::string* error) {
    std::istringstream lines(text);
    std::string line, word;
    MeterScript script;
    if (!std::getline(lines, line) ||
        !(std::istringstream(line) >> word >> script.meters >> word >> script.lamps) ||
        script.meters <= 0 || script.lamps <= 0) {
        *error = "no header \"meters <n> lamps <n>\"";
        return std::nullopt;
    }
    for (int number = 2; std::getline(lines, line); ++number) {
        std::istringstream words(line);
        std::string kind;
        if (!(words >> kind))
            continue;
        if (kind != "P" && kind != "D") {
            *error = "line " + std::to_string(number) + ": neither P nor D";
            return std::nullopt;
        }
        std::vector<int> numbers;
        for (int value = 0; words >> value;)
            numbers.push_back(value);
        if (!words.eof() || numbers.size() % 3 != 0) {
            *error = "line " + std::to_string(number) + ": unreadable change";
            return std::nullopt;
        }
        std::vector<LampChange> changes;
        for (std::size_t i = 0; i < numbers.size(); i += 3) {
            const LampChange change{numbers[i], numbers[i + 1], numbers[i + 2] == 1};
            if (change.meter < 0 || change.meter >= script.meters || change.lamp < 0 ||
                change.lamp >= script.lamps || (numbers[i + 2] != 0 && numbers[i + 2] != 1)) {
                *error = "line " + std::to_string(number) + ": a change outside the header";
                return std::nullopt;
            }
            changes.push_back(change);
        }
        script.Add(kind == "P" ? MeterEvent::Poll : MeterEvent::Decay, std::move(changes));
    }
    return script;
}

} // namespace bench
