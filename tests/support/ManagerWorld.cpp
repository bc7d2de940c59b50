#include "support/ManagerWorld.h"

#include "support/UiScript.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace testsupport {

void ManagerWorld::SetUp() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("varnel-" + name_ + "-XXXXXX")).string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    automationSocket_ = dir_ + "/ui.sock";
    ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    ::setenv("XDG_STATE_HOME", (dir_ + "/state").c_str(), 1);
    ::setenv("VARNEL_AUTOMATION", automationSocket_.c_str(), 1);
}

void ManagerWorld::TearDown() {
    ::unsetenv("VARNEL_AUTOMATION");
    ::unsetenv("XDG_STATE_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    if (!dir_.empty())
        std::filesystem::remove_all(dir_, ignored);
}

std::string ManagerWorld::Ini() const {
    std::ifstream in(IniPath(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ManagerWorld::Ui(const CardDaemon& daemon, const std::vector<std::string>& words,
                             bool* ok) {
    return testsupport::Ui(daemon.Socket(), words, ok);
}

} // namespace testsupport
