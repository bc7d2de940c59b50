#pragma once
// The driver's control messages: their codes, the side each goes to, and the blocks and packed
// values they carry. The windows build their exchanges from these and never pack bytes by hand.

#include "platform/WinTypes.h"

#include <cstring>

constexpr UINT DRV_USER = 0x4000;

// Sent with waveOutMessage on a playback control handle.
constexpr UINT OUTMSG_METER_ON = 0x4007;
constexpr UINT OUTMSG_METER_OFF = 0x4008;
constexpr UINT OUTMSG_METER_READ = 0x4009;    // block: peak block
constexpr UINT OUTMSG_GET_ROUTE = 0x400A;     // block: route block
constexpr UINT OUTMSG_SET_ROUTE = 0x400B;     // packed: route block
constexpr UINT OUTMSG_GET_FORMAT = 0x400D;    // block: format block
constexpr UINT OUTMSG_SET_FORMAT = 0x400E;    // the format word by value
constexpr UINT OUTMSG_GET_CARD_INFO = 0x4011; // block: card-info block

// Sent with waveInMessage on a recording control handle.
constexpr UINT INMSG_GET_GAIN = 0x4032;    // block: gain block
constexpr UINT INMSG_SET_GAIN = 0x4033;    // packed: left gain low word, right gain high word
constexpr UINT INMSG_GET_MONITOR = 0x4034; // block: monitor state block
constexpr UINT INMSG_SET_MONITOR = 0x4035; // packed: monitor state block
constexpr UINT INMSG_METER_ON = 0x4038;
constexpr UINT INMSG_METER_OFF = 0x4039;
constexpr UINT INMSG_METER_READ = 0x403A; // block: peak block
constexpr UINT INMSG_GET_RATE = 0x403F;   // block: rate block

// The result a sender examines: 0 means done, anything else refused.
constexpr MMRESULT DRIVER_DONE = 0;

enum class MessageSide { Recording, Playback, None };

constexpr MessageSide SideOf(UINT message) {
    switch (message) {
    case OUTMSG_METER_ON:
    case OUTMSG_METER_OFF:
    case OUTMSG_METER_READ:
    case OUTMSG_GET_ROUTE:
    case OUTMSG_SET_ROUTE:
    case OUTMSG_GET_FORMAT:
    case OUTMSG_SET_FORMAT:
    case OUTMSG_GET_CARD_INFO:
        return MessageSide::Playback;
    case INMSG_GET_GAIN:
    case INMSG_SET_GAIN:
    case INMSG_GET_MONITOR:
    case INMSG_SET_MONITOR:
    case INMSG_METER_ON:
    case INMSG_METER_OFF:
    case INMSG_METER_READ:
    case INMSG_GET_RATE:
        return MessageSide::Recording;
    default:
        return MessageSide::None;
    }
}

// Values of the monitor state's bytes.
enum DigitalInputSelect : BYTE { InputOptical = 1, InputElectrical = 2, InputCd = 3 };
enum MonitorDestination : BYTE { MonitorToAnalogOut = 1, MonitorToDigitalOut = 2 };
enum MonitorCondition : BYTE { MonitorNever = 0, MonitorWhileRecording = 1, MonitorWhilePunch = 2 };

// Playback sources of the analog output's route byte 0.
enum AnalogPlaybackSource : BYTE {
    AnalogFromApplication = 0,
    AnalogFromDigitalOut = 1,
    AnalogFromAnalogIn = 2,
    AnalogFromDigitalIn = 3,
    AnalogFromAdatIn = 4,
};
// Playback sources of the digital output's route byte 0.
enum DigitalPlaybackSource : BYTE {
    DigitalFromApplication = 0,
    DigitalFromAnalogOut = 1,
    DigitalFromAnalogIn = 2,
    DigitalFromDigitalIn = 3,
};

constexpr DWORD kProfessionalFormat = 0x10; // AES/EBU when set, S/PDIF when clear

// A 4-byte record carried by value: byte 0 in bits 0-7 ... byte 3 in bits 24-31.
struct ByteQuad {
    BYTE b[4] = {0, 0, 0, 0};

    DWORD Packed() const {
        return static_cast<DWORD>(b[0]) | static_cast<DWORD>(b[1]) << 8 |
               static_cast<DWORD>(b[2]) << 16 | static_cast<DWORD>(b[3]) << 24;
    }
    static ByteQuad Unpacked(DWORD value) {
        return ByteQuad{{static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                         static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)}};
    }
    bool operator==(const ByteQuad&) const = default;
};

// The card's monitoring state: byte 0 digital input, 1 destination, 2 condition, 3 unused.
struct MonitorState : ByteQuad {
    static constexpr int kInputSelect = 0, kDestination = 1, kCondition = 2;
};

// The card's playback route: byte 0 source, 1 and 2 the ADAT channels (0..7) of left and right.
struct RouteState : ByteQuad {
    static constexpr int kSource = 0, kAdatLeft = 1, kAdatRight = 2;
};

struct PeakValues {
    std::int32_t left = 0;  // the device's even channel
    std::int32_t right = 0; // the device's odd channel
    // A single channel of the device: even channels the low four bytes, odd the high four.
    std::int32_t OfChannel(int channel) const { return channel % 2 == 0 ? left : right; }
};

struct GainWords {
    WORD left = 0;
    WORD right = 0;
    DWORD Packed() const { return static_cast<DWORD>(left) | static_cast<DWORD>(right) << 16; }
    WORD OfChannel(int channel) const { return channel % 2 == 0 ? left : right; }
};

constexpr DWORD kPeakBlockSize = 8;
constexpr DWORD kQuadBlockSize = 4; // gain, monitor, route, format, rate and card-info blocks

// Reading the blocks the driver wrote (little-endian, as the driver writes them).
inline std::int32_t ReadInt32(const void* block, std::size_t offset = 0) {
    const auto* p = static_cast<const BYTE*>(block) + offset;
    return static_cast<std::int32_t>(static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 |
                                     static_cast<DWORD>(p[2]) << 16 |
                                     static_cast<DWORD>(p[3]) << 24);
}
inline void WriteInt32(void* block, std::int32_t value, std::size_t offset = 0) {
    auto* p = static_cast<BYTE*>(block) + offset;
    auto v = static_cast<DWORD>(value);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<BYTE>(v >> (8 * i));
}
inline PeakValues ReadPeakBlock(const void* block) {
    return PeakValues{ReadInt32(block, 0), ReadInt32(block, 4)};
}
inline GainWords ReadGainBlock(const void* block) {
    auto v = static_cast<DWORD>(ReadInt32(block));
    return GainWords{static_cast<WORD>(v), static_cast<WORD>(v >> 16)};
}
template <typename Quad> Quad ReadQuadBlock(const void* block) {
    Quad q;
    std::memcpy(q.b, block, 4);
    return q;
}
inline DWORD ReadFormatBlock(const void* block) {
    return static_cast<DWORD>(ReadInt32(block));
}
inline std::int32_t ReadRateBlock(const void* block) {
    return ReadInt32(block);
}
inline DWORD ReadCardInfoBlock(const void* block) {
    return static_cast<DWORD>(ReadInt32(block));
}

// The format word with the professional bit set or cleared; the other bits go back as read.
constexpr DWORD WithProfessionalFormat(DWORD word, bool professional) {
    return professional ? (word | kProfessionalFormat) : (word & ~kProfessionalFormat);
}
