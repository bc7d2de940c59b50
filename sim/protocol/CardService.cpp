#include "sim/protocol/CardService.h"

namespace simcard {

std::uint32_t MeterReadMessage(WaveDirection direction) {
    return direction == WaveDirection::In ? INMSG_METER_READ : OUTMSG_METER_READ;
}

std::vector<MessageReply> ICardService::ReadMeters(std::span<const MeterTarget> targets,
                                                   std::uint32_t param1) {
    std::vector<MessageReply> replies;
    replies.reserve(targets.size());
    for (const MeterTarget& target : targets) {
        const std::uint32_t message = MeterReadMessage(target.direction);
        const std::vector<std::uint8_t> block(MessageBlockSize(target.direction, message));
        replies.push_back(Message(target.direction, target.handle, message, param1, 0, block));
    }
    return replies;
}

} // namespace simcard
