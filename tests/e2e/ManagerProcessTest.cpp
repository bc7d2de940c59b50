// varnel-manager run headless against a real card daemon: its stderr lines, its exit code, the
// daemon's trace and the INI file it leaves.

#include "support/ManagerProcess.h"

#include "base/ProgramDirectory.h"
#include "support/CardDaemonSupport.h"
#include "support/PrivateConfigHome.h"
#include "support/Varnelctl.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {

using testsupport::CardDaemon;
using testsupport::ManagerProcess;

const std::string kIconAdd = "notifyicon\tadd\tEinstellungen für Varnel PRO";

class ManagerProcessTest : public ::testing::Test {
protected:
    std::string Ini() const { return configHome_.Ini(); }
    static std::vector<std::string> ConfigLines(const CardDaemon& daemon) {
        return daemon.TraceLines(" config ");
    }

    // Runs the program to its end when the driver does not come up.
    std::vector<std::string> RunUntilEnd(ManagerProcess& manager) {
        EXPECT_TRUE(manager.Started());
        EXPECT_EQ(manager.Wait(), 0);
        return manager.LinesStartingWith("msgbox\t");
    }

private:
    testsupport::PrivateConfigHome configHome_{"manager"};
};

TEST_F(ManagerProcessTest, AReadyDriverShowsTheIconUntilTheThirdOfThreeCardsIsUnplugged) {
    CardDaemon daemon(3);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine(kIconAdd)) << "no icon";
    ASSERT_TRUE(daemon.Ctl({"trace", "--clear"}));

    ASSERT_TRUE(daemon.Ctl({"unplug", "2"}));
    ASSERT_EQ(manager.Wait(), 0);
    EXPECT_TRUE(manager.LinesStartingWith("msgbox").empty());
    ASSERT_EQ(manager.Lines().size(), 2u);
    EXPECT_EQ(manager.Lines()[1], "notifyicon\tdelete");

    const auto config = ConfigLines(daemon);
    ASSERT_EQ(config.size(), 2u);
    EXPECT_NE(config[0].find(" getconfig "), std::string::npos) << config[0];
    EXPECT_NE(config[1].find(" setconfig "), std::string::npos) << config[1];
    EXPECT_NE(config[1].find("RemoveNotice=-1"), std::string::npos) << config[1];
    // The trace shows card 0's RemoveNotice: the notice went into the first record, and no
    // other card's record carries it.
    EXPECT_EQ(daemon.Status()["card.1.config.RemoveNotice"], "0");

    EXPECT_EQ(Ini().find("[Varnel PRO]"), std::string::npos) << "the hub was never shown";
}

TEST_F(ManagerProcessTest, WithGetconfigFailingTheRemovalSendsNoSetconfigAndEndsTheSame) {
    CardDaemon daemon(3);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine(kIconAdd));
    ASSERT_TRUE(daemon.Ctl({"fault", "config", "crash"}));
    ASSERT_TRUE(daemon.Ctl({"trace", "--clear"}));

    ASSERT_TRUE(daemon.Ctl({"unplug", "2"}));
    ASSERT_EQ(manager.Wait(), 0);
    EXPECT_TRUE(manager.LinesStartingWith("msgbox").empty());
    EXPECT_EQ(manager.Lines().back(), "notifyicon\tdelete");
    for (const auto& line : ConfigLines(daemon))
        EXPECT_EQ(line.find("setconfig"), std::string::npos) << line;
    EXPECT_EQ(Ini().find("[Varnel PRO]"), std::string::npos) << "the hub was never shown";
}

TEST_F(ManagerProcessTest, AKernelModuleThatIsNotLoadedEndsTheProgramWithoutAWord) {
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Ctl({"state", "driver", "-17"}));
    ManagerProcess manager;
    EXPECT_TRUE(RunUntilEnd(manager).empty());
    EXPECT_TRUE(manager.Lines().empty());
}

// The configuration process cannot be found: the program ends as a failed getstates ends it,
// and one line says what was missing where.
TEST_F(ManagerProcessTest, AMissingConfigurationProcessIsNamedOnStderr) {
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager(
        {"env", "VARNEL_BIN_DIR=/nonexistent", base::ProgramDirectory() + "/varnel-manager"}, 2);
    EXPECT_EQ(manager.Wait(), 0);
    ASSERT_EQ(manager.Lines().size(), 1u);
    EXPECT_EQ(manager.Lines()[0],
              "varnel-manager: cannot start rundll: no executable /nonexistent/rundll");
}

TEST_F(ManagerProcessTest, AWrongKernelModuleIsTheOnlyMessageEvenWithACardError) {
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Ctl({"state", "driver", "-27"}));
    ASSERT_TRUE(daemon.Ctl({"state", "card", "1", "-21"}));
    ManagerProcess manager;
    const auto boxes = RunUntilEnd(manager);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("msgbox\tVarnel PRO Initialisierungsfehler\t0x10\tDer Varnel PRO "
                             "Treiber konnte nicht initialisiert werden. \\r\\nFalsche Version",
                             0),
              0u)
        << boxes[0];
    EXPECT_TRUE(manager.LinesStartingWith("notifyicon").empty());
}

TEST_F(ManagerProcessTest, ADriverStateEqualToTheFirstCardsIsShownOnceForTheCard) {
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Ctl({"state", "driver", "-25"}));
    ASSERT_TRUE(daemon.Ctl({"state", "card", "1", "-25"}));
    ManagerProcess manager;
    const auto boxes = RunUntilEnd(manager);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Karte #1 konnte nicht initialisiert werden. \\r\\nIRQ"),
              std::string::npos)
        << boxes[0];
    EXPECT_TRUE(manager.LinesStartingWith("notifyicon").empty());
}

TEST_F(ManagerProcessTest, TheCardListEndsAtTheFirstZeroAndTheReadyProgramRunsOn) {
    CardDaemon daemon(2);
    ASSERT_TRUE(daemon.Ctl({"state", "card", "1", "1"}));
    ASSERT_TRUE(daemon.Ctl({"state", "card", "2", "-24"}));
    ASSERT_TRUE(daemon.Ctl({"state", "card", "3", "0"}));
    ASSERT_TRUE(daemon.Ctl({"state", "card", "4", "-30"}));
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine(kIconAdd));
    const auto boxes = manager.LinesStartingWith("msgbox\t");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Karte #2 konnte"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("Recordcounter der Varnel PRO laufen nicht"), std::string::npos);

    ASSERT_TRUE(daemon.Ctl({"unplug", "1"}));
    EXPECT_EQ(manager.Wait(), 0);
    EXPECT_EQ(manager.Lines().back(), "notifyicon\tdelete");
}

} // namespace
