#pragma once
// The driver's configuration: one 200-byte record per card, four of them in the 800-byte block
// that getconfig fills and setconfig sends. Every field is a 32-bit little-endian integer; flags
// are written as -1 and 0 and read as on for any non-zero value. Bytes that no field names are
// the driver's: they are kept exactly as they came and go back unchanged.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

enum class ConfigField : std::uint8_t {
    RemoveNotice = 0,
    CardIsMaster = 8,
    SyncBusClock = 12,
    ReportRateConflicts = 28,
    ReportDeviceConflicts = 32,
    AnalogPairOnSyncBus = 44,
    AnalogOutStartSyncBus = 48,
    AnalogInStartSyncBus = 52,
    AnalogInClock = 56,
    AnalogOutClock = 60,
    DigitalPairOnSyncBus = 76,
    DigitalOutStartSyncBus = 80,
    DigitalInStartSyncBus = 84,
    DigitalOutClock = 92,
    AdatOutAllSynchronous = 100,
    AdatInAllSynchronous = 104,
    AdatPairOnSyncBus = 108,
    AdatOutStartSyncBus = 112,
    AdatInStartSyncBus = 116,
    AdatOutClock = 124,
    Clock1SyncToWordclock = 132,
    Clock1DefaultRate = 136,
    Clock2SyncToAdat = 140,
    Clock2DefaultRate = 144,
    WriteIsPlayCursor = 164,
    LatencyMs = 168,
    RestrictedRate = 172,
    RestrictedResolution = 176,
    RestrictDevices = 180,
    OfferedDevice = 184,
};

struct ConfigFieldInfo {
    ConfigField field;
    std::string_view name;
    bool isFlag;
};

// Every named field in offset order.
std::span<const ConfigFieldInfo> ConfigFields();

// Clock source codes of the device clock fields.
enum ClockSource : std::int32_t {
    ClockOne = 0,
    ClockTwo = 1,
    ClockDigitalIn = 2,
    ClockSyncBus = 3
};

class ConfigRecord {
public:
    static constexpr std::size_t kSize = 200;
    static constexpr std::int32_t kOn = -1;
    static constexpr std::int32_t kOff = 0;

    std::int32_t Get(ConfigField field) const;
    void Set(ConfigField field, std::int32_t value);
    bool Flag(ConfigField field) const { return Get(field) != 0; }
    void SetFlag(ConfigField field, bool on) { Set(field, on ? kOn : kOff); }

    std::span<std::uint8_t, kSize> Bytes() { return bytes_; }
    std::span<const std::uint8_t, kSize> Bytes() const { return bytes_; }
    bool operator==(const ConfigRecord&) const = default;

private:
    std::array<std::uint8_t, kSize> bytes_{};
};

struct ConfigBlock {
    static constexpr std::size_t kCards = 4;
    static constexpr std::size_t kSize = kCards * ConfigRecord::kSize;

    std::array<ConfigRecord, kCards> records;

    ConfigRecord& operator[](std::size_t card) { return records.at(card); }
    const ConfigRecord& operator[](std::size_t card) const { return records.at(card); }
    void* Data() { return records.data(); }
    const void* Data() const { return records.data(); }
    bool operator==(const ConfigBlock&) const = default;
};

static_assert(sizeof(ConfigRecord) == ConfigRecord::kSize);
static_assert(sizeof(ConfigBlock) == ConfigBlock::kSize, "the block travels as 800 raw bytes");
