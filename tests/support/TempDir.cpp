#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace testsupport {

TempDir::TempDir(mode_t mode, const std::string& name) {
    std::string pattern = "/tmp/varnel-" + name + "-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return;
    path_ = pattern;
    ::chmod(path_.c_str(), mode);
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}

} // namespace testsupport
