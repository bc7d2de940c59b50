#pragma once
// The usage text of each varnelctl command.

#include <string>
#include <vector>

namespace simcard {

// Help for one command; empty when there is no such command.
std::string CommandHelp(const std::string& command);
// The program's help: usage, options, every command's help, environment and exit status.
std::string OverallHelp();
std::vector<std::string> CommandNames();

} // namespace simcard
