// varnel-manager driven headless through its automation endpoint, only as a script would drive
// it: with `varnelctl ui` (and, for the malformed input, a raw connection).

#include "support/CardDaemonSupport.h"
#include "support/Deadline.h"
#include "support/ManagerProcess.h"
#include "support/ManagerWorld.h"
#include "support/ProcessFacts.h"
#include "support/UiScript.h"
#include "support/Varnelctl.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using testsupport::CardDaemon;
using testsupport::ChildStates;
using testsupport::LineWith;
using testsupport::ManagerProcess;
using testsupport::OpenDescriptors;

const std::string kIconAdd = "notifyicon\tadd\tEinstellungen für Varnel PRO";

class ManagerAutomationTest : public testsupport::ManagerWorld {
protected:
    ManagerAutomationTest() : ManagerWorld("ui") {}

    // Sends raw bytes and reads the answers to `answers` lines, on a connection of its own.
    std::vector<std::string> Raw(const std::string& bytes, int answers) {
        return testsupport::UiBatch(automationSocket_, bytes, answers);
    }
};

TEST_F(ManagerAutomationTest, TheHubOpensByTheIconAndItsBoxesAreTickedAsAUserWould) {
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine(kIconAdd));

    std::string windows = Ui(daemon, {"windows"});
    EXPECT_NE(LineWith(windows, "\"Varnel PRO\"").find(" visible=0 "), std::string::npos)
        << windows;
    bool ok = false;
    EXPECT_EQ(Ui(daemon, {"tray", "dblclick"}, &ok), "ok\n");
    EXPECT_TRUE(ok);
    windows = Ui(daemon, {"windows"});
    const std::string hub = LineWith(windows, "\"Varnel PRO\"");
    EXPECT_NE(hub.find(" TMixControlWnd visible=1 "), std::string::npos) << windows;
    EXPECT_NE(hub.find(" topmost=0 "), std::string::npos) << hub;

    EXPECT_EQ(Ui(daemon, {"set", "Varnel PRO", "chkStayOnTop", "1"}), "ok\n");
    std::string dump = Ui(daemon, {"dump", "Varnel PRO"});
    EXPECT_TRUE(
        LineWith(dump, " chkStayOnTop ").starts_with("    TExtCheckBox chkStayOnTop tag=-1 "))
        << dump;
    EXPECT_NE(LineWith(dump, " chkStayOnTop ").find(" checked=1 "), std::string::npos) << dump;
    EXPECT_NE(LineWith(Ui(daemon, {"windows"}), "\"Varnel PRO\"").find(" topmost=1 "),
              std::string::npos);

    EXPECT_EQ(Ui(daemon, {"click", "Varnel PRO", "chkStayOnTop"}), "ok\n");
    dump = Ui(daemon, {"dump", "Varnel PRO"});
    EXPECT_NE(LineWith(dump, " chkStayOnTop ").find(" checked=0 "), std::string::npos) << dump;
    EXPECT_EQ(Ui(daemon, {"set", "Varnel PRO", "chkStayOnTop", "an"}),
              "error: \"an\" is not 0 or 1\n");
    EXPECT_TRUE(manager.LinesStartingWith("msgbox").empty());
}

// The lines of the daemon's trace that hold `what`.
std::vector<std::string> TracedLines(const CardDaemon& daemon, const std::string& what) {
    const std::string trace = testsupport::RunVarnelctl(daemon.Socket(), {"trace"}).out;
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; start < trace.size(); start = end + 1) {
        end = trace.find('\n', start);
        if (end == std::string::npos)
            end = trace.size();
        std::string line = trace.substr(start, end - start);
        if (line.find(what) != std::string::npos)
            lines.push_back(line);
    }
    return lines;
}

TEST_F(ManagerAutomationTest, ASecondCardsFaderIsDraggedByItsKnobAndMaximisingShowsItsStrip) {
    CardDaemon daemon(2);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine(kIconAdd));
    ASSERT_TRUE(OpenFromHub(daemon, "chkAnalogInputs"));
    ASSERT_EQ(Ui(daemon, {"idle"}), "ok\n");
    EXPECT_TRUE(TracedLines(daemon, " INMSG_SET_GAIN ").empty()) << "opening sends no gain";

    // 152 lies 30 of the groove's 100 pixels up; the pair is linked, so both words follow.
    EXPECT_EQ(Ui(daemon, {"set", "Analog Input", "Slider2", "152"}), "ok\n");
    const std::string dump = Ui(daemon, {"dump", "Analog Input"});
    EXPECT_NE(LineWith(dump, " Slider2 ").find(" position=152"), std::string::npos) << dump;
    EXPECT_NE(LineWith(dump, " Slider3 ").find(" position=152"), std::string::npos) << dump;
    const auto sent = TracedLines(daemon, " INMSG_SET_GAIN ");
    ASSERT_EQ(sent.size(), 1u);
    const auto status = daemon.Status();
    EXPECT_NE(sent[0].find(" dev=" + status.at("card.1.device.analog-in") +
                           " INMSG_SET_GAIN p1=0x98009800 "),
              std::string::npos)
        << sent[0];
    EXPECT_EQ(status.at("card.1.gain"), "38912,38912");
    EXPECT_NE(status.at("card.0.gain"), "38912,38912") << "card 0 untouched";

    // Maximised as a window manager maximises it, by its limits: every strip shown at the
    // screen's corner; restored to the bounds it had.
    const std::string normal = LineWith(Ui(daemon, {"windows"}), "\"Analog Input\"");
    EXPECT_EQ(Ui(daemon, {"state", "Analog Input", "maximized"}), "ok\n");
    const std::string maximised = LineWith(Ui(daemon, {"windows"}), "\"Analog Input\"");
    EXPECT_NE(maximised.find(" x=0 y=0 w=304 h=624 "), std::string::npos) << maximised;
    const std::string box = LineWith(Ui(daemon, {"dump", "Analog Input"}), " ScrollBox ");
    EXPECT_NE(box.find(" w=296 "), std::string::npos) << "room for both strips: " << box;
    EXPECT_EQ(Ui(daemon, {"state", "Analog Input", "normal"}), "ok\n");
    EXPECT_EQ(LineWith(Ui(daemon, {"windows"}), "\"Analog Input\""), normal);
}

