// The configuration process failing under the settings dialog of a running varnel-manager: hung,
// crashed or slow, set on the simulated card. The time limit is the program's own, in real time,
// so these runs wait for it with a deadline.

#include "driver/ConfigChannel.h"
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
#include <memory>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testsupport::CardDaemon;
using testsupport::ManagerProcess;

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator keeps freed memory in quarantine, so the resident set says nothing
// about leaks there; the leak checker at the program's end does.
constexpr bool kResidentSetMeasurable = false;
#else
constexpr bool kResidentSetMeasurable = true;
#endif

const std::string kHub = "Varnel PRO";
const std::string kDialog = "Zq40Pro Einstellungen Karte #1";
const std::string kRefusedBox =
    "\"Fehler\" 0x10 \"Die Einstellungen des Varnel PRO Treibers können derzeit nicht geändert "
    "werden.\\r\\nBeenden Sie erst alle Anwendungen, welche die Varnel PRO verwenden.\"\nok\n";

class ConfigFaultTest : public testsupport::ManagerWorld {
protected:
    ConfigFaultTest() : ManagerWorld("faults") {}
    // A manager on one card with its hub and settings dialog open.
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ManagerWorld::SetUp());
        daemon_ = std::make_unique<CardDaemon>(1);
        ASSERT_TRUE(daemon_->Started());
        manager_ = std::make_unique<ManagerProcess>();
        ASSERT_TRUE(manager_->WaitForLine("notifyicon\tadd\t"));
        ASSERT_EQ(Ui({"tray", "dblclick"}), "ok\n");
        ASSERT_EQ(Ui({"set", kHub, "chkSettings", "1"}), "ok\n");
    }
    void TearDown() override {
        manager_.reset();
        daemon_.reset();
        ManagerWorld::TearDown();
    }

    std::string Ui(const std::vector<std::string>& words) {
        return ManagerWorld::Ui(*daemon_, words);
    }
    std::string Trace() { return testsupport::RunVarnelctl(daemon_->Socket(), {"trace"}).out; }

    // Edits the settings and clicks Apply; how long the program took to answer the click or to
    // put up a box (the click is answered as the box's loop begins).
    Clock::duration Apply() {
        EXPECT_EQ(Ui({"click", kDialog, "chkMaster"}), "ok\n");
        const auto start = Clock::now();
        EXPECT_EQ(Ui({"click", kDialog, "btnApply"}), "ok\n");
        return Clock::now() - start;
    }

    bool ApplyButtonEnabled() {
        return testsupport::LineWith(Ui({"dump", kDialog}), " btnApply ").find(" enabled=1") !=
               std::string::npos;
    }

    bool NoChildren() {
        std::string children;
        const bool none = testsupport::PollUntil(2s, [&] {
            children = testsupport::ChildStates(manager_->Pid());
            return children.empty();
        });
        EXPECT_TRUE(none) << "children of the manager in states " << children;
        return none;
    }

    // After a failed apply: the error box, Apply still enabled, no configuration process left.
    void ExpectRefused() {
        EXPECT_EQ(Ui({"msgbox"}), kRefusedBox);
        EXPECT_EQ(Ui({"answer", "ok"}), "ok\n");
        EXPECT_TRUE(ApplyButtonEnabled()) << "a refused apply leaves Apply enabled";
        NoChildren();
    }

    // With a sound configuration process an apply reaches the driver and succeeds.
    void ExpectWorkingAgain() {
        ASSERT_TRUE(daemon_->Ctl({"fault", "config", "off"}));
        ASSERT_TRUE(daemon_->Ctl({"trace", "--clear"}));
        Apply();
        EXPECT_EQ(Ui({"msgbox"}), "ok\n");
        const std::string trace = Trace();
        EXPECT_NE(trace.find(" setconfig "), std::string::npos) << trace;
        EXPECT_FALSE(ApplyButtonEnabled()) << "a successful apply disables Apply";
        NoChildren();
    }

    std::unique_ptr<CardDaemon> daemon_;
    std::unique_ptr<ManagerProcess> manager_;
};

TEST_F(ConfigFaultTest, AHungOrOverlongConfigurationProcessIsEndedAtTheTimeLimit) {
    for (const auto& fault : {std::vector<std::string>{"fault", "config", "hang"},
                              std::vector<std::string>{"fault", "config", "slow", "6000"}}) {
        SCOPED_TRACE(fault[2]);
        ASSERT_TRUE(daemon_->Ctl(fault));
        const auto took = Apply();
        EXPECT_GE(took, kConfigTimeLimit);
        EXPECT_LT(took, kConfigTimeLimit + 3s);
        ExpectRefused();
        ExpectWorkingAgain();
    }
}

