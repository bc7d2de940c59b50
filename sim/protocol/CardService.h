#pragma once
// What a caller of the card's driver can ask: the wave device list, control handles, driver
// messages on them, the configuration commands, and the device-change events the driver pushes.
// The in-process card model and the socket client both implement it, so the platform's wave
// services run over either.
//
// Configuration faults: the configuration process (rundll) asks Config() and then acts on the
// reply's `fault` before it writes the completion word:
//   None  - write the data block, then the completion word;
//   Slow  - wait `delayMs`, then as None (the command has been carried out already);
//   Hang  - never write the completion word and never end on its own (the command was not run);
//   Crash - end abnormally without writing anything (the command was not run).
// The driver decides; the configuration process only plays it out, as a real one would fail.

#include "sim/protocol/CardTypes.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace simcard {

// INMSG_METER_READ or OUTMSG_METER_READ.
std::uint32_t MeterReadMessage(WaveDirection direction);

class ICardService {
public:
    using DeviceChangeHandler = std::function<void(const DeviceChangeEvent&)>;

    virtual ~ICardService() = default;

    // The system's wave devices of one direction; a device id is a position in this list.
    virtual std::vector<WaveDeviceCaps> ListDevices(WaveDirection direction) = 0;
    // `format` is the WAVEFORMATEX with its extra bytes, as the caller passes it.
    virtual OpenReply Open(WaveDirection direction, std::uint32_t deviceId,
                           std::span<const std::uint8_t> format) = 0;
    virtual std::uint32_t Close(WaveDirection direction, std::uint32_t handle) = 0;
    // `block` holds the contents of the block the first parameter addresses, exactly
    // MessageBlockSize() bytes for a message that takes one, else empty; `param1` is passed as the
    // caller gave it (the address) so that the driver's trace shows it.
    virtual MessageReply Message(WaveDirection direction, std::uint32_t handle,
                                 std::uint32_t message, std::uint32_t param1, std::uint32_t param2,
                                 std::span<const std::uint8_t> block) = 0;
    // The meter read of every target at once, each answered as its own METER_READ message with
    // `param1` would be (a refusal stays the refusal of that target); one reply per target, in
    // order. The socket client asks it in one request; by default it is a message per target.
    virtual std::vector<MessageReply> ReadMeters(std::span<const MeterTarget> targets,
                                                 std::uint32_t param1);
    // One configuration command with its record (ConfigRecordSize() bytes).
    virtual ConfigReply Config(std::uint32_t code, std::span<const std::uint8_t> data) = 0;
    // Subscribes to device-change events; a subscriber is waited for when a card is about to be
    // removed, until it answers the event (or a few seconds pass). The socket client calls the
    // handler on its reader thread: post the event on and return, do not make requests there.
    virtual void SetDeviceChangeHandler(DeviceChangeHandler handler) = 0;
    virtual void AnswerDeviceChange(std::uint32_t eventId) = 0;
};

} // namespace simcard
