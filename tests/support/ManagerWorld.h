#pragma once
// A private world for the varnel-manager a test starts: a fresh directory that holds its settings
// (XDG_CONFIG_HOME), the state it leaves (XDG_STATE_HOME) and its automation socket
// (VARNEL_AUTOMATION), removed with everything in it when the test ends, the variables put back as
// they were.

#include "support/CardDaemonSupport.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class ManagerWorld : public ::testing::Test {
protected:
    // `name` tells this test's directory apart from the others in the temporary directory.
    explicit ManagerWorld(std::string name) : name_(std::move(name)) {}

    void SetUp() override;
    void TearDown() override;

    // The settings file the manager reads and writes, and its text ("" while there is none).
    std::string IniPath() const { return dir_ + "/varnel-pro/Zq40Promix.ini"; }
    std::string Ini() const;

    // `varnelctl ui <words>` against the manager of this world on `daemon`: its output, and
    // whether it exited 0.
    static std::string Ui(const CardDaemon& daemon, const std::vector<std::string>& words,
                          bool* ok = nullptr);
    // Opens the hub from the tray as a user's double-click does and ticks `box` in it; true when
    // the manager took both.
    static bool OpenFromHub(const CardDaemon& daemon, const std::string& box);

    std::string dir_;
    std::string automationSocket_;

private:
    std::string name_;
    std::optional<TempDir> home_;
    ScopedEnvironment env_;
};

} // namespace testsupport
