// How varnel-manager ends, run headless with its automation endpoint against a real daemon: a
// card removal that arrives while a message box is open or while the hub reopens its windows, the
// end of the desktop session by a signal, and the saved view of a window that never opened.

#include "support/CardDaemonSupport.h"
#include "support/ManagerProcess.h"
#include "support/ManagerWorld.h"
#include "support/UiScript.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {

using testsupport::CardDaemon;
using testsupport::ManagerProcess;

const std::string kIconAdd = "notifyicon\tadd\tEinstellungen für Varnel PRO";
const std::string kIconDelete = "notifyicon\tdelete";
const std::string kDialog = "Zq40Pro Einstellungen Karte #1";
const std::string kSavedAnalogInput = "[Analog Input]\nchkGainSlider=0\nchkRouting=0\nHeight=323\n";

class ManagerEndTest : public testsupport::ManagerWorld {
protected:
    ManagerEndTest() : ManagerWorld("end") {}
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ManagerWorld::SetUp());
        std::filesystem::create_directories(dir_ + "/varnel-pro");
    }

    void WriteIni(const std::string& text) const {
        std::ofstream(IniPath(), std::ios::binary) << text;
    }
    // A section's text from its header to the next one, as the file holds it.
    std::string Section(const std::string& name) const {
        const std::string ini = Ini();
        const std::size_t at = ini.find("[" + name + "]");
        if (at == std::string::npos)
            return {};
        const std::size_t next = ini.find("\n[", at);
        std::string section = ini.substr(at, next == std::string::npos ? next : next + 1 - at);
        // The blank line the file keeps before the next section is not part of this one.
        while (section.ends_with("\n\n"))
            section.pop_back();
        return section;
    }

    // The manager has ended as a removal ends it: exit code 0, the icon deleted, the last
    // configuration command the one that told the driver, and after it only the teardown's
    // meter-off and closing of handles.
    void ExpectRemovalEnd(ManagerProcess& manager, const CardDaemon& daemon) {
        EXPECT_EQ(manager.Wait(), 0);
        EXPECT_EQ(manager.LinesStartingWith(kIconDelete).size(), 1u);
        const auto trace = daemon.TraceLines("");
        auto notice = std::find_if(trace.rbegin(), trace.rend(), [](const std::string& line) {
            return line.find(" setconfig ") != std::string::npos;
        });
        ASSERT_NE(notice, trace.rend());
        EXPECT_NE(notice->find("RemoveNotice=-1"), std::string::npos) << *notice;
        // ... let go of before the removal was granted, while the card still answered.
        for (auto later = notice.base(); later != trace.end(); ++later)
            EXPECT_TRUE((later->find(" close ") != std::string::npos ||
                         later->find("_METER_OFF ") != std::string::npos) &&
                        later->ends_with(" result=0"))
                << *later;
    }

    // Opens the hub and the settings dialog.
    void OpenSettings(const CardDaemon& daemon) {
        ASSERT_EQ(Ui(daemon, {"tray", "dblclick"}), "ok\n");
        ASSERT_EQ(Ui(daemon, {"click", "Varnel PRO", "chkSettings"}), "ok\n");
    }
};

TEST_F(ManagerEndTest, ARemovalDuringTheBoxesOfAnApplyEndsWithoutUndoingTheNotice) {
    for (const std::string box : {"Varnel PRO Info", "Fehler"}) {
        SCOPED_TRACE(box);
        CardDaemon daemon(1);
        ASSERT_TRUE(daemon.Started());
        ManagerProcess manager;
        ASSERT_TRUE(manager.WaitForLine(kIconAdd));
        OpenSettings(daemon);
        if (box == "Fehler") {
            ASSERT_TRUE(daemon.Ctl({"busy", "0", "analog-out", "on"}));
            ASSERT_EQ(Ui(daemon, {"click", kDialog, "chkMaster"}), "ok\n");
        } else {
            // Changing the devices offered to DirectSound asks for a restart first.
            ASSERT_EQ(Ui(daemon, {"click", kDialog, "chkRestrictedDev"}), "ok\n");
        }
        ASSERT_EQ(Ui(daemon, {"click", kDialog, "btnApply"}), "ok\n");
        ASSERT_TRUE(manager.WaitForLine("msgbox\t" + box + "\t"));
        // Neither the dialog nor the hub takes input under the box: no edit the user abandoned
        // with the dialog can be applied.
        EXPECT_EQ(Ui(daemon, {"set", "Varnel PRO", "chkSettings", "0"}), "error: disabled\n");
        EXPECT_EQ(Ui(daemon, {"close", kDialog}), "error: disabled\n");

        ASSERT_TRUE(daemon.Ctl({"unplug", "0"}));
        ExpectRemovalEnd(manager, daemon);
        EXPECT_TRUE(daemon.TraceLines(" reconfigurable ").size() == (box == "Fehler" ? 1u : 0u))
            << "the apply stops at its box";
    }
}

