// The ADAT Inputs window of four cards, headless, against a real daemon, driven only through
// `varnelctl ui`, `varnelctl signal` and `varnelctl fault` as a user's script would: its meters
// follow the signals at the cards' inputs, and closing it gives the cards' devices back.

#include "support/CardDaemonSupport.h"
#include "support/Deadline.h"
#include "support/ManagerProcess.h"
#include "support/ManagerWorld.h"
#include "support/UiScript.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using testsupport::CardDaemon;
using testsupport::LineWith;
using testsupport::ManagerProcess;
using testsupport::MetersOf;
using testsupport::PollUntil;

constexpr int kCards = 4;
// Two meters (left, right) per ADAT pair, four pairs per card, the cards side by side.
constexpr int kMetersPerCard = 8;

class AdatMeteringTest : public testsupport::ManagerWorld {
protected:
    AdatMeteringTest() : ManagerWorld("adat") {}
};

TEST_F(AdatMeteringTest, MetersFollowTheInputsAndClosingGivesTheDevicesBack) {
    CardDaemon daemon(kCards);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine("notifyicon\tadd\t"));
    const std::string handlesBefore = daemon.Status()["handles.open"];
    ASSERT_FALSE(handlesBefore.empty());

    ASSERT_TRUE(OpenFromHub(daemon, "chkAdatInputs"));
    const std::string windows = Ui(daemon, {"windows"});
    EXPECT_NE(LineWith(windows, "\"ADAT Inputs\"").find(" TfrmAdatInp visible=1 "),
              std::string::npos)
        << windows;

    // Every input carries a swelling tone: each meter lights within a second of the opening
    // (a swell's trough may leave a meter dark in one poll, so a lamp seen once counts).
    std::set<std::size_t> litOnce;
    std::string dump;
    const bool allLit = PollUntil(seconds(1), [&] {
        Ui(daemon, {"idle"});
        dump = Ui(daemon, {"dump", "ADAT Inputs"});
        const auto meters = MetersOf(dump);
        for (std::size_t i = 0; i < meters.size(); ++i)
            if (meters[i].lit > 0)
                litOnce.insert(i);
        return meters.size() == kCards * kMetersPerCard && litOnce.size() == meters.size();
    });
    ASSERT_TRUE(allLit) << litOnce.size() << " meters lit:\n" << dump;
    EXPECT_GT(std::stoi(daemon.Status()["handles.open"]), std::stoi(handlesBefore));

    // The third ADAT pair of the third card goes quiet, and the device of the third pair of the
    // second card refuses every read: the meters of both fall dark, peak hold included, while
    // the pairs read just before them keep showing their tones.
    const std::size_t quiet = 2 * kMetersPerCard + 2 * 2;
    const std::size_t refused = 1 * kMetersPerCard + 2 * 2;
    ASSERT_TRUE(daemon.Ctl({"signal", "2", "adat-in-3", "silence"}));
    ASSERT_TRUE(daemon.Ctl({"fault", "meter-read", "1", "adat-in-3", "on"}));
    bool neighboursLit[2] = {false, false};
    const bool dark = PollUntil(seconds(5), [&] {
        dump = Ui(daemon, {"dump", "ADAT Inputs"});
        const auto meters = MetersOf(dump);
        if (meters.size() != kCards * kMetersPerCard)
            return false;
        bool allDark = true;
        for (int i = 0; i < 2; ++i) {
            const std::size_t left = i == 0 ? quiet : refused;
            neighboursLit[i] =
                neighboursLit[i] || meters[left - 2].lit > 0 || meters[left - 1].lit > 0;
            allDark = allDark && meters[left].lit == 0 && meters[left + 1].lit == 0 &&
                      meters[left].peak == 0 && meters[left + 1].peak == 0;
        }
        return allDark;
    });
    EXPECT_TRUE(dark) << dump;
    EXPECT_TRUE(neighboursLit[0] && neighboursLit[1]) << "a pair's change reached another:\n"
                                                      << dump;

    // Closing the window closes every device it opened, and the hub's box follows.
    ASSERT_EQ(Ui(daemon, {"close", "ADAT Inputs"}), "ok\n");
    std::string handles;
    EXPECT_TRUE(PollUntil(seconds(3),
                          [&] {
                              handles = daemon.Status()["handles.open"];
                              return handles == handlesBefore;
                          }))
        << "handles.open=" << handles << ", before the window: " << handlesBefore;
    EXPECT_NE(LineWith(Ui(daemon, {"dump", "Varnel PRO"}), " chkAdatInputs ").find(" checked=0 "),
              std::string::npos);
    EXPECT_TRUE(manager.LinesStartingWith("msgbox").empty());
}

} // namespace
