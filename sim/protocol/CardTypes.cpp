#include "sim/protocol/CardTypes.h"

#include <cstdio>

namespace simcard {

namespace {

struct MessageInfo {
    WaveDirection direction;
    std::uint32_t code;
    const char* name;
    std::size_t blockSize;
};

constexpr MessageInfo kMessages[] = {
    {WaveDirection::Out, OUTMSG_METER_ON, "OUTMSG_METER_ON", 0},
    {WaveDirection::Out, OUTMSG_METER_OFF, "OUTMSG_METER_OFF", 0},
    {WaveDirection::Out, OUTMSG_METER_READ, "OUTMSG_METER_READ", 8},
    {WaveDirection::Out, OUTMSG_GET_ROUTE, "OUTMSG_GET_ROUTE", 4},
    {WaveDirection::Out, OUTMSG_SET_ROUTE, "OUTMSG_SET_ROUTE", 0},
    {WaveDirection::Out, OUTMSG_GET_FORMAT, "OUTMSG_GET_FORMAT", 4},
    {WaveDirection::Out, OUTMSG_SET_FORMAT, "OUTMSG_SET_FORMAT", 0},
    {WaveDirection::Out, OUTMSG_GET_CARD_INFO, "OUTMSG_GET_CARD_INFO", 4},
    {WaveDirection::In, INMSG_GET_GAIN, "INMSG_GET_GAIN", 4},
    {WaveDirection::In, INMSG_SET_GAIN, "INMSG_SET_GAIN", 0},
    {WaveDirection::In, INMSG_GET_MONITOR, "INMSG_GET_MONITOR", 4},
    {WaveDirection::In, INMSG_SET_MONITOR, "INMSG_SET_MONITOR", 0},
    {WaveDirection::In, INMSG_METER_ON, "INMSG_METER_ON", 0},
    {WaveDirection::In, INMSG_METER_OFF, "INMSG_METER_OFF", 0},
    {WaveDirection::In, INMSG_METER_READ, "INMSG_METER_READ", 8},
    {WaveDirection::In, INMSG_GET_RATE, "INMSG_GET_RATE", 4},
};

const MessageInfo* Find(WaveDirection direction, std::uint32_t message) {
    for (const auto& info : kMessages)
        if (info.direction == direction && info.code == message)
            return &info;
    return nullptr;
}

} // namespace

std::size_t MessageBlockSize(WaveDirection direction, std::uint32_t message) {
    const MessageInfo* info = Find(direction, message);
    return info ? info->blockSize : 0;
}

bool IsDriverMessage(WaveDirection direction, std::uint32_t message) {
    return Find(direction, message) != nullptr;
}

std::string MessageName(WaveDirection direction, std::uint32_t message) {
    if (const MessageInfo* info = Find(direction, message))
        return info->name;
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", message);
    return text;
}

std::string ConfigCommandWord(std::uint32_t code) {
    switch (code) {
    case CONFIG_GETSTATES:
        return "getstates";
    case CONFIG_RECONFIGURABLE:
        return "reconfigurable";
    case CONFIG_GETCONFIG:
        return "getconfig";
    case CONFIG_SETCONFIG:
        return "setconfig";
    default:
        return {};
    }
}

std::size_t ConfigRecordSize(std::uint32_t code) {
    switch (code) {
    case CONFIG_GETSTATES:
        return kStateRecordSize;
    case CONFIG_RECONFIGURABLE:
        return kReconfigurableSize;
    case CONFIG_GETCONFIG:
    case CONFIG_SETCONFIG:
        return kConfigBlockSize;
    default:
        return 0;
    }
}

} // namespace simcard