// With more than one card the removal is handled while the window's further strips are copied,
// before the window is shown: the output window is not shown, and its routes are neither read nor
// sent.
TEST_F(ManagerEndTest, ARemovalWhileTheHubReopensItsWindowsLeavesTheirSavedStateAlone) {
    const std::string hub = "[Varnel PRO]\nchkAnalogInputs=1\nchkAnalogOutputs=1\nchkStayOnTop=1\n"
                            "Top=40\nLeft=50\nWidth=176\nHeight=200\nHints=1\n";
    for (const auto& [cards, device] : {std::pair{1, "analog-in"}, std::pair{2, "analog-out"}}) {
        SCOPED_TRACE(device);
        WriteIni(hub + kSavedAnalogInput);
        CardDaemon daemon(cards);
        ASSERT_TRUE(daemon.Started());
        ManagerProcess manager;
        ASSERT_TRUE(manager.WaitForLine(kIconAdd));

        ASSERT_TRUE(daemon.Ctl({"unplug", "0", "--on-open", device}));
        // The program may end before it answers the request.
        Ui(daemon, {"tray", "dblclick"});
        ExpectRemovalEnd(manager, daemon);
        EXPECT_EQ(Section("Varnel PRO"), hub) << "the hub's restore was cut short";
    }
}

// The hub's saved set is what the user left when closing it: an end while it is hidden, by the
// session's end or by the card's removal, leaves its section as it was, and the next start brings
// the user's windows back. `idle` answers only once they are all back.
TEST_F(ManagerEndTest, AnEndWhileTheHubIsHiddenLeavesItsSavedSetAlone) {
    const std::vector<std::string> windows{"Analog Input", "ADAT Inputs", "Analog Output"};
    for (const std::string end : {"SIGTERM", "unplug"}) {
        SCOPED_TRACE(end);
        std::filesystem::remove(IniPath());
        const auto run = [&](const std::function<void(const CardDaemon&)>& script) {
            CardDaemon daemon(1);
            ASSERT_TRUE(daemon.Started());
            ManagerProcess manager;
            ASSERT_TRUE(manager.WaitForLine(kIconAdd));
            script(daemon);
            if (end == "SIGTERM")
                ASSERT_TRUE(manager.Signal(SIGTERM));
            else
                ASSERT_TRUE(daemon.Ctl({"unplug", "0"}));
            EXPECT_EQ(manager.Wait(), 0);
        };
        run([&](const CardDaemon& daemon) {
            ASSERT_EQ(Ui(daemon, {"tray", "dblclick"}), "ok\n");
            for (const char* box :
                 {"chkAnalogInputs", "chkAdatInputs", "chkAnalogOutputs", "chkStayOnTop"})
                ASSERT_EQ(Ui(daemon, {"set", "Varnel PRO", box, "1"}), "ok\n");
            ASSERT_EQ(Ui(daemon, {"move", "Varnel PRO", "300", "200"}), "ok\n");
            ASSERT_EQ(Ui(daemon, {"close", "Varnel PRO"}), "ok\n");
        });
        const std::string saved = Section("Varnel PRO");
        ASSERT_NE(saved.find("chkAdatInputs=1"), std::string::npos) << saved;

        run([](const CardDaemon&) {});
        EXPECT_EQ(Section("Varnel PRO"), saved) << "a hub never shown saved over the user's set";

        run([&](const CardDaemon& daemon) {
            EXPECT_EQ(testsupport::UiBatch(automationSocket_,
                                           "tray dblclick\nidle\ndump \"Analog Output\"\n", 3),
                      (std::vector<std::string>{"ok", "ok", "ok"}))
                << "idle answered before the hub had reopened its windows";
            const std::string shown = Ui(daemon, {"windows"});
            const std::string hub = testsupport::LineWith(shown, "\"Varnel PRO\"");
            for (const char* fact : {"visible=1", "topmost=1", "x=300", "y=200"})
                EXPECT_TRUE(testsupport::Carries(hub, fact)) << fact << "\n" << shown;
            for (const auto& title : windows) {
                const std::string line = testsupport::LineWith(shown, "\"" + title + "\"");
                EXPECT_TRUE(testsupport::Carries(line, "visible=1")) << title << "\n" << shown;
                EXPECT_TRUE(testsupport::Carries(line, "topmost=1")) << title << "\n" << shown;
            }
        });
    }
}