TEST_F(ConfigFaultTest, ACrashedConfigurationProcessFailsTheApplyAtOnce) {
    ASSERT_TRUE(daemon_->Ctl({"fault", "config", "crash"}));
    EXPECT_LT(Apply(), kConfigTimeLimit / 2);
    ExpectRefused();
    // OK applies the same way as the dialog closes: refused, the dialog stays open.
    ASSERT_EQ(Ui({"click", kDialog, "btnOk"}), "ok\n");
    ExpectRefused();
    const std::string windows = Ui({"windows"});
    EXPECT_NE(testsupport::LineWith(windows, "\"" + kDialog + "\"").find(" visible=1 "),
              std::string::npos)
        << windows;
    ExpectWorkingAgain();
}

// The limit holds for each call, not for the apply: three slow answers may take longer together.
TEST_F(ConfigFaultTest, AConfigurationProcessSlowWithinTheLimitApplies) {
    ASSERT_TRUE(daemon_->Ctl({"fault", "config", "slow", "2000"}));
    ASSERT_TRUE(daemon_->Ctl({"trace", "--clear"}));
    EXPECT_GE(Apply(), 3 * 2000ms);
    EXPECT_EQ(Ui({"msgbox"}), "ok\n");
    const std::string trace = Trace();
    EXPECT_NE(trace.find(" setconfig "), std::string::npos) << trace;
    EXPECT_FALSE(ApplyButtonEnabled());
    NoChildren();
}

TEST_F(ConfigFaultTest, TwoHundredConfigurationProcessesLeaveMemoryAndDescriptorsAsTheyWere) {
    // Each opening of the settings dialog runs getconfig in a configuration process of its own.
    auto openings = [&](int times) {
        std::string script;
        for (int i = 0; i < times; ++i)
            script += "set \"" + kHub + "\" chkSettings 0\nset \"" + kHub + "\" chkSettings 1\n";
        return script;
    };
    const pid_t pid = manager_->Pid();
    // A warm-up round first: caches, pools and the program's lazily built parts settle.
    ASSERT_EQ(testsupport::UiBatch(automationSocket_, openings(20), 40),
              std::vector<std::string>(40, "ok"));
    ASSERT_TRUE(NoChildren());
    const std::size_t descriptors = testsupport::OpenDescriptors(pid);
    const long before = testsupport::ResidentKiB(pid);
    ASSERT_TRUE(daemon_->Ctl({"trace", "--clear"}));

    ASSERT_EQ(testsupport::UiBatch(automationSocket_, openings(200), 400),
              std::vector<std::string>(400, "ok"));
    ASSERT_TRUE(NoChildren());
    std::size_t now = 0;
    // The request connection closes a moment after its last answer. Fewer than before is no
    // leak: a connection of the warm-up's clients may still have been open when counted.
    EXPECT_TRUE(testsupport::PollUntil(2s,
                                       [&] {
                                           now = testsupport::OpenDescriptors(pid);
                                           return now <= descriptors;
                                       }))
        << now << " descriptors open, " << descriptors << " before";
    const long after = testsupport::ResidentKiB(pid);
    if (kResidentSetMeasurable) {
        EXPECT_LT(after - before, 1024)
            << "VmRSS " << before << " KiB before, " << after << " KiB after";
    }
    RecordProperty("VmRSSBeforeKiB", static_cast<int>(before));
    RecordProperty("VmRSSAfterKiB", static_cast<int>(after));
    const std::string trace = Trace();
    std::size_t processes = 0;
    for (auto at = trace.find(" getconfig "); at != std::string::npos;
         at = trace.find(" getconfig ", at + 1))
        ++processes;
    EXPECT_EQ(processes, 200u);

    // The program ends as it does when its last card goes: normally, so that a sanitizer build's
    // leak checker runs over it.
    ASSERT_EQ(Ui({"set", kHub, "chkSettings", "0"}), "ok\n");
    ASSERT_TRUE(daemon_->Ctl({"unplug", "0"}));
    EXPECT_EQ(manager_->Wait(), 0);
    EXPECT_TRUE(manager_->LinesStartingWith("msgbox").empty());
}

} // namespace
