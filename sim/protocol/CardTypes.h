#pragma once
// The vocabulary shared by the card's driver side and its callers: wave directions, device
// capabilities, results, driver message codes and the records that travel with them. Nothing
// here depends on anything else of ours, so the platform, the daemon and the tools all speak it.

#include <cstdint>
#include <string>
#include <vector>

namespace simcard {

enum class WaveDirection : std::uint8_t { In = 0, Out = 1 };

// The classic multimedia results the wave services return.
constexpr std::uint32_t MMSYSERR_NOERROR = 0;
constexpr std::uint32_t MMSYSERR_ERROR = 1;
constexpr std::uint32_t MMSYSERR_BADDEVICEID = 2;
constexpr std::uint32_t MMSYSERR_ALLOCATED = 4;
constexpr std::uint32_t MMSYSERR_INVALHANDLE = 5;
constexpr std::uint32_t MMSYSERR_NODRIVER = 6;
constexpr std::uint32_t MMSYSERR_NOTSUPPORTED = 8;
constexpr std::uint32_t MMSYSERR_INVALPARAM = 11;
constexpr std::uint32_t WAVERR_BADFORMAT = 32;

// Driver-defined messages on control handles (DRV_USER + n).
constexpr std::uint32_t OUTMSG_METER_ON = 0x4007;
constexpr std::uint32_t OUTMSG_METER_OFF = 0x4008;
constexpr std::uint32_t OUTMSG_METER_READ = 0x4009;
constexpr std::uint32_t OUTMSG_GET_ROUTE = 0x400A;
constexpr std::uint32_t OUTMSG_SET_ROUTE = 0x400B;
constexpr std::uint32_t OUTMSG_GET_FORMAT = 0x400D;
constexpr std::uint32_t OUTMSG_SET_FORMAT = 0x400E;
constexpr std::uint32_t OUTMSG_GET_CARD_INFO = 0x4011;
constexpr std::uint32_t INMSG_GET_GAIN = 0x4032;
constexpr std::uint32_t INMSG_SET_GAIN = 0x4033;
constexpr std::uint32_t INMSG_GET_MONITOR = 0x4034;
constexpr std::uint32_t INMSG_SET_MONITOR = 0x4035;
constexpr std::uint32_t INMSG_METER_ON = 0x4038;
constexpr std::uint32_t INMSG_METER_OFF = 0x4039;
constexpr std::uint32_t INMSG_METER_READ = 0x403A;
constexpr std::uint32_t INMSG_GET_RATE = 0x403F;

// Configuration commands and the sizes of their records.
constexpr std::uint32_t CONFIG_GETSTATES = 0x4001;
constexpr std::uint32_t CONFIG_RECONFIGURABLE = 0x4002;
constexpr std::uint32_t CONFIG_GETCONFIG = 0x4003;
constexpr std::uint32_t CONFIG_SETCONFIG = 0x4004;
constexpr std::size_t kStateRecordSize = 20;
constexpr std::size_t kReconfigurableSize = 4;
constexpr std::size_t kConfigRecordSize = 200;
constexpr std::size_t kConfigBlockSize = 4 * kConfigRecordSize;

// The card's identity in the device list.
constexpr std::uint16_t kCardManufacturerId = 190;
constexpr int kMaxCards = 4;
constexpr int kDevicesPerDirection = 6; // analog, digital, four ADAT pairs

// Device-change broadcast values carried by a removal query.
constexpr std::uint32_t DBT_DEVICEQUERYREMOVE = 0x8001;
constexpr std::uint32_t DBT_DEVTYP_DEVNODE = 1;

struct WaveDeviceCaps {
    std::uint16_t manufacturerId = 0;
    std::uint16_t productId = 0;
    std::string name;
};

struct OpenReply {
    std::uint32_t result = MMSYSERR_NOERROR;
    std::uint32_t handle = 0; // 0 unless the open succeeded
};

struct MessageReply {
    std::uint32_t result = MMSYSERR_NOERROR;
    // The block as the driver left it; same size as the block handed in.
    std::vector<std::uint8_t> block;
};

// One handle of a batch of meter reads (ICardService::ReadMeters).
struct MeterTarget {
    WaveDirection direction = WaveDirection::In;
    std::uint32_t handle = 0;
};

// What the configuration process is to do besides answering (see CardService.h).
enum class ConfigFault : std::uint8_t { None = 0, Hang = 1, Crash = 2, Slow = 3 };

struct ConfigReply {
    std::uint32_t result = MMSYSERR_NOERROR;
    std::vector<std::uint8_t> data; // the record as the driver left it
    ConfigFault fault = ConfigFault::None;
    std::uint32_t delayMs = 0; // for ConfigFault::Slow
};

struct DeviceChangeEvent {
    std::uint32_t id = 0; // answered with ICardService::AnswerDeviceChange
    std::uint32_t event = DBT_DEVICEQUERYREMOVE;
    std::uint32_t deviceType = DBT_DEVTYP_DEVNODE;
    std::uint32_t devnode = 0;
};

// Size of the block a message fills or reads through its first parameter; 0 for messages whose
// first parameter is a value. The caller resolves that parameter to the block and sends its bytes.
std::size_t MessageBlockSize(WaveDirection direction, std::uint32_t message);
// Whether a code is one of the driver's messages on handles of that direction.
bool IsDriverMessage(WaveDirection direction, std::uint32_t message);
// "INMSG_METER_READ" and the like; an unknown code as "0x4050".
std::string MessageName(WaveDirection direction, std::uint32_t message);
// "getstates" … "setconfig"; empty for other codes.
std::string ConfigCommandWord(std::uint32_t code);
// The record size a configuration command takes; 0 for other codes.
std::size_t ConfigRecordSize(std::uint32_t code);

} // namespace simcard
