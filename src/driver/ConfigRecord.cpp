#include "driver/ConfigRecord.h"

namespace {

constexpr ConfigFieldInfo kFields[] = {
    {ConfigField::RemoveNotice, "RemoveNotice", true},
    {ConfigField::CardIsMaster, "CardIsMaster", true},
    {ConfigField::SyncBusClock, "SyncBusClock", false},
    {ConfigField::ReportRateConflicts, "ReportRateConflicts", true},
    {ConfigField::ReportDeviceConflicts, "ReportDeviceConflicts", true},
    {ConfigField::AnalogPairOnSyncBus, "AnalogPairOnSyncBus", true},
    {ConfigField::AnalogOutStartSyncBus, "AnalogOutStartSyncBus", true},
    {ConfigField::AnalogInStartSyncBus, "AnalogInStartSyncBus", true},
    {ConfigField::AnalogInClock, "AnalogInClock", false},
    {ConfigField::AnalogOutClock, "AnalogOutClock", false},
    {ConfigField::DigitalPairOnSyncBus, "DigitalPairOnSyncBus", true},
    {ConfigField::DigitalOutStartSyncBus, "DigitalOutStartSyncBus", true},
    {ConfigField::DigitalInStartSyncBus, "DigitalInStartSyncBus", true},
    {ConfigField::DigitalOutClock, "DigitalOutClock", false},
    {ConfigField::AdatOutAllSynchronous, "AdatOutAllSynchronous", true},
    {ConfigField::AdatInAllSynchronous, "AdatInAllSynchronous", true},
    {ConfigField::AdatPairOnSyncBus, "AdatPairOnSyncBus", true},
    {ConfigField::AdatOutStartSyncBus, "AdatOutStartSyncBus", true},
    {ConfigField::AdatInStartSyncBus, "AdatInStartSyncBus", true},
    {ConfigField::AdatOutClock, "AdatOutClock", false},
    {ConfigField::Clock1SyncToWordclock, "Clock1SyncToWordclock", true},
    {ConfigField::Clock1DefaultRate, "Clock1DefaultRate", false},
    {ConfigField::Clock2SyncToAdat, "Clock2SyncToAdat", true},
    {ConfigField::Clock2DefaultRate, "Clock2DefaultRate", false},
    {ConfigField::WriteIsPlayCursor, "WriteIsPlayCursor", true},
    {ConfigField::LatencyMs, "LatencyMs", false},
    {ConfigField::RestrictedRate, "RestrictedRate", false},
    {ConfigField::RestrictedResolution, "RestrictedResolution", false},
    {ConfigField::RestrictDevices, "RestrictDevices", true},
    {ConfigField::OfferedDevice, "OfferedDevice", false},
};

} // namespace

std::span<const ConfigFieldInfo> ConfigFields() {
    return kFields;
}

std::int32_t ConfigRecord::Get(ConfigField field) const {
    auto offset = static_cast<std::size_t>(field);
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | bytes_[offset + static_cast<std::size_t>(i)];
    return static_cast<std::int32_t>(v);
}

void ConfigRecord::Set(ConfigField field, std::int32_t value) {
    auto offset = static_cast<std::size_t>(field);
    auto v = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        bytes_[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
