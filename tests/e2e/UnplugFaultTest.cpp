// A card unplugged under a busy varnel-manager: four cards, every channel window that can be open
// at once, and a message box waiting for its answer.

#include "support/CardDaemonSupport.h"
#include "support/Deadline.h"
#include "support/ManagerProcess.h"
#include "support/ManagerWorld.h"
#include "support/UiScript.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace std::chrono_literals;

const std::string kHub = "Varnel PRO";

// The lines of `[section]` of an INI text, without the header ("" when there is none).
std::string Section(const std::string& ini, const std::string& section) {
    const std::size_t at = ini.find("[" + section + "]\n");
    if (at == std::string::npos)
        return {};
    const std::size_t start = ini.find('\n', at) + 1;
    const std::size_t end = ini.find("\n[", start);
    return ini.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// "Left=…\nTop=…" and so on as a window's line of `ui windows` places it.
std::vector<std::string> PlacementOf(const std::string& windows, const std::string& title) {
    std::istringstream words(testsupport::LineWith(windows, "\"" + title + "\""));
    std::vector<std::string> placement;
    for (std::string word; words >> word;) {
        for (const auto& [key, name] : {std::pair{"x=", "Left="}, std::pair{"y=", "Top="},
                                        std::pair{"w=", "Width="}, std::pair{"h=", "Height="}})
            if (word.starts_with(key))
                placement.push_back(name + word.substr(2));
    }
    return placement;
}

class UnplugFaultTest : public testsupport::ManagerWorld {
protected:
    UnplugFaultTest() : ManagerWorld("unplug") {}
};

TEST_F(UnplugFaultTest, UnplugWithEveryWindowAndAMessageBoxOpenEndsCleanlyAndSavesThem) {
    testsupport::CardDaemon daemon(4);
    ASSERT_TRUE(daemon.Started());
    testsupport::ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine("notifyicon\tadd\t"));
    ASSERT_EQ(Ui(daemon, {"tray", "dblclick"}), "ok\n");
    const std::vector<std::string> windows{"Analog Input", "Analog Output", "ADAT Inputs",
                                           "ADAT Outputs"};
    for (const char* box :
         {"chkAnalogInputs", "chkAnalogOutputs", "chkAdatInputs", "chkAdatOutputs"})
        ASSERT_EQ(Ui(daemon, {"set", kHub, box, "1"}), "ok\n");
    ASSERT_EQ(Ui(daemon, {"idle"}), "ok\n");
    const std::string shown = Ui(daemon, {"windows"});
    for (const auto& title : windows)
        ASSERT_NE(testsupport::LineWith(shown, "\"" + title + "\"").find(" visible=1 "),
                  std::string::npos)
            << shown;
    // ADAT monitoring needs the playback device another application holds: refused, with a box
    // that stays open until it is answered.
    ASSERT_TRUE(daemon.Ctl({"busy", "0", "analog-out", "on"}));
    ASSERT_EQ(Ui(daemon, {"click", "Analog Output", "btnAdatInp"}), "ok\n");
    ASSERT_TRUE(manager.WaitForLine("msgbox\t"));
    // While the box waits, no window takes input: the window under it cannot be freed.
    EXPECT_EQ(Ui(daemon, {"set", kHub, "chkAnalogOutputs", "0"}), "error: disabled\n");
    EXPECT_EQ(Ui(daemon, {"close", "Analog Output"}), "error: disabled\n");
    EXPECT_TRUE(testsupport::Carries(
        testsupport::LineWith(Ui(daemon, {"windows"}), "\"" + kHub + "\""), "enabled=0"));

    ASSERT_TRUE(daemon.Ctl({"unplug", "3"}));
    // The removal closes the hub and every window; a box the user has not answered yet may
    // still wait for its click, after which nothing is left to do but end.
    std::optional<int> status;
    ASSERT_TRUE(testsupport::PollUntil(10s, [&] {
        status = manager.Wait(0ms);
        return status || testsupport::LineWith(Ui(daemon, {"windows"}), "\"" + kHub + "\"").empty();
    })) << "the hub outlived the removal";
    if (!status && Ui(daemon, {"msgbox"}) != "ok\n")
        Ui(daemon, {"answer", "ok"});
    if (!status)
        status = manager.Wait();
    EXPECT_EQ(status, 0);
    ASSERT_FALSE(manager.Lines().empty());
    EXPECT_EQ(manager.Lines().back(), "notifyicon\tdelete");
    // Every handle was let go of while the departing card was still there.
    for (const std::string what : {" close ", "_METER_OFF "})
        for (const auto& line : daemon.TraceLines(what))
            EXPECT_TRUE(line.ends_with(" result=0")) << line;

    const std::string ini = Ini();
    const std::string hub = Section(ini, kHub);
    for (const char* ticked :
         {"chkAnalogInputs=1", "chkAnalogOutputs=1", "chkAdatInputs=1", "chkAdatOutputs=1"})
        EXPECT_NE(hub.find(ticked), std::string::npos) << ini;
    for (const auto& title : windows) {
        const std::string section = Section(ini, title);
        EXPECT_NE(section.find("pnChecks=1"), std::string::npos) << title << "\n" << ini;
        for (const auto& placement : PlacementOf(shown, title))
            EXPECT_NE(section.find(placement + "\n"), std::string::npos)
                << title << " " << placement << "\n"
                << ini;
    }
}

} // namespace
