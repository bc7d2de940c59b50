#pragma once
// The wire format between the card daemon and its clients. Every frame is
//   u32 length (of what follows) | u8 type | u32 sequence | payload
// in little-endian order. A reply carries the sequence of its request; events carry 0. Inside a
// payload, byte strings and texts are a u32 length followed by the bytes.
//
// Requests and their replies:
//   Hello        u32 pid                                  -> u32 protocol version
//   ListDevices  u8 direction                             -> u16 n, n × (u16 mid, u16 pid, text)
//   Open         u8 direction, u32 device id, bytes fmt   -> u32 result, u32 handle
//   Close        u8 direction, u32 handle                 -> u32 result
//   Message      u8 direction, u32 handle, u32 message, u32 p1, u32 p2, bytes block
//                                                         -> u32 result, bytes block
//   Config       u32 code, bytes record                   -> u32 result, bytes record, u8 fault,
//                                                            u32 delay ms
//   Subscribe    (nothing)                                -> (nothing)
//   Answer       u32 event id                             (no reply)
//   Control      u16 n, n × text                          -> i32 status, text output, text error
//   MeterReads   u32 p1, u16 n, n × (u8 direction, u32 handle)
//                                                         -> u16 n, n × (u32 result, bytes block)
// A request the daemon cannot take (malformed, oversized, out of range) gets an Error frame with
// a text instead of its reply; after a length over kMaxRequest the daemon also hangs up, as it
// does on a request left unfinished and on a client that leaves its answers unread. The daemon
// pushes DeviceChange events to subscribers:
//   DeviceChange u32 event id, u32 event, u32 device type, u32 devnode

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace simcard::wire {

constexpr std::uint32_t kProtocolVersion = 1;
constexpr std::size_t kHeaderSize = 9;
constexpr std::uint32_t kMaxRequest = 64 * 1024;
constexpr std::uint32_t kMaxReply = 16 * 1024 * 1024;

enum class FrameType : std::uint8_t {
    Hello = 1,
    ListDevices = 2,
    Open = 3,
    Close = 4,
    Message = 5,
    Config = 6,
    Subscribe = 7,
    Answer = 8,
    Control = 9,
    MeterReads = 10,
    Reply = 0x80,
    Error = 0x81,
    DeviceChange = 0x82,
};

class Writer {
public:
    Writer& U8(std::uint8_t v);
    Writer& U16(std::uint16_t v);
    Writer& U32(std::uint32_t v);
    Writer& Bytes(std::span<const std::uint8_t> bytes);
    Writer& Text(const std::string& text);
    // The complete frame, length prefix included.
    std::vector<std::uint8_t> Frame(FrameType type, std::uint32_t sequence) const;

private:
    std::vector<std::uint8_t> payload_;
};

// Reads a payload; any read past its end marks it bad and yields zeros.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> payload) : data_(payload) {}
    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    std::vector<std::uint8_t> Bytes();
    std::string Text();
    // True when every read so far fitted and nothing is left over.
    bool Complete() const { return ok_ && pos_ == data_.size(); }
    bool Ok() const { return ok_; }

private:
    bool Take(std::size_t n);
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

struct FrameHeader {
    std::uint32_t length; // type, sequence and payload
    FrameType type;
    std::uint32_t sequence;
};

// The length prefix of a frame that starts with `bytes` (at least 4 of them).
std::uint32_t FrameLength(std::span<const std::uint8_t> bytes);
// Header of a complete frame (length >= 5).
FrameHeader ParseHeader(std::span<const std::uint8_t> frame);

} // namespace simcard::wire
