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

} // namespace base
