// How long a real varnel-cardd lives: an idle exit that keeps the cards' state for the next
// daemon, and the end of a daemon whose socket path has been taken from it.
#include "sim/protocol/CardClient.h"
#include "support/DaemonProcess.h"
#include "support/RawSocket.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/Varnelctl.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace simcard {
namespace {

using namespace std::chrono_literals;
using testsupport::DaemonProcess;
using testsupport::Fact;
using testsupport::RunVarnelctl;

// A private state directory for the daemons of one test.
class DaemonLifetimeTest : public ::testing::Test {
protected:
    void SetUp() override { env_.Set("XDG_STATE_HOME", home_.Path()); }

    testsupport::TempDir home_{0700, "state-test"};
    testsupport::ScopedEnvironment env_;
    const std::string stateFile_ = home_.Path() + "/varnel-pro/cards.state";
};

TEST_F(DaemonLifetimeTest, AnIdleDaemonEndsAndTheNextOneFindsTheCardsAsTheyWere) {
    DaemonProcess first({"--cards", "2", "--exit-idle", "1"});
    ASSERT_TRUE(first.Started());
    for (std::vector<std::string> change :
         {std::vector<std::string>{"gain", "1", "0x8000", "0x9100"},
          {"monitor", "0", "analog", "0", "2", "1", "0"},
          {"route", "1", "digital", "3", "0", "0", "0"},
          {"format", "0", "0x15"},
          {"dinput", "1", "optical"},
          {"rate", "0", "cd", "32000"}})
        ASSERT_EQ(RunVarnelctl(first.Socket(), change).status, 0) << change[0];
    const std::string before = RunVarnelctl(first.Socket(), {"status"}).out;
    // No client left: the daemon ends on its own, cleans up its socket and leaves the state.
    const auto ended = first.WaitForExit(5s);
    ASSERT_TRUE(ended.has_value()) << "still running";
    EXPECT_EQ(*ended, 0);
    EXPECT_NE(access(first.Socket().c_str(), F_OK), 0);
    struct stat dir {};
    ASSERT_EQ(stat((home_.Path() + "/varnel-pro").c_str(), &dir), 0);
    EXPECT_EQ(dir.st_mode & 0777, 0700u);
    EXPECT_EQ(std::filesystem::directory_iterator(home_.Path() + "/varnel-pro")->path(), stateFile_)
        << "no temporary file is left beside it";

    ASSERT_TRUE(first.Restart());
    const std::string after = RunVarnelctl(first.Socket(), {"status"}).out;
    for (const char* key :
         {"card.1.gain", "card.0.monitor.analog", "card.1.route.digital", "card.0.format",
          "card.1.dinput", "card.1.monitor.digital", "card.0.rate.cd", "card.1.config.raw"})
        EXPECT_EQ(Fact(after, key), Fact(before, key)) << key;
    EXPECT_EQ(Fact(after, "card.0.format"), "0x0015");
    EXPECT_EQ(first.ErrorOutput(), "");
}

// Every other end of a daemon that keeps the cards' state is as its idle exit: state written,
// socket removed. `varnelctl shutdown` returns once that is done, and is refused while a program
// listens for removals, unless forced.
TEST_F(DaemonLifetimeTest, SignalsAndShutdownEndItAsItsIdleExitDoes) {
    std::uint16_t gain = 0x8000;
    for (int signal : {SIGHUP, SIGINT, SIGTERM, 0}) {
        DaemonProcess daemon({"--cards", "1", "--exit-idle", "600"});
        ASSERT_TRUE(daemon.Started());
        const std::string word = std::to_string(++gain);
        ASSERT_EQ(RunVarnelctl(daemon.Socket(), {"gain", "0", word, word}).status, 0);
        if (signal != 0) {
            EXPECT_EQ(daemon.Stop(signal), 0) << strsignal(signal);
        } else {
            CardClient manager;
            std::string error;
            ASSERT_TRUE(manager.Connect(daemon.Socket(), &error)) << error;
            manager.SetDeviceChangeHandler([](const DeviceChangeEvent&) {});
            const auto refused = RunVarnelctl(daemon.Socket(), {"shutdown"});
            EXPECT_EQ(refused.status, 1);
            EXPECT_NE(refused.err.find("a manager is still connected (pid " +
                                       std::to_string(getpid()) + ")"),
                      std::string::npos)
                << refused.err;
            ASSERT_EQ(RunVarnelctl(daemon.Socket(), {"status"}).status, 0) << "ended all the same";
            EXPECT_EQ(RunVarnelctl(daemon.Socket(), {"shutdown", "--force"}).status, 0);
        }
        EXPECT_NE(access(daemon.Socket().c_str(), F_OK), 0) << strsignal(signal);
        std::ifstream state(stateFile_);
        std::stringstream text;
        text << state.rdbuf();
        EXPECT_NE(text.str().find("\ncard.0.gain=" + word + "," + word + "\n"), std::string::npos)
            << strsignal(signal);
        if (signal == 0) {
            EXPECT_EQ(daemon.WaitForExit(5s), 0);
        }
    }
}

TEST_F(DaemonLifetimeTest, ADamagedStateGivesTheDefaultsAndOneLine) {
    std::filesystem::create_directories(home_.Path() + "/varnel-pro");
    std::ofstream(stateFile_)
        << "varnel-cardd-state=1\ncard.0.gain=4096,4096\ncard.0.gain=70000,1\n";
    DaemonProcess daemon({"--cards", "1", "--exit-idle", "1"});
    ASSERT_TRUE(daemon.Started());
    EXPECT_EQ(Fact(RunVarnelctl(daemon.Socket(), {"status"}).out, "card.0.gain"), "47872,47872")
        << "nothing of a damaged file is taken";
    const std::string err = daemon.ErrorOutput();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("line 3"), std::string::npos) << err;
}

TEST_F(DaemonLifetimeTest, ADaemonStartedByHandStaysAndKeepsNoState) {
    DaemonProcess daemon({"--cards", "1"});
    ASSERT_TRUE(daemon.Started());
    ASSERT_EQ(RunVarnelctl(daemon.Socket(), {"status"}).status, 0);
    EXPECT_FALSE(daemon.WaitForExit(1500ms).has_value()) << "ended without clients";
    EXPECT_EQ(daemon.Stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(stateFile_));
}

TEST_F(DaemonLifetimeTest, ADaemonWhoseSocketIsReplacedEndsAndLeavesTheNewOneAlone) {
    DaemonProcess first({"--cards", "1"});
    ASSERT_TRUE(first.Started());
    const auto taken = std::chrono::steady_clock::now();
    ASSERT_EQ(unlink(first.Socket().c_str()), 0);
    const int other = testsupport::RawBind(first.Socket());
    ASSERT_GE(other, 0);
    const auto ended = first.WaitForExit(5s);
    ASSERT_TRUE(ended.has_value()) << "still running";
    EXPECT_EQ(*ended, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - taken, 3s);
    EXPECT_EQ(access(first.Socket().c_str(), F_OK), 0) << "the other socket was removed";
    close(other);
}

} // namespace
} // namespace simcard
