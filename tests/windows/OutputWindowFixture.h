#pragma once
// Output-window tests: the channel-window fixture with helpers to read back what went to the card
// (the packed values of a message, the handles open on a device) and to set its routes.

#include "ChannelWindowFixture.h"
#include "driver/DriverMessages.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class OutputWindowTest : public ChannelWindowTest {
protected:
    using WaveDirection = simcard::WaveDirection;

    // The first parameters and results of the traced messages of that name, in order.
    struct Sent {
        std::string device;
        std::uint32_t p1;
        std::uint32_t result;
        bool operator==(const Sent&) const = default;
        friend void PrintTo(const Sent& sent, std::ostream* out) {
            *out << "dev=" << sent.device << " p1=0x" << std::hex << sent.p1 << std::dec
                 << " result=" << sent.result;
        }
    };
    std::vector<Sent> SentOf(const std::string& message) const {
        std::vector<Sent> sent;
        for (const std::string& line : model->Trace()) {
            if (line.find(" " + message + " ") == std::string::npos)
                continue;
            auto field = [&line](const std::string& key) {
                auto at = line.find(key) + key.size();
                return line.substr(at, line.find(' ', at) - at);
            };
            sent.push_back({field("dev="),
                            static_cast<std::uint32_t>(std::stoul(field("p1="), nullptr, 16)),
                            static_cast<std::uint32_t>(std::stoul(field("result=")))});
        }
        return sent;
    }
    Sent Route(int card, int device, std::uint32_t packed, std::uint32_t result = 0) const {
        return {DeviceOf(card, WaveDirection::Out, device), packed, result};
    }
    // Handles this process holds on one device of a card.
    int OpenOn(int card, WaveDirection direction, int device) const {
        int count = 0;
        for (const auto& fact : model->Handles())
            if (fact.direction == direction &&
                std::to_string(fact.deviceId) == DeviceOf(card, direction, device))
                ++count;
        return count;
    }
    int MeteringOn(int card, WaveDirection direction, int device) const {
        int count = 0;
        for (const auto& fact : model->Handles())
            if (fact.meterOn && fact.direction == direction &&
                std::to_string(fact.deviceId) == DeviceOf(card, direction, device))
                ++count;
        return count;
    }
    void SetRoute(int card, int device, std::array<std::uint8_t, 4> bytes) {
        model->Card(card).route[device] = bytes;
    }
};
