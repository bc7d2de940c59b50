#include "sim/model/CardControl.h"

#include "sim/model/SetupCommand.h"

#include <charconv>
#include <cstdio>
#include <functional>
#include <sstream>
#include <stdexcept>

namespace simcard {

namespace {

// A bad argument: its message names the argument and what was expected.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A well-formed command that the card refused.
struct Refusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct DeviceRef {
    WaveDirection direction;
    int device;
};

const char* const kDeviceNames[2][kDevicesPerDirection] = {
    {"analog-in", "digital-in", "adat-in-1", "adat-in-2", "adat-in-3", "adat-in-4"},
    {"analog-out", "digital-out", "adat-out-1", "adat-out-2", "adat-out-3", "adat-out-4"}};
const char* const kInputNames[] = {"optical", "electrical", "cd"};

std::string Hex(std::uint32_t v, int digits = 0) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, v);
    return text;
}

class Command {
public:
    Command(CardModel& model, ClientId client, const std::vector<std::string>& args)
        : model_(model), client_(client), args_(args) {}

    std::string Run();

private:
    const std::string& Arg(std::size_t i, const char* what) const {
        if (i >= args_.size())
            throw UsageError(std::string("missing ") + what);
        return args_[i];
    }
    void NoMoreThan(std::size_t count) const {
        if (args_.size() > count)
            throw UsageError("unexpected argument \"" + args_[count] + "\"");
    }
    std::int64_t Number(std::size_t i, const char* what, std::int64_t min, std::int64_t max) const;
    double Real(std::size_t i, const char* what) const;
    int CardArg(std::size_t i) const {
        return static_cast<int>(Number(i, "card", 0, model_.CardCount() - 1));
    }
    DeviceRef Device(std::size_t i) const;
    bool OnOff(std::size_t i) const;
    int Choice(std::size_t i, const char* what, std::initializer_list<const char*> words) const;
    std::array<std::uint8_t, 4> FourBytes(std::size_t first) const;

    std::string Status() const;
    std::string Trace();
    void State();
    void SetSignal();
    void Output();
    // Applies a change of real sound to a card unless it makes an output heard on a sink whose
    // monitor one of the card's own devices hears (a capture, or a playback device's own sink):
    // the card would hear itself again.
    void ChangeRealSound(int card, const std::function<void(SimulatedCard&)>& change);
    void Fault();
    void Unplug();
    void Plug();
    void Shutdown();
    // Another program's change: a control handle of our own, one message, closed again.
    std::uint32_t AsProgram(int card, WaveDirection direction, int device, std::uint32_t message,
                            std::uint32_t value, std::vector<std::uint8_t>* block = nullptr);
    void Route();
    void Monitor();
    void DigitalInput();

    CardModel& model_;
    ClientId client_;
    const std::vector<std::string>& args_;
};

std::int64_t Command::Number(std::size_t i, const char* what, std::int64_t min,
                             std::int64_t max) const {
    const std::string& text = Arg(i, what);
    std::string_view digits = text;
    bool negative = !digits.empty() && digits[0] == '-';
    if (negative)
        digits.remove_prefix(1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || ec != std::errc{} || end != digits.data() + digits.size())
        throw UsageError(std::string(what) + " \"" + text + "\" is not a number");
    if (negative)
        value = -value;
    if (value < min || value > max)
        throw UsageError(std::string(what) + " \"" + text + "\" is outside " + std::to_string(min) +
                         ".." + std::to_string(max));
    return value;
}

double Command::Real(std::size_t i, const char* what) const {
    const std::string& text = Arg(i, what);
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || value > 1e6 ||
        value < -1e6)
        throw UsageError(std::string(what) + " \"" + text + "\" is not a number");
    return value;
}

DeviceRef Command::Device(std::size_t i) const {
    const std::string& name = Arg(i, "device");
    for (int d = 0; d < 2; ++d)
        for (int k = 0; k < kDevicesPerDirection; ++k)
            if (name == kDeviceNames[d][k])
                return {static_cast<WaveDirection>(d), k};
    throw UsageError("unknown device \"" + name +
                     "\" (analog-in, digital-in, adat-in-1..4, analog-out, digital-out, "
                     "adat-out-1..4)");
}

bool Command::OnOff(std::size_t i) const {
    return Choice(i, "on|off", {"off", "on"}) == 1;
}

