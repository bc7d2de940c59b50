#include "sim/model/SimulatedCard.h"

namespace simcard {

namespace {

// Playback sources as the route's byte 0 names them.
constexpr std::uint8_t kSourceApplication = 0;
constexpr std::uint8_t kSourceOtherOutput = 1;
constexpr std::uint8_t kSourceAnalogIn = 2;
constexpr std::uint8_t kSourceDigitalIn = 3;
constexpr std::uint8_t kSourceAdatIn = 4;

} // namespace

SimulatedCard::SimulatedCard(std::uint32_t node, int position)
    : devnode(node), config(DefaultConfigRecord(position)) {
    monitor[kAnalog] = {0, 1, 0, 0};
    monitor[kDigital] = {kInputElectrical, 2, 0, 0};
    route[kAnalog] = {0, 0, 1, 0};
    route[kDigital] = {0, 0, 1, 0};
    rates = {0, 48000, 44100};
    // Live inputs out of the box: the analog and digital inputs swell slowly around -12 dBFS,
    // every ADAT channel a little quieter and at a pace of its own.
    input[kAnalog] = Signal::Swell(-12, 6, 4000, 0.0, 1.3);
    input[kDigital] = Signal::Swell(-12, 5, 5300, 0.7, 2.1);
    for (int pair = 0; pair < 4; ++pair)
        input[kFirstAdat + pair] =
            Signal::Swell(-20 - 2 * pair, 6, 3100 + 700 * pair, 0.4 * pair, 0.4 * pair + 2.5);
}

std::uint32_t SimulatedCard::SelectedRate() const {
    std::uint8_t selected = SelectedInput();
    if (selected < kInputOptical || selected > kInputCd)
        return 0;
    return rates[selected - 1];
}

} // namespace simcard

namespace simcard {

double SimulatedCard::InputScale(int device, int channel) const {
    if (device == kAnalog)
        return DbToLinear(AnalogGainDb(gain[channel]));
    if (device == kDigital && SelectedRate() == 0)
        return 0;
    return 1;
}

RoutedChannel SimulatedCard::Routed(int device, int channel) const {
    auto fromInput = [&](int inputDevice, int inputChannel) {
        return RoutedChannel{&input[inputDevice], inputChannel,
                             InputScale(inputDevice, inputChannel)};
    };
    if (device != kAnalog && device != kDigital)
        return {&playback[device], channel, 1};
    const auto& bytes = route[device];
    switch (bytes[0]) {
    case kSourceApplication:
        return {&playback[device], channel, 1};
    case kSourceOtherOutput:
        return {&playback[device == kAnalog ? kDigital : kAnalog], channel, 1};
    case kSourceAnalogIn:
        return fromInput(kAnalog, channel);
    case kSourceDigitalIn:
        return fromInput(kDigital, channel);
    case kSourceAdatIn: {
        if (device != kAnalog)
            return {};
        const int adatChannel = bytes[1 + channel] & 7;
        return fromInput(kFirstAdat + adatChannel / 2, adatChannel % 2);
    }
    default:
        return {};
    }
}

} // namespace simcard