TEST_F(ManagerAutomationTest, BadRequestsGetAnErrorAndTheProgramRunsOn) {
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine(kIconAdd));

    bool ok = true;
    EXPECT_EQ(Ui(daemon, {"frobnicate"}, &ok), "error: unknown command \"frobnicate\"\n");
    EXPECT_FALSE(ok);
    EXPECT_EQ(Ui(daemon, {"dump", "Nirgends"}), "error: no window \"Nirgends\"\n");
    EXPECT_EQ(Ui(daemon, {"click", "Varnel PRO", "chkNichts"}),
              "error: no component \"chkNichts\" in \"Varnel PRO\"\n");
    EXPECT_EQ(Ui(daemon, {"set", "Varnel PRO", "chkStayOnTop", "1"}), "error: hidden\n")
        << "the hub is not shown yet";
    // A client that leaves mid-line, then a megabyte on one line.
    EXPECT_TRUE(Raw("tray dblcl", 0).empty());
    EXPECT_EQ(Raw(std::string(1 << 20, 'x') + "\nidle\n", 2),
              (std::vector<std::string>{"error: line too long", "ok"}));

    EXPECT_NE(Ui(daemon, {"windows"}, &ok).find("\"Varnel PRO\" TMixControlWnd visible=0"),
              std::string::npos);
    EXPECT_TRUE(ok) << "still serving, and the hub was never opened";
    EXPECT_FALSE(manager.Wait(std::chrono::milliseconds(0)).has_value()) << "still running";
}

TEST_F(ManagerAutomationTest, ConfigurationProcessesLeaveNothingBehind) {
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine(kIconAdd));
    const std::string hub = "set \"Varnel PRO\" chkSettings ";
    const std::string dialog = "click \"Zq40Pro Einstellungen Karte #1\" ";
    // Each opening runs getconfig; each apply reconfigurable, setconfig and getconfig.
    auto openings = [&](int times) {
        std::string script;
        for (int i = 0; i < times; ++i)
            script += hub + "1\n" + hub + "0\n";
        return script;
    };
    auto applies = [&](int times) {
        std::string script = hub + "1\n";
        for (int i = 0; i < times; ++i)
            script += dialog + "chkMaster\n" + dialog + "btnApply\n";
        return script + hub + "0\n";
    };
    const std::size_t descriptors = OpenDescriptors(manager.Pid());
    ASSERT_TRUE(daemon.Ctl({"trace", "--clear"}));

    // Fifty openings, the last one for the applies.
    ASSERT_EQ(Raw("tray dblclick\n" + openings(49) + applies(50), 201),
              std::vector<std::string>(201, "ok"));
    std::string children;
    EXPECT_TRUE(testsupport::PollUntil(std::chrono::seconds(2),
                                       [&] {
                                           children = ChildStates(manager.Pid());
                                           return children.empty();
                                       }))
        << "children in states " << children;
    // The request connection closes a moment after its last answer.
    std::size_t now = 0;
    EXPECT_TRUE(testsupport::PollUntil(std::chrono::seconds(2),
                                       [&] {
                                           now = OpenDescriptors(manager.Pid());
                                           return now == descriptors;
                                       }))
        << now << " descriptors open, " << descriptors << " before";
    const auto trace = testsupport::RunVarnelctl(daemon.Socket(), {"trace"}).out;
    std::size_t processes = 0;
    for (auto at = trace.find(" config "); at != std::string::npos;
         at = trace.find(" config ", at + 1))
        ++processes;
    EXPECT_EQ(processes, 50u + 3 * 50u);
    EXPECT_TRUE(manager.LinesStartingWith("msgbox").empty());
}

TEST_F(ManagerAutomationTest, TheStartupReportWaitsForItsAnswer) {
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Ctl({"state", "driver", "-27"}));
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine("msgbox\t"));
    EXPECT_FALSE(manager.Wait(std::chrono::milliseconds(200)).has_value())
        << "the box stays open until it is answered";
    const std::string boxes = Ui(daemon, {"msgbox"});
    EXPECT_TRUE(boxes.starts_with("\"Varnel PRO Initialisierungsfehler\" 0x10 \"Der Varnel PRO "
                                  "Treiber konnte nicht initialisiert werden. \\r\\nFalsche"))
        << boxes;
    EXPECT_EQ(Ui(daemon, {"answer", "yes"}), "error: the message box has no yes button\n");
    EXPECT_EQ(Ui(daemon, {"answer", "ok"}), "ok\n");
    EXPECT_EQ(manager.Wait(), 0);
    EXPECT_FALSE(std::filesystem::exists(automationSocket_)) << "the socket goes with the program";
}

} // namespace