int Command::Choice(std::size_t i, const char* what,
                    std::initializer_list<const char*> words) const {
    const std::string& word = Arg(i, what);
    int index = 0;
    for (const char* w : words) {
        if (word == w)
            return index;
        ++index;
    }
    throw UsageError("\"" + word + "\" is not one of " + what);
}

std::array<std::uint8_t, 4> Command::FourBytes(std::size_t first) const {
    std::array<std::uint8_t, 4> bytes{};
    const char* names[] = {"b0", "b1", "b2", "b3"};
    for (std::size_t b = 0; b < 4; ++b)
        bytes[b] = static_cast<std::uint8_t>(Number(first + b, names[b], 0, 255));
    NoMoreThan(first + 4);
    return bytes;
}

std::string Command::Run() {
    const std::string& verb = Arg(0, "command");
    if (verb == "status") {
        NoMoreThan(1);
        return Status();
    }
    if (verb == "trace")
        return Trace();
    if (verb == "state")
        State();
    else if (verb == "signal")
        SetSignal();
    else if (verb == "output")
        Output();
    else if (verb == "busy") {
        int card = CardArg(1);
        DeviceRef d = Device(2);
        model_.Card(card).busy[int(d.direction)][d.device] = OnOff(3);
        NoMoreThan(4);
    } else if (verb == "dinput")
        DigitalInput();
    else if (verb == "rate") {
        int card = CardArg(1);
        int input = Choice(2, "optical|electrical|cd", {"optical", "electrical", "cd"});
        model_.Card(card).rates[input] = static_cast<std::uint32_t>(Number(3, "Hz", 0, 0xFFFFFFFF));
        NoMoreThan(4);
    } else if (verb == "route")
        Route();
    else if (verb == "monitor")
        Monitor();
    else if (verb == "gain") {
        int card = CardArg(1);
        auto left = static_cast<std::uint32_t>(Number(2, "left word", 0, 0xFFFF));
        auto right = static_cast<std::uint32_t>(Number(3, "right word", 0, 0xFFFF));
        NoMoreThan(4);
        AsProgram(card, WaveDirection::In, kAnalog, INMSG_SET_GAIN, left | right << 16);
    } else if (verb == "format") {
        int card = CardArg(1);
        auto word = static_cast<std::uint32_t>(Number(2, "word", 0, 0xFFFFFFFF));
        NoMoreThan(3);
        AsProgram(card, WaveDirection::Out, kDigital, OUTMSG_SET_FORMAT, word);
    } else if (verb == "fault")
        Fault();
    else if (verb == "unplug")
        Unplug();
    else if (verb == "plug")
        Plug();
    else if (verb == "shutdown")
        Shutdown();
    else
        throw UsageError("unknown command \"" + verb + "\"");
    return {};
}

