#include "support/ManagerWorld.h"

#include "support/UiScript.h"

#include <fstream>
#include <sstream>

namespace testsupport {

void ManagerWorld::SetUp() {
    home_.emplace(0700, name_);
    ASSERT_FALSE(home_->Path().empty());
    dir_ = home_->Path();
    automationSocket_ = dir_ + "/ui.sock";
    env_.Set("XDG_CONFIG_HOME", dir_);
    env_.Set("XDG_STATE_HOME", dir_ + "/state");
    env_.Set("VARNEL_AUTOMATION", automationSocket_);
}

void ManagerWorld::TearDown() {
    home_.reset();
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

bool ManagerWorld::OpenFromHub(const CardDaemon& daemon, const std::string& box) {
    return Ui(daemon, {"tray", "dblclick"}) == "ok\n" &&
           Ui(daemon, {"set", "Varnel PRO", box, "1"}) == "ok\n";
}

} // namespace testsupport
