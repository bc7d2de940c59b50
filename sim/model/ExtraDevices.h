#pragma once
// Extra wave devices for tests: one per line, "in|out <manufacturer id> <product id> <name>",
// the name being the rest of the line exactly (blanks included). Blank lines and lines starting
// with '#' are skipped.

#include "sim/model/CardModel.h"

#include <string>
#include <vector>

namespace simcard {

// Appends to `devices`; false with `error` naming the line when one is malformed.
bool ParseExtraDevices(const std::string& text, std::vector<ExtraDevice>& devices,
                       std::string* error);

} // namespace simcard