std::string Command::Status() const {
    std::ostringstream out;
    out << "cards=" << model_.CardCount() << "\n";
    for (auto d : {WaveDirection::In, WaveDirection::Out}) {
        auto devices = model_.ListDevices(d);
        for (std::size_t id = 0; id < devices.size(); ++id)
            out << "device." << (d == WaveDirection::In ? "in." : "out.") << id
                << "=mid=" << devices[id].manufacturerId << " pid=" << devices[id].productId
                << " name=\"" << devices[id].name << "\"\n";
    }
    for (int c = 0; c < model_.CardCount(); ++c) {
        const SimulatedCard& card = model_.Card(c);
        std::string p = "card." + std::to_string(c) + ".";
        auto bytes = [](const std::array<std::uint8_t, 4>& b) {
            return std::to_string(b[0]) + "," + std::to_string(b[1]) + "," + std::to_string(b[2]) +
                   "," + std::to_string(b[3]);
        };
        out << p << "devnode=" << Hex(card.devnode, 8) << "\n";
        out << p << "gain=" << card.gain[0] << "," << card.gain[1] << "\n";
        out << p << "monitor.analog=" << bytes(card.monitor[kAnalog]) << "\n";
        out << p << "monitor.digital=" << bytes(card.monitor[kDigital]) << "\n";
        out << p << "route.analog=" << bytes(card.route[kAnalog]) << "\n";
        out << p << "route.digital=" << bytes(card.route[kDigital]) << "\n";
        out << p << "format=" << Hex(card.format, 4) << "\n";
        out << p << "dinput=" << int(card.SelectedInput()) << "\n";
        for (int i = 0; i < 3; ++i)
            out << p << "rate." << kInputNames[i] << "=" << card.rates[i] << "\n";
        out << p << "removing=" << (card.removing ? 1 : 0) << "\n";
        for (int d = 0; d < 2; ++d)
            for (int k = 0; k < kDevicesPerDirection; ++k) {
                std::string dev = kDeviceNames[d][k];
                out << p << "device." << dev << "="
                    << model_.DeviceIdOf(c, static_cast<WaveDirection>(d), k) << "\n";
                const Signal& s = d == 0 ? card.input[k] : card.playback[k];
                out << p << "signal." << dev << "=" << s.Describe() << "\n";
                if (d == 1 && k <= kDigital && card.heardOn[k]) {
                    const LiveSound& sink = *card.heardOn[k];
                    const std::string why = sink.Condition();
                    out << p << "output." << dev << "=sink"
                        << (sink.Name().empty() ? "" : " " + sink.Name())
                        << (why.empty() ? "" : " (" + why + ")") << "\n";
                }
                if (card.busy[d][k])
                    out << p << "busy." << dev << "=1\n";
                if (card.meterOnRefused[d][k])
                    out << p << "fault.meter-on." << dev << "=1\n";
                if (card.meterReadRefused[d][k])
                    out << p << "fault.meter-read." << dev << "=1\n";
                if (card.openFails[d][k])
                    out << p << "fault.open." << dev << "=1\n";
            }
        for (const ConfigField& field : ConfigFields())
            out << p << "config." << field.name << "=" << ReadInt32(card.config, field.offset)
                << "\n";
        out << p << "config.raw=";
        for (std::uint8_t b : card.config) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", b);
            out << hex;
        }
        out << "\n";
    }
    out << "state.driver=" << model_.DriverState() << "\n";
    for (int n = 1; n <= kMaxCards; ++n)
        out << "state.card." << n << "=" << model_.CardState(n) << "\n";
    const char* faults[] = {"off", "hang", "crash", "slow"};
    out << "fault.config=" << faults[int(model_.ConfigFaultKind())];
    if (model_.ConfigFaultKind() == ConfigFault::Slow)
        out << " " << model_.ConfigFaultDelay();
    out << "\n";
    out << "removals.pending=" << model_.PendingRemovals() << "\n";
    out << "clients=" << model_.ClientCount() << "\n";
    auto handles = model_.Handles();
    out << "handles.open=" << handles.size() << "\n";
    for (const HandleFact& h : handles)
        out << "handle." << Hex(h.handle) << "=pid=" << h.pid << " "
            << (h.direction == WaveDirection::In ? "in" : "out") << " dev=" << h.deviceId
            << " meter=" << (h.meterOn ? "on" : "off") << "\n";
    return out.str();
}

std::string Command::Trace() {
    if (args_.size() > 1) {
        if (args_[1] != "--clear")
            throw UsageError("unexpected argument \"" + args_[1] + "\" (only --clear)");
        NoMoreThan(2);
        model_.ClearTrace();
        return {};
    }
    std::string out;
    for (const std::string& line : model_.Trace())
        out += line + "\n";
    return out;
}

void Command::State() {
    if (Choice(1, "driver|card", {"driver", "card"}) == 0) {
        model_.SetDriverState(static_cast<std::int32_t>(Number(2, "state", INT32_MIN, INT32_MAX)));
        NoMoreThan(3);
        return;
    }
    int number = static_cast<int>(Number(2, "card number", 1, kMaxCards));
    model_.SetCardState(number,
                        static_cast<std::int32_t>(Number(3, "state", INT32_MIN, INT32_MAX)));
    NoMoreThan(4);
}

