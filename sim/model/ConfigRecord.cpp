#include "sim/model/ConfigRecord.h"

namespace simcard {

namespace {

constexpr ConfigField kFields[] = {
    {"RemoveNotice", 0},
    {"CardIsMaster", 8},
    {"SyncBusClock", 12},
    {"ReportRateConflicts", 28},
    {"ReportDeviceConflicts", 32},
    {"AnalogPairOnSyncBus", 44},
    {"AnalogOutStartSyncBus", 48},
    {"AnalogInStartSyncBus", 52},
    {"AnalogInClock", 56},
    {"AnalogOutClock", 60},
    {"DigitalPairOnSyncBus", 76},
    {"DigitalOutStartSyncBus", 80},
    {"DigitalInStartSyncBus", 84},
    {"DigitalOutClock", 92},
    {"AdatOutAllSynchronous", 100},
    {"AdatInAllSynchronous", 104},
    {"AdatPairOnSyncBus", 108},
    {"AdatOutStartSyncBus", 112},
    {"AdatInStartSyncBus", 116},
    {"AdatOutClock", 124},
    {"Clock1SyncToWordclock", 132},
    {"Clock1DefaultRate", 136},
    {"Clock2SyncToAdat", 140},
    {"Clock2DefaultRate", 144},
    {"WriteIsPlayCursor", 164},
    {"LatencyMs", 168},
    {"RestrictedRate", 172},
    {"RestrictedResolution", 176},
    {"RestrictDevices", 180},
    {"OfferedDevice", 184},
};

// Words the driver keeps in bytes it does not name (a record revision and a board serial); they
// are not zero so that a writer that loses them is caught.
constexpr std::size_t kRevisionOffset = 4;
constexpr std::size_t kSerialOffset = 188;

} // namespace

std::span<const ConfigField> ConfigFields() {
    return kFields;
}

ConfigRecord DefaultConfigRecord(int card) {
    ConfigRecord record{};
    WriteInt32(record, kRevisionOffset, 0x00030001);
    WriteInt32(record, kSerialOffset, 0x5A400000 + card);
    WriteInt32(record, 28, -1);  // ReportRateConflicts
    WriteInt32(record, 32, -1);  // ReportDeviceConflicts
    WriteInt32(record, 100, -1); // AdatOutAllSynchronous
    WriteInt32(record, 104, -1); // AdatInAllSynchronous
    WriteInt32(record, 136, 44100);
    WriteInt32(record, 144, 48000);
    WriteInt32(record, 164, -1); // WriteIsPlayCursor
    return record;
}

std::int32_t ReadInt32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t v = std::uint32_t(bytes[offset]) | std::uint32_t(bytes[offset + 1]) << 8 |
                      std::uint32_t(bytes[offset + 2]) << 16 |
                      std::uint32_t(bytes[offset + 3]) << 24;
    return static_cast<std::int32_t>(v);
}

void WriteInt32(std::span<std::uint8_t> bytes, std::size_t offset, std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace simcard
