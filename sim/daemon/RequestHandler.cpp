#include "sim/daemon/RequestHandler.h"

#include "sim/model/CardControl.h"

namespace simcard {

using wire::FrameType;
using wire::Reader;
using wire::Writer;

namespace {

std::vector<std::uint8_t> ErrorFrame(std::uint32_t sequence, const std::string& text) {
    return Writer().Text(text).Frame(FrameType::Error, sequence);
}

bool ValidDirection(std::uint8_t d) {
    return d <= 1;
}

} // namespace

std::optional<std::vector<std::uint8_t>> HandleRequest(CardModel& model, ClientId client,
                                                       const wire::FrameHeader& header,
                                                       std::span<const std::uint8_t> payload,
                                                       const EventSender& events) {
    Reader r(payload);
    Writer w;
    const std::uint32_t seq = header.sequence;
    const auto malformed = [&] { return ErrorFrame(seq, "malformed request"); };
    const auto badDirection = [&] { return ErrorFrame(seq, "direction out of range"); };
    switch (header.type) {
    case FrameType::Hello:
        r.U32();
        if (!r.Complete())
            return malformed();
        w.U32(wire::kProtocolVersion);
        break;
    case FrameType::ListDevices: {
        std::uint8_t d = r.U8();
        if (!r.Complete())
            return malformed();
        if (!ValidDirection(d))
            return badDirection();
        auto devices = model.ListDevices(static_cast<WaveDirection>(d));
        w.U16(static_cast<std::uint16_t>(devices.size()));
        for (const auto& dev : devices)
            w.U16(dev.manufacturerId).U16(dev.productId).Text(dev.name);
        break;
    }
    case FrameType::Open: {
        std::uint8_t d = r.U8();
        std::uint32_t id = r.U32();
        auto format = r.Bytes();
        if (!r.Complete())
            return malformed();
        if (!ValidDirection(d))
            return badDirection();
        OpenReply open = model.Open(client, static_cast<WaveDirection>(d), id, format);
        w.U32(open.result).U32(open.handle);
        break;
    }
    case FrameType::Close: {
        std::uint8_t d = r.U8();
        std::uint32_t handle = r.U32();
        if (!r.Complete())
            return malformed();
        if (!ValidDirection(d))
            return badDirection();
        w.U32(model.Close(client, static_cast<WaveDirection>(d), handle));
        break;
    }
    case FrameType::Message: {
        std::uint8_t d = r.U8();
        std::uint32_t handle = r.U32(), message = r.U32(), p1 = r.U32(), p2 = r.U32();
        auto block = r.Bytes();
        if (!r.Complete())
            return malformed();
        if (!ValidDirection(d))
            return badDirection();
        MessageReply reply =
            model.Message(client, static_cast<WaveDirection>(d), handle, message, p1, p2, block);
        w.U32(reply.result).Bytes(reply.block);
        break;
    }
    case FrameType::MeterReads: {
        const std::uint32_t p1 = r.U32();
        const std::uint16_t count = r.U16();
        std::vector<std::pair<std::uint8_t, std::uint32_t>> targets;
        for (std::uint16_t i = 0; i < count && r.Ok(); ++i) {
            const std::uint8_t d = r.U8();
            targets.emplace_back(d, r.U32());
        }
        if (!r.Complete())
            return malformed();
        for (const auto& [d, handle] : targets)
            if (!ValidDirection(d))
                return badDirection();
        w.U16(count);
        for (const auto& [d, handle] : targets) {
            const auto direction = static_cast<WaveDirection>(d);
            const std::uint32_t message = MeterReadMessage(direction);
            const std::vector<std::uint8_t> block(MessageBlockSize(direction, message));
            MessageReply reply = model.Message(client, direction, handle, message, p1, 0, block);
            w.U32(reply.result).Bytes(reply.block);
        }
        break;
    }
    case FrameType::Config: {
        std::uint32_t code = r.U32();
        auto data = r.Bytes();
        if (!r.Complete())
            return malformed();
        ConfigReply reply = model.Config(client, code, data);
        w.U32(reply.result)
            .Bytes(reply.data)
            .U8(static_cast<std::uint8_t>(reply.fault))
            .U32(reply.delayMs);
        break;
    }
    case FrameType::Subscribe:
        if (!r.Complete())
            return malformed();
        model.Subscribe(client, [events](const DeviceChangeEvent& e) {
            events(Writer()
                       .U32(e.id)
                       .U32(e.event)
                       .U32(e.deviceType)
                       .U32(e.devnode)
                       .Frame(FrameType::DeviceChange, 0));
        });
        break;
    case FrameType::Answer: {
        std::uint32_t id = r.U32();
        if (!r.Complete())
            return malformed();
        model.AnswerDeviceChange(client, id);
        return std::nullopt;
    }
    case FrameType::Control: {
        std::uint16_t count = r.U16();
        std::vector<std::string> args;
        for (std::uint16_t i = 0; i < count && r.Ok(); ++i)
            args.push_back(r.Text());
        if (!r.Complete())
            return malformed();
        ControlResult result = RunControl(model, client, args);
        w.U32(static_cast<std::uint32_t>(result.status)).Text(result.output).Text(result.error);
        break;
    }
    default:
        return ErrorFrame(seq,
                          "unknown request type " + std::to_string(static_cast<int>(header.type)));
    }
    return w.Frame(FrameType::Reply, seq);
}

} // namespace simcard
