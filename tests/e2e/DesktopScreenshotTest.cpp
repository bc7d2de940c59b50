// varnel-manager on a desktop (a private Xvfb) against a real daemon of two cards, driven through
// `varnelctl ui`: the hub, the ADAT Inputs window and the about box are shown with their designed
// captions, and their pictures (kept under the build's screenshots/ for a human to look at) are
// real drawings of the right size, the meters' lamps among them. On a desktop whose panel hosts
// StatusNotifierItems the icon is one, and the host's opening gesture opens the hub; a panel that
// comes up after the program (the test's own watcher, and a real xfce4-panel) gets the icon from
// the stand-in window, and the stand-in comes back when the panel goes away.

#include "support/CardDaemonSupport.h"
#include "support/Deadline.h"
#include "support/ManagerProcess.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/UiScript.h"
#include "support/XfcePanel.h"
#include "support/XvfbServer.h"

#include <QColor>
#include <QImage>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using std::chrono::seconds;
using testsupport::CardDaemon;
using testsupport::LineWith;
using testsupport::ManagerProcess;
using testsupport::MetersOf;
using testsupport::PollUntil;
using testsupport::WindowViewable;
using testsupport::XfcePanel;
using testsupport::XvfbServer;

// The icon's tip, the title of its stand-in window.
const std::string kTip = "Einstellungen für Varnel PRO";

// `dbus-send` calling a method of the StatusNotifierItem interface with the coordinates (0, 0),
// waiting for its answer, so that the program has handled the call when it returns.
bool CallItem(const std::string& service, const std::string& path, const std::string& method) {
    ManagerProcess send({"dbus-send", "--session", "--print-reply", "--dest=" + service, path,
                         "org.kde.StatusNotifierItem." + method, "int32:0", "int32:0"},
                        1);
    return send.Wait() == 0;
}

// What a picture holds, in the terms the checks need.
struct PictureFacts {
    int width = 0;
    int height = 0;
    int colours = 0;         // distinct colours, counted up to 1000
    double commonShare = 0;  // share of the most frequent colour
    int darkPixels = 0;      // text and frame lines
    int lampGreenPixels = 0; // lit meter lamps
};

std::optional<PictureFacts> Inspect(const std::string& file) {
    QImage image;
    if (!image.load(QString::fromStdString(file), "PNG"))
        return std::nullopt;
    image = image.convertToFormat(QImage::Format_RGB32);
    PictureFacts facts{image.width(), image.height(), 0, 0, 0, 0};
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (counts.size() < 1000 || counts.count(pixel.rgb()))
                ++counts[pixel.rgb()];
            if (pixel.lightness() < 64)
                ++facts.darkPixels;
            if (pixel.green() > 160 && pixel.red() < 120 && pixel.blue() < 120)
                ++facts.lampGreenPixels;
        }
    int most = 0;
    for (const auto& [colour, count] : counts)
        most = std::max(most, count);
    facts.colours = static_cast<int>(counts.size());
    facts.commonShare = image.isNull() ? 1.0 : double(most) / (image.width() * image.height());
    return facts;
}

// The `w=` and `h=` of a window's line in `windows`.
std::pair<int, int> OuterSize(const std::string& line) {
    auto field = [&](const char* key) {
        std::size_t at = line.find(key);
        return at == std::string::npos ? -1 : std::atoi(line.c_str() + at + std::strlen(key));
    };
    return {field(" w="), field(" h=")};
}

class DesktopScreenshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!xvfb_.Installed())
            GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_TRUE(xvfb_.Started()) << "no free display in :150..:199";
        ASSERT_FALSE(home_.Path().empty());
        const std::string runtime = home_.Path() + "/run";
        ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
        env_.Set("XDG_RUNTIME_DIR", runtime);
        env_.Set("XDG_CONFIG_HOME", home_.Path());
        env_.Set("VARNEL_AUTOMATION", runtime + "/ui.sock");
        env_.Set("DISPLAY", xvfb_.Display());
        env_.Set("QT_QPA_PLATFORM", "xcb");
        env_.Unset("VARNEL_HEADLESS");
        std::filesystem::create_directories(VARNEL_SCREENSHOT_DIR);
    }

    // A private session bus for the programs started after it.
    void StartSessionBus() {
        bus_ = std::make_unique<ManagerProcess>(
            std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--nopidfile",
                                     "--address=unix:path=" + home_.Path() + "/bus",
                                     "--print-address=1"},
            1);
        ASSERT_TRUE(bus_->WaitForLine("unix:")) << "no dbus-daemon";
        env_.Set("DBUS_SESSION_BUS_ADDRESS", bus_->Lines().back());
    }

    bool HubShown(const CardDaemon& daemon) {
        return LineWith(testsupport::Ui(daemon.Socket(), {"windows"}), "\"Varnel PRO\"")
                   .find(" visible=1 ") != std::string::npos;
    }

    XvfbServer xvfb_;
    testsupport::TempDir home_{0700, "desk"};
    testsupport::ScopedEnvironment env_;
    std::unique_ptr<ManagerProcess> bus_;
};

TEST_F(DesktopScreenshotTest, TheHubTheAdatInputsAndTheAboutBoxAreDrawnAsDesigned) {
    CardDaemon daemon(2);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    auto ui = [&](const std::vector<std::string>& words) {
        return testsupport::Ui(daemon.Socket(), words);
    };
    std::string windows;
    ASSERT_TRUE(PollUntil(seconds(15),
                          [&] {
                              bool ok = false;
                              windows = testsupport::Ui(daemon.Socket(), {"windows"}, &ok);
                              return ok;
                          }))
        << "the manager never answered on its automation socket: " << windows;

    ASSERT_EQ(ui({"tray", "dblclick"}), "ok\n");
    ASSERT_EQ(ui({"set", "Varnel PRO", "chkAdatInputs", "1"}), "ok\n");
    std::string dump;
    ASSERT_TRUE(PollUntil(seconds(3), [&] {
        dump = ui({"dump", "ADAT Inputs"});
        const auto meters = MetersOf(dump);
        return meters.size() == 16 && meters[0].lit > 0 && meters[1].lit > 0;
    })) << dump;
    ui({"idle"});

    // The designed captions, as the windows carry them.
    windows = ui({"windows"});
    const std::string hubLine = LineWith(windows, "\"Varnel PRO\"");
    const std::string adatLine = LineWith(windows, "\"ADAT Inputs\"");
    EXPECT_NE(hubLine.find(" TMixControlWnd visible=1 "), std::string::npos) << windows;
    EXPECT_NE(adatLine.find(" TfrmAdatInp visible=1 "), std::string::npos) << windows;
    const std::string hub = ui({"dump", "Varnel PRO"});
    EXPECT_NE(hub.find("chkAdatInputs tag=-1 x=8 y=38 w=100 h=17 visible=1 enabled=1 caption=\" "
                       "ADAT Inputs\" checked=1"),
              std::string::npos)
        << hub;
    EXPECT_NE(hub.find("caption=\" Immer im &Vordergrund\""), std::string::npos) << hub;
    EXPECT_NE(dump.find("chkPeakMeter tag=-1 x=8 y=9 w=97 h=17 visible=1 enabled=1 caption=\" "
                        "&Peak Meter\" checked=1"),
              std::string::npos)
        << dump;

    const std::string shots = VARNEL_SCREENSHOT_DIR;
    ASSERT_EQ(ui({"screenshot", "Varnel PRO", shots + "/hub.png"}), "ok\n");
    ASSERT_EQ(ui({"screenshot", "ADAT Inputs", shots + "/adat-inputs.png"}), "ok\n");

    // The about box, from the ADAT window's system menu; it is modal, the others wait.
    ASSERT_EQ(ui({"sysmenu", "ADAT Inputs", " Info..."}), "ok\n");
    ui({"idle"});
    windows = ui({"windows"});
    const std::string aboutLine = LineWith(windows, "\"Info\"");
    EXPECT_NE(aboutLine.find(" TAboutBox visible=1 "), std::string::npos) << windows;
    EXPECT_NE(LineWith(windows, "\"Varnel PRO\"").find(" enabled=0"), std::string::npos);
    const std::string about = ui({"dump", "Info"});
    for (const char* caption :
         {"lbName tag=0 x=6 y=8 w=257 h=25 visible=1 enabled=1 caption=\"Varnel PRO\"",
          "lbVersion tag=0 x=6 y=64 w=257 h=16 visible=1 enabled=1 caption=\"Version 3.00\"",
          "caption=\"Treiber und Mischpult:\"", "caption=\"Varnel Audiotechnik\"",
          "OKButton tag=0 x=110 y=266 w=75 h=25 visible=1 enabled=1 caption=\"OK\""})
        EXPECT_NE(about.find(caption), std::string::npos) << caption << "\n" << about;
    ASSERT_EQ(ui({"screenshot", "Info", shots + "/about.png"}), "ok\n");
    EXPECT_EQ(ui({"click", "Info", "OKButton"}), "ok\n");
    ui({"idle"});
    EXPECT_NE(LineWith(ui({"windows"}), "\"Info\"").find(" visible=0 "), std::string::npos);

    // Each picture is the window's inside (the frame is the desktop's), really drawn.
    const struct {
        std::string file;
        std::string windowLine;
    } pictures[] = {{"hub.png", hubLine}, {"adat-inputs.png", adatLine}, {"about.png", aboutLine}};
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.file);
        const auto facts = Inspect(shots + "/" + picture.file);
        ASSERT_TRUE(facts.has_value()) << "not a PNG";
        const auto [w, h] = OuterSize(picture.windowLine);
        EXPECT_LE(facts->width, w);
        EXPECT_GE(facts->width, w - 16);
        EXPECT_LE(facts->height, h);
        EXPECT_GE(facts->height, h - 40);
        EXPECT_GE(facts->colours, 4) << "a blank or flat picture";
        EXPECT_LT(facts->commonShare, 0.95) << "a blank or flat picture";
        EXPECT_GT(facts->darkPixels, 50) << "no text or lines drawn";
    }
    const auto adat = Inspect(shots + "/adat-inputs.png");
    ASSERT_TRUE(adat.has_value());
    EXPECT_GT(adat->lampGreenPixels, 100) << "the lit meters show no lit lamps";
    const auto hubPicture = Inspect(shots + "/hub.png");
    ASSERT_TRUE(hubPicture.has_value());
    EXPECT_EQ(hubPicture->lampGreenPixels, 0);
}

} // namespace