TEST_F(ManagerEndTest, TheEndOfTheSessionSavesTheWindowsAndSwitchesTheMetersOff) {
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine(kIconAdd));
    ASSERT_EQ(Ui(daemon, {"tray", "dblclick"}), "ok\n");
    ASSERT_EQ(Ui(daemon, {"click", "Varnel PRO", "chkAnalogInputs"}), "ok\n");
    ASSERT_EQ(Ui(daemon, {"click", "Varnel PRO", "chkAnalogOutputs"}), "ok\n");
    ASSERT_EQ(Ui(daemon, {"click", "Analog Input", "chkRouting"}), "ok\n");

    ASSERT_TRUE(manager.Signal(SIGTERM));
    EXPECT_EQ(manager.Wait(), 0);
    EXPECT_EQ(manager.Lines().back(), kIconDelete);
    EXPECT_TRUE(daemon.TraceLines(" setconfig ").empty()) << "no card goes away";
    EXPECT_FALSE(daemon.TraceLines("INMSG_METER_OFF").empty());
    EXPECT_FALSE(daemon.TraceLines("OUTMSG_METER_OFF").empty());
    std::size_t opened = 0;
    for (const auto& line : daemon.TraceLines(" open "))
        opened += line.ends_with(" result=0");
    EXPECT_EQ(daemon.TraceLines(" close ").size(), opened) << "every handle closed";

    EXPECT_NE(Section("Varnel PRO").find("chkAnalogInputs=1"), std::string::npos) << Ini();
    EXPECT_NE(Section("Varnel PRO").find("chkAnalogOutputs=1"), std::string::npos) << Ini();
    EXPECT_NE(Section("Analog Input").find("chkRouting=0"), std::string::npos) << Ini();
    EXPECT_NE(Section("Analog Output").find("chkPeakMeter=1"), std::string::npos) << Ini();
}

TEST_F(ManagerEndTest, AWindowThatFailsToOpenLeavesItsSavedViewAsItWas) {
    WriteIni(kSavedAnalogInput);
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine(kIconAdd));
    ASSERT_TRUE(daemon.Ctl({"fault", "open", "0", "analog-in", "on"}));
    ASSERT_EQ(Ui(daemon, {"tray", "dblclick"}), "ok\n");
    ASSERT_EQ(Ui(daemon, {"click", "Varnel PRO", "chkAnalogInputs"}), "ok\n");
    EXPECT_TRUE(testsupport::Carries(
        testsupport::LineWith(Ui(daemon, {"dump", "Varnel PRO"}), " chkAnalogInputs "),
        "checked=0"))
        << "the box is unticked again";

    ASSERT_TRUE(daemon.Ctl({"unplug", "0"}));
    EXPECT_EQ(manager.Wait(), 0);
    EXPECT_EQ(Section("Analog Input"), kSavedAnalogInput);
}

} // namespace
