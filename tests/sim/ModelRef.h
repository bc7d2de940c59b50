#pragma once
// Hands a card model to code that takes its driver as an owned service, without giving the model
// away: the configuration process connects to "its driver" and drops it when done.

#include "sim/model/CardModel.h"

namespace simcard::test {

class ModelRef : public ICardService {
public:
    explicit ModelRef(CardModel& model) : model_(model) {}
    std::vector<WaveDeviceCaps> ListDevices(WaveDirection d) override {
        return model_.ListDevices(d);
    }
    OpenReply Open(WaveDirection d, std::uint32_t id,
                   std::span<const std::uint8_t> format) override {
        return model_.Open(d, id, format);
    }
    std::uint32_t Close(WaveDirection d, std::uint32_t h) override { return model_.Close(d, h); }
    MessageReply Message(WaveDirection d, std::uint32_t h, std::uint32_t m, std::uint32_t p1,
                         std::uint32_t p2, std::span<const std::uint8_t> block) override {
        return model_.Message(d, h, m, p1, p2, block);
    }
    ConfigReply Config(std::uint32_t code, std::span<const std::uint8_t> data) override {
        return model_.Config(code, data);
    }
    void SetDeviceChangeHandler(DeviceChangeHandler h) override {
        model_.SetDeviceChangeHandler(std::move(h));
    }
    void AnswerDeviceChange(std::uint32_t id) override { model_.AnswerDeviceChange(id); }

private:
    CardModel& model_;
};

} // namespace simcard::test
