#pragma once
// The lamp changes of a window of meters, event by event, as the metering floor replays them: a
// text of one header line `meters <n> lamps <n>` and then one line per poll (`P`) or decay tick
// (`D`) in the order they happened, each followed by the changes it made as triples
// `<meter> <lamp> <0|1>`.

#include <optional>
#include <string>
#include <vector>

namespace bench {

enum class MeterEvent { Poll, Decay };

struct LampChange {
    int meter = 0;
    int lamp = 0;
    bool on = false;
};

struct MeterScript {
    int meters = 0;
    int lamps = 0;
    // The changes of every event of one kind, in order.
    std::vector<std::vector<LampChange>> polls, decays;
    // The events in the order they happened, as indexes into polls and decays.
    std::vector<std::pair<MeterEvent, std::size_t>> order;

    void Add(MeterEvent kind, std::vector<LampChange> changes);
    const std::vector<std::vector<LampChange>>& Of(MeterEvent kind) const {
        return kind == MeterEvent::Poll ? polls : decays;
    }
    std::string Text() const;
    // Nullopt with `error` set for a text that is not a script of this form, or that names a
    // meter or lamp outside its header.
    static std::optional<MeterScript> Parse(const std::string& text, std::string* error);
};

} // namespace bench
