#include "support/PrivateConfigHome.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace testsupport {

PrivateConfigHome::PrivateConfigHome(const std::string& name) : dir_(0700, name) {
    env_.Set("XDG_CONFIG_HOME", dir_.Path());
    std::filesystem::create_directories(dir_.Path() + "/varnel-pro");
}

std::string PrivateConfigHome::Ini() const {
    std::ifstream in(IniPath(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace testsupport
