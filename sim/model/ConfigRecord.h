#pragma once
// The driver's per-card configuration record: 200 bytes of 32-bit little-endian fields, flags as
// -1 and 0. Bytes the driver does not name are kept exactly as they were last sent.

#include "sim/protocol/CardTypes.h"

#include <array>
#include <cstdint>
#include <span>

namespace simcard {

using ConfigRecord = std::array<std::uint8_t, kConfigRecordSize>;

struct ConfigField {
    const char* name;
    std::size_t offset;
};

std::span<const ConfigField> ConfigFields();
// The record of a card as the driver first comes up: Clock 1 at 44100, Clock 2 at 48000, every
// device autonomous on Clock 1, conflict reports on.
ConfigRecord DefaultConfigRecord(int card);

std::int32_t ReadInt32(std::span<const std::uint8_t> bytes, std::size_t offset);
void WriteInt32(std::span<std::uint8_t> bytes, std::size_t offset, std::int32_t value);

} // namespace simcard
