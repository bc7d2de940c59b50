// The driver messages on control handles, as the driver of the card answers them.
#include "sim/model/CardModel.h"

#include <algorithm>

namespace simcard {

namespace {

constexpr std::uint32_t kRefused = MMSYSERR_ERROR;

void Put32(std::vector<std::uint8_t>& block, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        block[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutBytes(std::vector<std::uint8_t>& block, const std::array<std::uint8_t, 4>& bytes) {
    std::copy(bytes.begin(), bytes.end(), block.begin());
}

std::array<std::uint8_t, 4> Unpack(std::uint32_t packed) {
    return {static_cast<std::uint8_t>(packed), static_cast<std::uint8_t>(packed >> 8),
            static_cast<std::uint8_t>(packed >> 16), static_cast<std::uint8_t>(packed >> 24)};
}

// The route's source byte that monitors ADAT inputs.
constexpr std::uint8_t kSourceAdatIn = 4;

} // namespace

MessageReply CardModel::Message(ClientId client, WaveDirection direction, std::uint32_t handle,
                                std::uint32_t message, std::uint32_t param1, std::uint32_t param2,
                                std::span<const std::uint8_t> block) {
    MessageReply reply;
    reply.block.assign(block.begin(), block.end());
    auto it = handles_.find(handle);
    std::int64_t deviceId = -1;
    const std::size_t blockSize = MessageBlockSize(direction, message);
    if (it == handles_.end() || it->second.client != client || it->second.direction != direction) {
        reply.result = MMSYSERR_INVALHANDLE;
    } else if (!IsDriverMessage(direction, message)) {
        deviceId = DeviceIdOfHandle(it->second);
        reply.result = MMSYSERR_NOTSUPPORTED;
    } else if (block.size() != blockSize) {
        deviceId = DeviceIdOfHandle(it->second);
        reply.result = MMSYSERR_INVALPARAM;
    } else {
        deviceId = DeviceIdOfHandle(it->second);
        if (it->second.devnode == 0)
            reply.result = MMSYSERR_NOTSUPPORTED;
        else
            reply = CardMessage(it->second, cards_[CardIndexOf(it->second.devnode)], message,
                                param1, block);
    }
    AddTrace(client, direction == WaveDirection::In ? "waveInMessage" : "waveOutMessage", deviceId,
             MessageName(direction, message), param1, param2, reply.result);
    return reply;
}

MessageReply CardModel::CardMessage(Handle& handle, SimulatedCard& card, std::uint32_t message,
                                    std::uint32_t param1, std::span<const std::uint8_t> block) {
    MessageReply reply{MMSYSERR_NOERROR, {block.begin(), block.end()}};
    const int dev = handle.device;
    const int way = int(handle.direction);
    const bool in = handle.direction == WaveDirection::In;
    auto onlyOn = [&](bool allowed) {
        if (!allowed)
            reply.result = MMSYSERR_NOTSUPPORTED;
        return allowed;
    };
    switch (in ? message | 0x10000 : message) {
    case INMSG_METER_ON | 0x10000:
    case OUTMSG_METER_ON:
        if (card.meterOnRefused[way][dev]) {
            reply.result = kRefused;
        } else {
            handle.meterOn = true;
            handle.lastReadMs = Now();
        }
        break;
    case INMSG_METER_OFF | 0x10000:
    case OUTMSG_METER_OFF:
        handle.meterOn = false;
        break;
    case INMSG_METER_READ | 0x10000:
    case OUTMSG_METER_READ: {
        if (!handle.meterOn || card.meterReadRefused[way][dev]) {
            reply.result = kRefused;
            break;
        }
        const std::uint64_t now = Now();
        for (int ch = 0; ch < 2; ++ch) {
            double peak = in ? InputPeak(card, dev, ch, handle.lastReadMs, now)
                             : PlaybackPeak(card, dev, ch, handle.lastReadMs, now);
            Put32(reply.block, 4 * ch, static_cast<std::uint32_t>(ToMeterScale(peak)));
        }
        handle.lastReadMs = now;
        break;
    }
    case INMSG_GET_GAIN | 0x10000:
        if (onlyOn(dev == kAnalog))
            Put32(reply.block, 0, card.gain[0] | std::uint32_t(card.gain[1]) << 16);
        break;
    case INMSG_SET_GAIN | 0x10000:
        if (onlyOn(dev == kAnalog))
            card.gain = {static_cast<std::uint16_t>(param1),
                         static_cast<std::uint16_t>(param1 >> 16)};
        break;
    case INMSG_GET_MONITOR | 0x10000:
        if (onlyOn(dev == kAnalog || dev == kDigital))
            PutBytes(reply.block, card.monitor[dev]);
        break;
    case INMSG_SET_MONITOR | 0x10000:
        if (onlyOn(dev == kAnalog || dev == kDigital))
            card.monitor[dev] = Unpack(param1);
        break;
    case INMSG_GET_RATE | 0x10000:
        if (onlyOn(dev == kDigital))
            Put32(reply.block, 0, card.SelectedRate());
        break;
    case OUTMSG_GET_ROUTE:
        if (onlyOn(dev == kAnalog || dev == kDigital))
            PutBytes(reply.block, card.route[dev]);
        break;
    case OUTMSG_SET_ROUTE:
        if (onlyOn(dev == kAnalog || dev == kDigital))
            reply.result = SetRoute(card, dev, param1);
        break;
    case OUTMSG_GET_FORMAT:
        if (onlyOn(dev == kDigital))
            Put32(reply.block, 0, card.format);
        break;
    case OUTMSG_SET_FORMAT:
        if (onlyOn(dev == kDigital))
            card.format = param1;
        break;
    case OUTMSG_GET_CARD_INFO:
        Put32(reply.block, 0, card.devnode);
        break;
    default:
        reply.result = MMSYSERR_NOTSUPPORTED;
    }
    return reply;
}

// Monitoring ADAT input on an output needs that output's playback path: while an application
// holds the playback device the route is refused.
std::uint32_t CardModel::SetRoute(SimulatedCard& card, int device, std::uint32_t packed) {
    auto route = Unpack(packed);
    if (route[0] == kSourceAdatIn && card.busy[int(WaveDirection::Out)][device])
        return MMSYSERR_ALLOCATED;
    card.route[device] = route;
    return MMSYSERR_NOERROR;
}

double CardModel::InputPeak(const SimulatedCard& card, int device, int channel, std::uint64_t from,
                            std::uint64_t to) {
    double peak = card.input[device].Peak(channel, from, to, rng_);
    return std::min(peak * card.InputScale(device, channel), 1.0);
}

double CardModel::PlaybackPeak(const SimulatedCard& card, int device, int channel,
                               std::uint64_t from, std::uint64_t to) {
    const RoutedChannel routed = card.Routed(device, channel);
    if (!routed.signal)
        return 0;
    return std::min(routed.signal->Peak(routed.channel, from, to, rng_) * routed.scale, 1.0);
}

} // namespace simcard
