#pragma once
// The driver's error ids and the German message boxes they are shown in.

#include "platform/WinTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

// What a report is about, besides its id: nothing, a card (numbered from 1 as the user sees it),
// or a wave device with the rate asked for and a second rate (external clock or running device).
struct DeviceDescription {
    std::string name;
    std::int32_t rate = 0;
    std::int32_t secondRate = 0;
};
using DriverErrorContext = std::variant<std::monostate, int, DeviceDescription>;

struct DriverErrorBox {
    std::string caption;
    std::string text;
    UINT style = 0;
};

// The box an id is shown in, or nothing for the ids that are not errors (1, 0, -50).
std::optional<DriverErrorBox> ComposeDriverError(const DriverErrorContext& context,
                                                 std::int32_t id);

// Shows the id's box modally (only an OK button, no owner); true when a box was shown.
bool ShowDriverError(const DriverErrorContext& context, std::int32_t id);

struct StateRecord;
// The startup report over the states getstates returned: the driver's state (unless it is the
// first card's, which is then shown once, for the card), then each card's up to the first 0.
// A wrong kernel module version is shown alone; a kernel module that is not loaded shows nothing.
void ReportDriverStates(const StateRecord& states);
