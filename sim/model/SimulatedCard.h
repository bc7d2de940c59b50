#pragma once
// Everything one simulated card holds: what the driver messages read and write, the signals at
// its inputs and from applications, and the conditions a test or a demo sets (busy devices,
// refused meters, failing opens).

#include "sim/model/ConfigRecord.h"
#include "sim/model/Signal.h"
#include "sim/protocol/CardTypes.h"

#include <array>
#include <cstdint>
#include <memory>

namespace simcard {

// A device of a card within one direction: 0 analog, 1 digital, 2..5 the ADAT pairs 1-2 … 7-8.
constexpr int kAnalog = 0;
constexpr int kDigital = 1;
constexpr int kFirstAdat = 2;

// Digital input select values (byte 0 of the digital monitor state).
constexpr std::uint8_t kInputOptical = 1;
constexpr std::uint8_t kInputElectrical = 2;
constexpr std::uint8_t kInputCd = 3;

// The fader's 0 dB mark, position 187.
constexpr std::uint16_t kUnityGainWord = 0xBB00;

// What one channel of a playback output plays as its route makes it: a channel of a signal and
// the factor applied to it (the analog input's gain; 0 for a digital input that is not locked).
struct RoutedChannel {
    const Signal* signal = nullptr; // null: nothing
    int channel = 0;
    double scale = 1;
};

struct SimulatedCard {
    using PerDevice = std::array<bool, kDevicesPerDirection>;
    using Bytes4 = std::array<std::uint8_t, 4>;

    explicit SimulatedCard(std::uint32_t node, int position);

    std::uint32_t devnode;
    std::array<std::uint16_t, 2> gain{kUnityGainWord, kUnityGainWord};
    std::array<Bytes4, 2> monitor;                     // analog, digital recording
    std::array<Bytes4, 2> route;                       // analog, digital playback
    std::uint32_t format = 0x0004;                     // consumer, copying permitted
    std::array<std::uint32_t, 3> rates{};              // optical, electrical, CD; 0 = no lock
    std::array<Signal, kDevicesPerDirection> input;    // at the recording devices
    std::array<Signal, kDevicesPerDirection> playback; // from applications on the playback devices
    std::array<PerDevice, 2> busy{};                   // [direction][device]
    std::array<PerDevice, 2> meterOnRefused{};
    std::array<PerDevice, 2> meterReadRefused{};
    std::array<PerDevice, 2> openFails{};
    ConfigRecord config;
    bool removing = false;
    // The sinks of the machine's sound server that the analog and digital outputs are heard on
    // (an empty name: the default sink); null while an output is not played there.
    std::array<std::shared_ptr<LiveSound>, 2> heardOn;

    std::uint8_t SelectedInput() const { return monitor[kDigital][0]; }
    // Rate of the selected digital input; 0 when it is not locked or nothing valid is selected.
    std::uint32_t SelectedRate() const;
    // The factor on what a recording device hears: the analog input's gain, nothing from a
    // digital input that is not locked.
    double InputScale(int device, int channel) const;
    // What a playback device plays: its route on the analog and digital outputs, what
    // applications send on the ADAT outputs.
    RoutedChannel Routed(int device, int channel) const;
};

} // namespace simcard
