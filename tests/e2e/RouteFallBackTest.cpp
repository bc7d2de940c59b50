// The analog output window's route poll under the real manager when the driver refuses the route
// it follows: with the routing section hidden no button can take the focus, and the user sees
// only the driver's German refusal while the other card still follows its route; a saved setup
// loaded later is followed the same way.

#include "support/CardDaemonSupport.h"
#include "support/Deadline.h"
#include "support/ManagerProcess.h"
#include "support/ManagerWorld.h"
#include "support/UiScript.h"

#include <csignal>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

class RouteFallBackTest : public testsupport::ManagerWorld {
protected:
    RouteFallBackTest() : ManagerWorld("route-fallback") {}
};

// The checked route button's tag in each card's strip, in strip order.
std::vector<std::string> CheckedRoutes(const std::string& dump) {
    std::vector<std::string> tags;
    std::size_t at = 0;
    while ((at = dump.find("TExtRadioButton ", at)) != std::string::npos) {
        const std::string line = testsupport::LineWith(dump.substr(at), "TExtRadioButton ");
        if (testsupport::Carries(line, "checked=1"))
            tags.push_back(line.substr(line.find("tag="),
                                       line.find(' ', line.find("tag=")) - line.find("tag=")));
        at += line.size();
    }
    return tags;
}

TEST_F(RouteFallBackTest, ARefusedRouteWithTheSectionHiddenShowsOnlyTheRefusal) {
    testsupport::CardDaemon daemon(2);
    ASSERT_TRUE(daemon.Started());
    testsupport::ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine("notifyicon\tadd\t"));
    ASSERT_TRUE(OpenFromHub(daemon, "chkAnalogOutputs"));
    ASSERT_EQ(Ui(daemon, {"click", "Analog Output", "chkPlaybackSel"}), "ok\n");
    ASSERT_EQ(Ui(daemon, {"click", "Analog Output", "btnProgram"}), "error: hidden\n");
    const std::string setup = daemon.Process().Directory() + "/cards.setup";
    ASSERT_TRUE(daemon.Ctl({"setup", "save", setup}));

    // Another program routes both cards and then holds card 0's device, all between two polls:
    // the manager is stopped meanwhile, so its next poll finds both at once.
    ASSERT_EQ(kill(manager.Pid(), SIGSTOP), 0);
    const bool changed = daemon.Ctl({"route", "0", "analog", "4", "0", "1", "0"}) &&
                         daemon.Ctl({"route", "1", "analog", "2", "0", "1", "0"}) &&
                         daemon.Ctl({"busy", "0", "analog-out", "on"});
    ASSERT_EQ(kill(manager.Pid(), SIGCONT), 0);
    ASSERT_TRUE(changed);
    std::string boxes;
    ASSERT_TRUE(testsupport::PollUntil(5s, [&] {
        boxes = Ui(daemon, {"msgbox"});
        return boxes != "ok\n";
    }));
    EXPECT_EQ(boxes.find("Cannot"), std::string::npos) << boxes;
    ASSERT_EQ(boxes.rfind("\"Varnel PRO Fehler\" 0x10 ", 0), 0u) << boxes;
    EXPECT_EQ(boxes.find('\n'), boxes.rfind("\nok\n")) << "one box: " << boxes;
    ASSERT_EQ(Ui(daemon, {"answer", "ok"}), "ok\n");

    // Card 1 followed in the same poll; card 0 is back on the application's playback.
    EXPECT_TRUE(testsupport::PollUntil(3s, [&] {
        return CheckedRoutes(Ui(daemon, {"dump", "Analog Output"})) ==
               std::vector<std::string>{"tag=0", "tag=2"};
    })) << Ui(daemon, {"dump", "Analog Output"});
    EXPECT_EQ(Ui(daemon, {"msgbox"}), "ok\n") << "no second box for the fall-back";

    // The saved setup, loaded as another program changes the driver: the window follows in its
    // poll, as it follows any other program.
    ASSERT_TRUE(daemon.Ctl({"setup", "load", setup}));
    EXPECT_TRUE(testsupport::PollUntil(3s, [&] {
        return CheckedRoutes(Ui(daemon, {"dump", "Analog Output"})) ==
               std::vector<std::string>{"tag=0", "tag=0"};
    })) << Ui(daemon, {"dump", "Analog Output"});
}

} // namespace
