#include "base/ProgramDirectory.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace base {

std::string ProgramDirectory() {
    if (const char* dir = std::getenv(kBinDirEnvironment); dir && *dir)
        return dir;
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string exe(path, static_cast<std::size_t>(n));
    auto slash = exe.rfind('/');
    return slash == std::string::npos ? "." : exe.substr(0, slash);
}

std::string HelperProgramPath(const std::string& name) {
    if (const char* dir = std::getenv(kBinDirEnvironment); dir && *dir)
        return std::string(dir) + "/" + name;
    return HelperProgramPath(name, ProgramDirectory());
}

std::string HelperProgramPath(const std::string& name, const std::string& programDirectory) {
    std::string beside = programDirectory + "/" + name;
    if (access(beside.c_str(), X_OK) == 0)
        return beside;
    std::string installed = programDirectory + "/" VARNEL_HELPER_DIR_FROM_BIN "/" + name;
    return access(installed.c_str(), X_OK) == 0 ? installed : beside;
}

} // namespace base

namespace base {

std::string StateDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/')
        return std::string(state) + "/varnel-pro";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "") + "/.local/state/varnel-pro";
}

} // namespace base
