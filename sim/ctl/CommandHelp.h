#pragma once
// The usage text of each varnelctl command.

#include <string>

namespace simcard {

// Help for one command; empty when there is no such command.
std::string CommandHelp(const std::string& command);
std::string OverallHelp();

} // namespace simcard
