#pragma once
// Where the system's programs are started from: the manager starts the configuration process from
// there, and both start the card daemon from there.

#include <string>

namespace base {

// The environment variable naming that directory; by default it is the directory of the running
// executable.
constexpr const char* kBinDirEnvironment = "VARNEL_BIN_DIR";
std::string ProgramDirectory();

// The helper program `name` (rundll, varnel-cardd): in $VARNEL_BIN_DIR when that is set, else
// beside the running executable (the build tree, and the helpers among themselves), else in the
// installed helper directory relative to it (bin/../libexec/varnel-pro). The second form looks
// from `programDirectory` and ignores the environment. When neither place holds an executable,
// the path beside the executable, so that an error names it.
std::string HelperProgramPath(const std::string& name);
std::string HelperProgramPath(const std::string& name, const std::string& programDirectory);

} // namespace base

namespace base {

// The system's state directory: $XDG_STATE_HOME/varnel-pro (an absolute XDG_STATE_HOME only),
// else ~/.local/state/varnel-pro.
std::string StateDirectory();

} // namespace base
