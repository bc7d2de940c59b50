// The settings dialog opened from the hub against a real card daemon, with the real configuration
// process behind every getconfig, reconfigurable and setconfig.

#include "controls/ExtControls.h"
#include "driver/ConfigChannel.h"
#include "forms/FormsFixture.h"
#include "support/CardDaemonSupport.h"
#include "support/Varnelctl.h"
#include "toolkit/TEdit.h"
#include "toolkit/UserInput.h"
#include "windows/ChannelWindowRegistry.h"
#include "windows/DlgCfg.h"
#include "windows/MixControlWnd.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

class SettingsDialogE2eTest : public FormsTest {
protected:
    SettingsDialogE2eTest() : daemon(2) {
        ConfigChannelEnabled = 1;
        ClearWindowRegistry();
        RegisterSettingsDialog(SettingsDialogClassOf(dlgCfg));
    }
    ~SettingsDialogE2eTest() override {
        app.DestroyComponents();
        ClearWindowRegistry();
    }

    TMixControlWnd* CreateHub() {
        TForm* mainForm = nullptr;
        app.CreateForm(mainForm);
        app.CreateForm(MixControlWnd);
        return MixControlWnd;
    }

    // The configuration commands the daemon answered since the last call, in order.
    std::vector<std::string> ConfigCommands() {
        auto out = testsupport::RunVarnelctl(daemon.Socket(), {"trace"}).out;
        testsupport::RunVarnelctl(daemon.Socket(), {"trace", "--clear"});
        std::vector<std::string> words;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            std::istringstream fields(line);
            std::string seq, pid, kind, dev, word;
            fields >> seq >> pid >> kind >> dev >> word;
            if (kind == "config")
                words.push_back(word);
        }
        return words;
    }

    testsupport::CardDaemon daemon;
};

TEST_F(SettingsDialogE2eTest, ApplySendsTheEditsToTheDriverAndABusyCardRefusesThem) {
    ASSERT_TRUE(daemon.Started());
    auto* hub = CreateHub();
    ConfigCommands();
    ASSERT_TRUE(UserInput::Click(hub->chkSettings));
    ASSERT_NE(dlgCfg, nullptr);
    EXPECT_EQ(ConfigCommands(), std::vector<std::string>{"getconfig"});
    EXPECT_EQ(dlgCfg->edDefaultRate1->Text(), "44100") << "filled from the driver's record";
    EXPECT_TRUE(dlgCfg->btnNext->Enabled()) << "two cards";

    ASSERT_TRUE(UserInput::Click(dlgCfg->chkMaster));
    ASSERT_TRUE(UserInput::TypeText(dlgCfg->edDefaultRate1, "96000"));
    ASSERT_TRUE(UserInput::Click(dlgCfg->btnManLatency));
    ASSERT_TRUE(UserInput::Click(dlgCfg->btnApply));
    EXPECT_EQ(ConfigCommands(),
              (std::vector<std::string>{"reconfigurable", "setconfig", "getconfig"}));
    auto facts = daemon.Status();
    EXPECT_EQ(facts["card.0.config.CardIsMaster"], "-1");
    EXPECT_EQ(facts["card.0.config.Clock1DefaultRate"], "96000");
    EXPECT_EQ(facts["card.1.config.CardIsMaster"], "0");
    EXPECT_EQ(facts["card.0.config.LatencyMs"], "60");
    EXPECT_FALSE(dlgCfg->btnApply->Enabled());
    EXPECT_EQ(hub->Config[0].Get(ConfigField::Clock1DefaultRate), 96000);

    // Another program keeps a device open: OK is refused and the dialog stays.
    ASSERT_TRUE(daemon.Ctl({"busy", "0", "analog-out", "on"}));
    ASSERT_TRUE(UserInput::Click(dlgCfg->chkSyncToWc));
    ASSERT_TRUE(UserInput::Click(dlgCfg->btnOk));
    EXPECT_EQ(ConfigCommands(), std::vector<std::string>{"reconfigurable"});
    ASSERT_EQ(boxes->History().size(), 1u);
    EXPECT_EQ(boxes->History()[0].request.caption, "Fehler");
    EXPECT_NE(boxes->History()[0].request.text.find("Beenden Sie erst alle Anwendungen"),
              std::string::npos);
    ASSERT_NE(dlgCfg, nullptr);
    EXPECT_TRUE(dlgCfg->Visible());
    EXPECT_EQ(daemon.Status()["card.0.config.Clock1SyncToWordclock"], "0");

    // Once the device is free, OK applies and the hub's box unticks as the dialog goes.
    ASSERT_TRUE(daemon.Ctl({"busy", "0", "analog-out", "off"}));
    ASSERT_TRUE(UserInput::Click(dlgCfg->btnOk));
    app.ProcessMessages();
    EXPECT_EQ(dlgCfg, nullptr);
    EXPECT_FALSE(hub->chkSettings->Checked());
    EXPECT_EQ(daemon.Status()["card.0.config.Clock1SyncToWordclock"], "-1");
}

} // namespace