void Command::SetSignal() {
    int card = CardArg(1);
    DeviceRef d = Device(2);
    const bool in = d.direction == WaveDirection::In;
    Signal signal;
    switch (Choice(3, "sine|noise|silence|file|capture|playback-sink",
                   {"sine", "noise", "silence", "file", "capture", "playback-sink"})) {
    case 0: {
        double level = Real(4, "dBFS");
        double hz = args_.size() > 5 ? Real(5, "Hz") : 1000.0;
        if (hz <= 0 || hz > 96000)
            throw UsageError("Hz \"" + args_[5] + "\" is outside 0..96000");
        NoMoreThan(6);
        signal = Signal::Sine(level, hz);
        break;
    }
    case 1:
        signal = Signal::Noise(Real(4, "dBFS"));
        NoMoreThan(5);
        break;
    case 2:
        NoMoreThan(4);
        break;
    case 3: {
        std::string error;
        auto file = Signal::FromFile(Arg(4, "path"), &error);
        if (!file)
            throw UsageError("path: " + error);
        NoMoreThan(5);
        signal = *file;
        break;
    }
    case 4:
        if (!in)
            throw UsageError("capture is for a recording device; a playback device takes "
                             "playback-sink");
        NoMoreThan(5);
        signal = Signal::Capture(args_.size() > 4 ? args_[4] : std::string());
        break;
    case 5:
        if (in)
            throw UsageError("playback-sink is for a playback device; a recording device takes "
                             "capture");
        NoMoreThan(4);
        signal = Signal::PlaybackSink(PlaybackSinkName(card, d.device));
        break;
    }
    ChangeRealSound(card, [&](SimulatedCard& target) {
        (in ? target.input : target.playback)[d.device] = signal;
    });
}

void Command::Output() {
    int card = CardArg(1);
    int device = Choice(2, "analog-out|digital-out", {"analog-out", "digital-out"});
    std::shared_ptr<LiveSound> sink;
    if (Choice(3, "sink|off", {"sink", "off"}) == 0) {
        NoMoreThan(5);
        sink = std::make_shared<LiveSound>(args_.size() > 4 ? args_[4] : std::string());
    } else {
        NoMoreThan(4);
    }
    ChangeRealSound(card, [&](SimulatedCard& target) { target.heardOn[device] = sink; });
}

void Command::ChangeRealSound(int card, const std::function<void(SimulatedCard&)>& change) {
    SimulatedCard trial = model_.Card(card);
    change(trial);
    const CardModel::ServerDefaults defaults = model_.DefaultsOfServer();
    for (int out = kAnalog; out <= kDigital; ++out) {
        if (!trial.heardOn[out])
            continue;
        const std::string& named = trial.heardOn[out]->Name();
        const std::string sink = named.empty() ? defaults.sink : named;
        if (sink.empty())
            continue;
        // The sink's monitor is recorded by a capture, or is a playback device's own sink.
        for (int dev = 0; dev < kDevicesPerDirection; ++dev) {
            const auto& input = trial.input[dev].Live();
            const auto& playback = trial.playback[dev].Live();
            const bool captures =
                input &&
                (input->Name().empty() ? defaults.source : input->Name()) == sink + ".monitor";
            if (captures || (playback && playback->Name() == sink))
                throw Refusal(std::string("refused: card ") + std::to_string(card) + "'s " +
                              kDeviceNames[1][out] + " would be heard on sink \"" + sink +
                              "\", whose monitor its " + kDeviceNames[captures ? 0 : 1][dev] +
                              " hears: the card would hear itself");
        }
    }
    model_.Card(card) = std::move(trial);
}

void Command::Fault() {
    int what =
        Choice(1, "meter-on|meter-read|open|config", {"meter-on", "meter-read", "open", "config"});
    if (what == 3) {
        int kind = Choice(2, "hang|crash|off|slow", {"hang", "crash", "off", "slow"});
        if (kind == 3) {
            auto ms = static_cast<std::uint32_t>(Number(3, "ms", 0, 600000));
            NoMoreThan(4);
            model_.SetConfigFault(ConfigFault::Slow, ms);
            return;
        }
        NoMoreThan(3);
        const ConfigFault faults[] = {ConfigFault::Hang, ConfigFault::Crash, ConfigFault::None};
        model_.SetConfigFault(faults[kind]);
        return;
    }
    int card = CardArg(2);
    DeviceRef d = Device(3);
    bool on = OnOff(4);
    NoMoreThan(5);
    SimulatedCard& target = model_.Card(card);
    auto& faults = what == 0   ? target.meterOnRefused
                   : what == 1 ? target.meterReadRefused
                               : target.openFails;
    faults[int(d.direction)][d.device] = on;
}

void Command::Unplug() {
    int card = CardArg(1);
    if (args_.size() > 2) {
        if (args_[2] != "--on-open")
            throw UsageError("expected --on-open <device>, not \"" + args_[2] + "\"");
        DeviceRef d = Device(3);
        NoMoreThan(4);
        if (!model_.UnplugOnOpen(card, d.direction, d.device))
            throw Refusal("card " + args_[1] + " is already being removed");
        return;
    }
    if (!model_.Unplug(card))
        throw Refusal("card " + args_[1] + " is already being removed");
}