// A panel's StatusNotifierWatcher that is there before the program (true), or comes after it.
class StatusNotifierTrayTest : public DesktopScreenshotTest,
                               public ::testing::WithParamInterface<bool> {};

TEST_P(StatusNotifierTrayTest, TheIconIsAnItemWhileAHostIsThereAndTheHostsActivateOpensTheHub) {
    const bool watcherFirst = GetParam();
    StartSessionBus();
    std::unique_ptr<ManagerProcess> watcher;
    auto startWatcher = [&] {
        watcher =
            std::make_unique<ManagerProcess>(std::vector<std::string>{VARNEL_TRAY_WATCHER_PATH}, 1);
        return watcher->WaitForLine("ready");
    };
    if (watcherFirst) {
        ASSERT_TRUE(startWatcher());
    }

    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    if (!watcherFirst) {
        ASSERT_TRUE(PollUntil(seconds(30), [] { return WindowViewable(kTip); }))
            << "no stand-in window while there is no tray";
        ASSERT_TRUE(startWatcher());
    }
    ASSERT_TRUE(watcher->WaitForLine("registered ", seconds(watcherFirst ? 15 : 5)))
        << "the icon never registered as a StatusNotifierItem";
    EXPECT_TRUE(PollUntil(seconds(5), [] { return !WindowViewable(kTip); }))
        << "the stand-in stays beside the item";
    const std::string item = watcher->LinesStartingWith("registered ").front();
    const std::string service = item.substr(11, item.find(' ', 11) - 11);
    const std::string path = item.substr(item.find(' ', 11) + 1);

    // The middle and the right button's gestures are single clicks: they open nothing.
    ASSERT_TRUE(CallItem(service, path, "SecondaryActivate"));
    ASSERT_TRUE(CallItem(service, path, "ContextMenu"));
    ASSERT_EQ(testsupport::Ui(daemon.Socket(), {"idle"}), "ok\n");
    EXPECT_FALSE(HubShown(daemon));

    ASSERT_TRUE(CallItem(service, path, "Activate"));
    EXPECT_TRUE(PollUntil(seconds(5), [&] { return HubShown(daemon); }))
        << "Activate did not open the hub";

    // The panel ends: the stand-in comes back. A panel that starts again gets the item back.
    ASSERT_TRUE(watcher->Signal(SIGTERM));
    watcher->Wait();
    EXPECT_TRUE(PollUntil(seconds(10), [] { return WindowViewable(kTip); }))
        << "no stand-in after the tray went away";
    ASSERT_TRUE(startWatcher());
    EXPECT_TRUE(watcher->WaitForLine("registered ", seconds(5)))
        << "the item did not come back to a restarted panel";
    EXPECT_TRUE(PollUntil(seconds(5), [] { return !WindowViewable(kTip); }));
}

