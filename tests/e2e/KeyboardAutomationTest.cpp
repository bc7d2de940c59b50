// varnel-manager headless, worked from the keyboard through `varnelctl ui key/type/focus` against
// a real daemon and the real configuration process: what the daemon's trace shows is what the
// keys did.

#include "support/CardDaemonSupport.h"
#include "support/ManagerProcess.h"
#include "support/ManagerWorld.h"
#include "support/UiScript.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using testsupport::CardDaemon;
using testsupport::LineWith;
using testsupport::ManagerProcess;

const std::string kHub = "Varnel PRO";
const std::string kDialog = "Zq40Pro Einstellungen Karte #1";

class KeyboardAutomationTest : public testsupport::ManagerWorld {
protected:
    KeyboardAutomationTest() : ManagerWorld("keys") {}

    // Starts the manager on the daemon and opens the hub from the icon.
    void StartWithHub(CardDaemon& daemon) {
        ASSERT_TRUE(daemon.Started());
        manager_.emplace();
        ASSERT_TRUE(manager_->WaitForLine("notifyicon\tadd\t"));
        ASSERT_EQ(Ui(daemon, {"tray", "dblclick"}), "ok\n");
    }

    // The daemon's trace lines holding `what` since the last clear, and clears it.
    static std::vector<std::string> Traced(CardDaemon& daemon, const std::string& what) {
        auto lines = daemon.TraceLines(what);
        daemon.Ctl({"trace", "--clear"});
        return lines;
    }

    // The p1= word of a trace line.
    static std::string Word(const std::string& line) {
        const auto at = line.find(" p1=");
        return at == std::string::npos ? "" : line.substr(at + 4, line.find(' ', at + 4) - at - 4);
    }

    std::optional<ManagerProcess> manager_;
};

TEST_F(KeyboardAutomationTest, AnInvalidRateTurnsRedKeepsTheFocusAndNeitherApplyNorEscSendsIt) {
    CardDaemon daemon(1);
    StartWithHub(daemon);
    // The hub's "&Einstellungen" box answers Alt+E and opens the dialog.
    ASSERT_EQ(Ui(daemon, {"key", kHub, "Alt+E"}), "ok\n");
    ASSERT_EQ(Ui(daemon, {"idle"}), "ok\n");
    EXPECT_NE(LineWith(Ui(daemon, {"dump", kHub}), " chkSettings ").find(" checked=1"),
              std::string::npos);
    const std::string windows = Ui(daemon, {"windows"});
    EXPECT_NE(LineWith(windows, kDialog).find(" visible=1"), std::string::npos) << windows;
    EXPECT_NE(LineWith(windows, kDialog).find(" active=1"), std::string::npos) << windows;

    ASSERT_EQ(Ui(daemon, {"click", kDialog, "chkMaster"}), "ok\n"); // something to apply
    Traced(daemon, "");
    ASSERT_EQ(Ui(daemon, {"focus", kDialog, "edDefaultRate1"}), "ok\n");
    ASSERT_EQ(Ui(daemon, {"key", kDialog, "End", "BackSpace", "BackSpace", "BackSpace", "BackSpace",
                          "BackSpace"}),
              "ok\n");
    ASSERT_EQ(Ui(daemon, {"type", kDialog, "105001"}), "ok\n");
    ASSERT_EQ(Ui(daemon, {"key", kDialog, "Tab"}), "ok\n");
    std::string rate = LineWith(Ui(daemon, {"dump", kDialog}), " edDefaultRate1 ");
    EXPECT_NE(rate.find(" text=\"105001\""), std::string::npos) << rate;
    EXPECT_NE(rate.find(" color=0x0000FF"), std::string::npos) << rate;
    EXPECT_NE(rate.find(" focused=1"), std::string::npos) << "the check keeps the focus: " << rate;

    // Ctrl+Tab leaves the field as Tab does: the check keeps the focus there.
    ASSERT_EQ(Ui(daemon, {"key", kDialog, "Ctrl+Tab"}), "ok\n");
    rate = LineWith(Ui(daemon, {"dump", kDialog}), " edDefaultRate1 ");
    EXPECT_NE(rate.find(" focused=1"), std::string::npos) << rate;

    ASSERT_EQ(Ui(daemon, {"click", kDialog, "btnApply"}), "ok\n");
    EXPECT_EQ(Traced(daemon, " config "), std::vector<std::string>{}) << "Apply sent nothing";

    // Esc is the Abbruch button: the dialog goes, nothing is applied, the hub's box unticks.
    ASSERT_EQ(Ui(daemon, {"key", kDialog, "Escape"}), "ok\n");
    ASSERT_EQ(Ui(daemon, {"idle"}), "ok\n");
    EXPECT_EQ(LineWith(Ui(daemon, {"windows"}), kDialog).find(" visible=1"), std::string::npos);
    EXPECT_NE(LineWith(Ui(daemon, {"dump", kHub}), " chkSettings ").find(" checked=0"),
              std::string::npos);
    EXPECT_EQ(Traced(daemon, " setconfig "), std::vector<std::string>{});
    EXPECT_EQ(daemon.Status()["card.0.config.Clock1DefaultRate"], "44100");
    EXPECT_TRUE(manager_->LinesStartingWith("msgbox").empty());
}

TEST_F(KeyboardAutomationTest, AFaderMovedByKeysSendsTheGainWordADragToTheSamePlaceSends) {
    CardDaemon daemon(2);
    StartWithHub(daemon);
    ASSERT_EQ(Ui(daemon, {"set", kHub, "chkAnalogInputs", "1"}), "ok\n");
    ASSERT_EQ(Ui(daemon, {"idle"}), "ok\n");
    ASSERT_EQ(Ui(daemon, {"focus", "Analog Input", "Slider2"}), "ok\n");
    ASSERT_EQ(Ui(daemon, {"key", "Analog Input", "End"}), "ok\n");
    Traced(daemon, "");

    // Thirty pixels up from the bottom: three pages.
    ASSERT_EQ(Ui(daemon, {"key", "Analog Input", "Prior", "Prior", "Prior"}), "ok\n");
    const auto byKeys = Traced(daemon, " INMSG_SET_GAIN ");
    ASSERT_EQ(byKeys.size(), 3u);
    const std::string dump = Ui(daemon, {"dump", "Analog Input"});
    const std::string slider = LineWith(dump, " Slider2 ");
    EXPECT_NE(slider.find(" focused=1"), std::string::npos) << slider;
    EXPECT_NE(slider.find(" position=152"), std::string::npos) << slider;

    ASSERT_EQ(Ui(daemon, {"key", "Analog Input", "End"}), "ok\n");
    Traced(daemon, "");
    ASSERT_EQ(Ui(daemon, {"set", "Analog Input", "Slider2", "152"}), "ok\n");
    const auto byDrag = Traced(daemon, " INMSG_SET_GAIN ");
    ASSERT_EQ(byDrag.size(), 1u);
    EXPECT_EQ(Word(byKeys.back()), Word(byDrag[0]));
    EXPECT_EQ(Word(byDrag[0]), "0x98009800");
}

} // namespace