void Command::Plug() {
    const auto number = static_cast<int>(Number(1, "card", 0, kMaxCards - 1));
    NoMoreThan(2);
    if (!model_.Plug(number))
        throw Refusal(model_.CardCount() >= kMaxCards ? "every place for a card is taken"
                                                      : "no card " + args_[1] + " was unplugged");
}

// A program still using the cards would lose its driver: only --force ends the daemon under it.
void Command::Shutdown() {
    const bool force = args_.size() > 1 && args_[1] == "--force";
    if (args_.size() > 1 && !force)
        throw UsageError("unexpected argument \"" + args_[1] + "\" (only --force)");
    NoMoreThan(2);
    const auto pids = model_.ListeningPids(client_);
    if (!pids.empty() && !force) {
        std::string list;
        for (std::uint32_t pid : pids)
            list += (list.empty() ? "" : ", ") + std::to_string(pid);
        const bool one = pids.size() == 1;
        throw Refusal(std::string("refused: ") + (one ? "a manager is" : "managers are") +
                      " still connected (" + (one ? "pid " : "pids ") + list + "); end " +
                      (one ? "it" : "them") + " first (varnel-manager --quit) or use --force");
    }
    model_.RequestEnd();
}

std::uint32_t Command::AsProgram(int card, WaveDirection direction, int device,
                                 std::uint32_t message, std::uint32_t value,
                                 std::vector<std::uint8_t>* block) {
    std::vector<std::uint8_t> format = {1, 0, 2,  0, 0x44, 0xAC, 0,   0,   0x10, 0xB1, 2, 0,
                                        4, 0, 16, 0, 4,    0,    'C', 'T', 'R',  'L',  0};
    OpenReply open =
        model_.Open(client_, direction, model_.DeviceIdOf(card, direction, device), format);
    if (open.result != MMSYSERR_NOERROR)
        throw Refusal("the device cannot be opened (result " + std::to_string(open.result) + ")");
    std::vector<std::uint8_t> none;
    MessageReply reply =
        model_.Message(client_, direction, open.handle, message, value, 0, block ? *block : none);
    model_.Close(client_, direction, open.handle);
    if (block)
        *block = reply.block;
    return reply.result;
}

void Command::Route() {
    int card = CardArg(1);
    int kind = Choice(2, "analog|digital", {"analog", "digital"});
    auto b = FourBytes(3);
    std::uint32_t packed = b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t(b[3]) << 24;
    if (AsProgram(card, WaveDirection::Out, kind, OUTMSG_SET_ROUTE, packed) != MMSYSERR_NOERROR)
        throw Refusal(std::string("route refused: the ") + kDeviceNames[1][kind] +
                      " device of card " + std::to_string(card) + " is busy");
}

void Command::Monitor() {
    int card = CardArg(1);
    int kind = Choice(2, "analog|digital", {"analog", "digital"});
    auto b = FourBytes(3);
    std::uint32_t packed = b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t(b[3]) << 24;
    AsProgram(card, WaveDirection::In, kind, INMSG_SET_MONITOR, packed);
}

void Command::DigitalInput() {
    int card = CardArg(1);
    int input = Choice(2, "optical|electrical|cd", {"optical", "electrical", "cd"});
    NoMoreThan(3);
    std::vector<std::uint8_t> block(4);
    AsProgram(card, WaveDirection::In, kDigital, INMSG_GET_MONITOR, 0, &block);
    block[0] = static_cast<std::uint8_t>(input + 1);
    std::uint32_t packed =
        block[0] | block[1] << 8 | block[2] << 16 | std::uint32_t(block[3]) << 24;
    AsProgram(card, WaveDirection::In, kDigital, INMSG_SET_MONITOR, packed);
}

} // namespace

const char* DeviceIdentifier(WaveDirection direction, int device) {
    return kDeviceNames[int(direction)][device];
}

// An identifier, as sink names must be.
std::string PlaybackSinkName(int card, int device) {
    return "varnel_pro." + std::to_string(card) + "." + kDeviceNames[1][device];
}

ControlResult RunControl(CardModel& model, ClientId client, const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "setup")
        return RunSetup(model, client, args);
    ControlResult result;
    try {
        result.output = Command(model, client, args).Run();
    } catch (const UsageError& e) {
        result.status = 2;
        result.error = e.what();
    } catch (const Refusal& e) {
        result.status = 1;
        result.error = e.what();
    }
    return result;
}

} // namespace simcard