INSTANTIATE_TEST_SUITE_P(Watcher, StatusNotifierTrayTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "BeforeTheProgram" : "AfterTheProgram";
                         });

TEST_F(DesktopScreenshotTest, AnXfcePanelStartedAfterTheProgramGetsTheIconAndOpensTheHub) {
    if (!XfcePanel::Installed())
        GTEST_SKIP() << "xfce4-panel is not installed";
    StartSessionBus();
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(PollUntil(seconds(30), [] { return WindowViewable(kTip); }))
        << "no stand-in window while there is no panel";

    XfcePanel panel;
    ASSERT_TRUE(panel.Started());
    std::vector<std::string> items;
    ASSERT_TRUE(PollUntil(seconds(5), [&] {
        items = panel.RegisteredItems();
        return !items.empty();
    })) << "the icon never reached the panel";
    EXPECT_TRUE(PollUntil(seconds(5), [] { return !WindowViewable(kTip); }))
        << "the stand-in stays beside the panel's icon";
    ASSERT_EQ(items.size(), 1u);
    const std::string service = items[0].substr(0, items[0].find(' '));
    const std::string path = items[0].substr(items[0].find(' ') + 1);
    ASSERT_TRUE(CallItem(service, path, "Activate"));
    EXPECT_TRUE(PollUntil(seconds(5), [&] { return HubShown(daemon); }))
        << "the panel's Activate did not open the hub";

    panel.Stop();
    EXPECT_TRUE(PollUntil(seconds(10), [] { return WindowViewable(kTip); }))
        << "no stand-in after the panel ended";
}

TEST_F(DesktopScreenshotTest, InAnXEmbedTrayThatComesAfterTheProgramADoubleClickOpensTheHub) {
    if (!XfcePanel::Installed())
        GTEST_SKIP() << "xfce4-panel is not installed";
    // The program reaches no session bus: of the panel's two trays it sees the XEmbed one only.
    env_.Set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home_.Path() + "/no-bus");
    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(PollUntil(seconds(30), [] { return WindowViewable(kTip); }))
        << "no stand-in window while there is no panel";

    StartSessionBus();
    XfcePanel panel;
    ASSERT_TRUE(panel.Started());
    ASSERT_TRUE(PollUntil(seconds(10), [] {
        return !WindowViewable(kTip) && testsupport::ViewableWindowCentre("varnel-manager");
    })) << "the icon never moved from the stand-in into the panel";
    // The panel may still be placing the icon, and a busy machine can stretch two clicks beyond
    // a double click: the user looks again and clicks again.
    EXPECT_TRUE(PollUntil(seconds(10), [&] {
        const auto icon = testsupport::ViewableWindowCentre("varnel-manager");
        return icon && testsupport::DoubleClickAt(icon->first, icon->second) &&
               PollUntil(seconds(1), [&] { return HubShown(daemon); });
    })) << "a double click on the panel's icon did not open the hub";
}
