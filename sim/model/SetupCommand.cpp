#include "sim/model/SetupCommand.h"

#include "sim/model/CardSetup.h"

#include <charconv>

namespace simcard {

namespace {

// Ends the command with its exit status and one line.
struct Failure {
    int status;
    std::string text;
};

const std::string kNothingChanged = "; nothing was changed";

// One driver message that carries a change, sent through a control handle of the caller's own.
struct Step {
    int card;
    WaveDirection direction;
    int device;
    std::uint32_t message;
    std::uint32_t value;
};

std::uint32_t Packed(const SimulatedCard::Bytes4& b) {
    return b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t(b[3]) << 24;
}

int CardNumber(const CardModel& model, const std::string& text) {
    int card = -1;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), card);
    if (model.CardCount() == 0)
        throw Failure{1, "there is no card"};
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || card < 0 ||
        card >= model.CardCount())
        throw Failure{2, "card \"" + text + "\" is outside 0.." +
                             std::to_string(model.CardCount() - 1)};
    return card;
}

struct Target {
    int card;
    const SetupSection* section;
};

// The cards a setup goes to: each of its cards to the same one, or with `chosen` that card.
std::vector<Target> Targets(const CardModel& model, const std::vector<SetupSection>& sections,
                            const std::string* chosen) {
    std::vector<Target> targets;
    if (chosen) {
        const int card = CardNumber(model, *chosen);
        for (const SetupSection& section : sections)
            if (sections.size() == 1 || section.card == card)
                targets.push_back({card, &section});
        if (targets.empty()) {
            std::string held;
            for (const SetupSection& section : sections)
                held += (held.empty() ? "" : ", ") + std::to_string(section.card);
            throw Failure{1,
                          "the setup holds no card " + *chosen + " (it holds cards " + held + ")"};
        }
        return targets;
    }
    for (const SetupSection& section : sections) {
        if (section.card >= model.CardCount())
            throw Failure{1, "line " + std::to_string(section.line) + ": card " +
                                 std::to_string(section.card) + " is not there (" +
                                 std::to_string(model.CardCount()) + " cards)" + kNothingChanged};
        targets.push_back({section.card, &section});
    }
    return targets;
}

class SetupLoad {
public:
    SetupLoad(CardModel& model, ClientId client) : model_(model), client_(client) {}

    // What each target's card would become, with the facts that change, as lines.
    std::string Plan(const std::vector<Target>& targets, const char* before) {
        std::string lines;
        int changes = 0;
        for (const Target& t : targets) {
            const CardSettings now = SettingsOf(model_.Card(t.card));
            const CardSettings wanted = Apply(*t.section, now);
            wanted_.emplace_back(t.card, wanted);
            configChanges_ = configChanges_ || wanted.config != now.config;
            const Facts old = SettingFacts(now), fresh = SettingFacts(wanted);
            for (std::size_t i = 0; i < old.size(); ++i)
                if (old[i].second != fresh[i].second) {
                    lines += "card." + std::to_string(t.card) + "." + fresh[i].first + "=" +
                             fresh[i].second + " (" + before + " " + old[i].second + ")\n";
                    ++changes;
                }
        }
        return lines + "changes=" + std::to_string(changes) + "\n";
    }

    // Refuses, before anything changes, what the driver would not take.
    void Check() {
        for (const auto& [c, wanted] : wanted_) {
            const SimulatedCard& card = model_.Card(c);
            if (card.removing)
                throw Failure{1,
                              "card " + std::to_string(c) + " is being removed" + kNothingChanged};
            for (const Step& step : Steps(c, card, wanted)) {
                const char* device = DeviceIdentifier(step.direction, step.device);
                if (card.openFails[int(step.direction)][step.device])
                    throw Failure{1, "card " + std::to_string(c) + "'s " + device +
                                         " cannot be opened (a fault is set)" + kNothingChanged};
                if (step.message == OUTMSG_SET_ROUTE && (step.value & 0xFF) == 4 &&
                    card.busy[int(WaveDirection::Out)][step.device])
                    throw Failure{1, std::string("route refused: the ") + device +
                                         " device of card " + std::to_string(c) + " is busy" +
                                         kNothingChanged};
            }
        }
        if (!configChanges_)
            return;
        if (model_.ConfigFaultKind() == ConfigFault::Hang ||
            model_.ConfigFaultKind() == ConfigFault::Crash)
            throw Failure{1,
                          "the configuration cannot be reached (fault config)" + kNothingChanged};
        std::vector<std::uint8_t> answer(4);
        if (ReadInt32(model_.Config(client_, CONFIG_RECONFIGURABLE, answer).data, 0) == 0)
            throw Failure{1, "the configuration cannot change while a device is in use" +
                                 kNothingChanged};
    }

