#pragma once
// Where the system's programs are started from: the manager starts the configuration process from
// there, and both start the card daemon from there.

#include <string>

namespace base {

// The environment variable naming that directory; by default it is the directory of the running
// executable.
constexpr const char* kBinDirEnvironment = "VARNEL_BIN_DIR";
std::string ProgramDirectory();

} // namespace base