    // Carries the changes out as another program would: driver messages, and one getconfig
    // and setconfig for the records; the input rates come from outside the driver.
    void Carry() {
        for (const auto& [c, wanted] : wanted_) {
            for (const Step& step : Steps(c, model_.Card(c), wanted))
                Send(step);
            model_.Card(c).rates = wanted.rates;
        }
        if (!configChanges_)
            return;
        ConfigReply block =
            model_.Config(client_, CONFIG_GETCONFIG, std::vector<std::uint8_t>(kConfigBlockSize));
        for (const auto& [c, wanted] : wanted_) {
            const auto record =
                std::span(block.data).subspan(c * kConfigRecordSize, kConfigRecordSize);
            for (const ConfigField& field : ConfigFields())
                if (field.offset != 0) // the removal notice is no setting
                    WriteInt32(record, field.offset, ReadInt32(wanted.config, field.offset));
        }
        model_.Config(client_, CONFIG_SETCONFIG, block.data);
    }

private:
    static std::vector<Step> Steps(int c, const SimulatedCard& card, const CardSettings& wanted) {
        std::vector<Step> steps;
        if (wanted.gain != card.gain)
            steps.push_back({c, WaveDirection::In, kAnalog, INMSG_SET_GAIN,
                             wanted.gain[0] | std::uint32_t(wanted.gain[1]) << 16});
        for (int kind : {kAnalog, kDigital}) {
            if (wanted.monitor[kind] != card.monitor[kind])
                steps.push_back(
                    {c, WaveDirection::In, kind, INMSG_SET_MONITOR, Packed(wanted.monitor[kind])});
            if (wanted.route[kind] != card.route[kind])
                steps.push_back(
                    {c, WaveDirection::Out, kind, OUTMSG_SET_ROUTE, Packed(wanted.route[kind])});
        }
        if (wanted.format != card.format)
            steps.push_back({c, WaveDirection::Out, kDigital, OUTMSG_SET_FORMAT, wanted.format});
        return steps;
    }

    void Send(const Step& step) {
        // The control format, the only one the card's devices open with.
        const std::vector<std::uint8_t> format = {1,    0,    2,   0,   0x44, 0xAC, 0,  0,
                                                  0x10, 0xB1, 2,   0,   4,    0,    16, 0,
                                                  4,    0,    'C', 'T', 'R',  'L',  0};
        const std::uint32_t id = model_.DeviceIdOf(step.card, step.direction, step.device);
        const OpenReply open = model_.Open(client_, step.direction, id, format);
        model_.Message(client_, step.direction, open.handle, step.message, step.value, 0, {});
        model_.Close(client_, step.direction, open.handle);
    }

    CardModel& model_;
    ClientId client_;
    std::vector<std::pair<int, CardSettings>> wanted_;
    bool configChanges_ = false;
};

std::string Save(const CardModel& model, const std::vector<std::string>& args) {
    if (args.size() > 3)
        throw Failure{2, "unexpected argument \"" + args[3] + "\""};
    std::vector<std::pair<int, CardSettings>> cards;
    if (args.size() == 3) {
        const int card = CardNumber(model, args[2]);
        cards.emplace_back(card, SettingsOf(model.Card(card)));
    } else {
        for (int c = 0; c < model.CardCount(); ++c)
            cards.emplace_back(c, SettingsOf(model.Card(c)));
    }
    if (cards.empty())
        throw Failure{1, "there is no card to save"};
    return DescribeSetup(cards);
}

std::string Load(CardModel& model, ClientId client, const std::vector<std::string>& args,
                 bool carry) {
    if (args.size() < 3)
        throw Failure{2, "missing the setup's text"};
    if (args.size() > 4)
        throw Failure{2, "unexpected argument \"" + args[4] + "\""};
    std::vector<SetupSection> sections;
    std::string error;
    if (!ParseSetup(args[2], sections, &error))
        throw Failure{1, error + (carry ? kNothingChanged : "")};
    SetupLoad load(model, client);
    const std::string lines = load.Plan(
        Targets(model, sections, args.size() == 4 ? &args[3] : nullptr), carry ? "was" : "now");
    if (carry) {
        load.Check();
        load.Carry();
    }
    return lines;
}

} // namespace

ControlResult RunSetup(CardModel& model, ClientId client, const std::vector<std::string>& args) {
    ControlResult result;
    try {
        const std::string verb = args.size() > 1 ? args[1] : "";
        if (verb == "save")
            result.output = Save(model, args);
        else if (verb == "load" || verb == "show")
            result.output = Load(model, client, args, verb == "load");
        else
            throw Failure{2, "expected save, load or show, not \"" + verb + "\""};
    } catch (const Failure& failure) {
        result.status = failure.status;
        result.error = failure.text;
    }
    return result;
}

} // namespace simcard
