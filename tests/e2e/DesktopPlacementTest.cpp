// varnel-manager's windows on real desktops, where a window manager frames, places and maximises
// them (openbox, xfwm4) or a Wayland compositor keeps their places to itself (weston): the places
// the user leaves them at come back session after session, maximise and restore work both ways
// from the title bar and from the program, and what Wayland cannot tell is never saved.

#include "support/CardDaemonSupport.h"
#include "support/Deadline.h"
#include "support/DesktopWindows.h"
#include "support/ManagerProcess.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/UiScript.h"
#include "support/XvfbServer.h"

#include <QColor>
#include <QImage>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <sstream>
#include <sys/stat.h>

namespace {

using std::chrono::seconds;
using testsupport::CardDaemon;
using testsupport::DesktopWindows;
using testsupport::FramedWindow;
using testsupport::LineWith;
using testsupport::ManagerProcess;
using testsupport::PollUntil;
using testsupport::WindowManager;
using testsupport::XvfbServer;

const std::string kHub = "Varnel PRO";
const std::string kAnalog = "Analog Input";

// A window's place and outer size as the program has it (`ui windows`).
struct Bounds {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Bounds&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Bounds& b) {
    return out << b.x << "," << b.y << " " << b.w << "x" << b.h;
}

int Field(const std::string& line, const char* key) {
    const std::size_t at = (" " + line).find(std::string(" ") + key + "=");
    return at == std::string::npos ? -99999 : std::atoi(line.c_str() + at + std::strlen(key) + 1);
}

// Every key of an INI section as "key=value" lines, in file order.
std::string Section(const std::string& ini, const std::string& name) {
    std::istringstream in(ini);
    std::string line, keys;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line.starts_with("["))
            inside = line == "[" + name + "]";
        else if (inside && !line.empty())
            keys += line + "\n";
    }
    return keys;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

class DesktopWorld : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(home_.Path().empty());
        runtime_ = home_.Path() + "/run";
        ASSERT_EQ(::mkdir(runtime_.c_str(), 0700), 0);
        env_.Set("XDG_RUNTIME_DIR", runtime_);
        env_.Set("XDG_CONFIG_HOME", home_.Path());
        env_.Set("VARNEL_AUTOMATION", runtime_ + "/ui.sock");
        env_.Unset("VARNEL_HEADLESS");
        env_.Unset("DISPLAY");
        env_.Unset("WAYLAND_DISPLAY");
        std::filesystem::create_directories(VARNEL_SCREENSHOT_DIR);
    }

    std::string Ui(const std::vector<std::string>& words) const {
        return testsupport::Ui(daemon_.Socket(), words);
    }
    Bounds Program(const std::string& title) const {
        const std::string line = LineWith(Ui({"windows"}), "\"" + title + "\"");
        return {Field(line, "x"), Field(line, "y"), Field(line, "w"), Field(line, "h")};
    }
    bool Shown(const std::string& title) const {
        return LineWith(Ui({"windows"}), "\"" + title + "\"").find(" visible=1 ") !=
               std::string::npos;
    }
    // Starts the manager and waits for its automation to answer.
    void Start(std::optional<ManagerProcess>& manager) {
        manager.emplace();
        ASSERT_TRUE(PollUntil(seconds(15),
                              [&] {
                                  bool ok = false;
                                  testsupport::Ui(daemon_.Socket(), {"windows"}, &ok);
                                  return ok;
                              }))
            << "the manager never answered on its automation socket; it ended with "
            << manager->Wait(std::chrono::seconds(1)).value_or(-1) << ", saying:\n"
            << Joined(manager->Lines());
    }
    void OpenAnalogInput() {
        ASSERT_EQ(Ui({"tray", "dblclick"}), "ok\n");
        ASSERT_EQ(Ui({"set", kHub, "chkAnalogInputs", "1"}), "ok\n");
        ASSERT_TRUE(PollUntil(seconds(5), [&] { return Shown(kAnalog); }));
    }
    std::string Ini() const {
        std::ifstream in(home_.Path() + "/varnel-pro/Zq40Promix.ini", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void WriteIni(const std::string& text) const {
        ::mkdir((home_.Path() + "/varnel-pro").c_str(), 0700);
        std::ofstream(home_.Path() + "/varnel-pro/Zq40Promix.ini", std::ios::binary) << text;
    }

    testsupport::TempDir home_{0700, "place"};
    std::string runtime_;
    testsupport::ScopedEnvironment env_;
    CardDaemon daemon_{2};
};

// On an X desktop with a window manager.
class FramedDesktop : public DesktopWorld {
protected:
    explicit FramedDesktop(WindowManager wm = WindowManager::Openbox) : xvfb_(wm) {}

    void SetUp() override {
        DesktopWorld::SetUp();
        if (!xvfb_.Installed())
            GTEST_SKIP() << "not installed: " << xvfb_.Missing();
        ASSERT_TRUE(xvfb_.Started()) << "no desktop on :150..:199 with its window manager";
        ASSERT_TRUE(daemon_.Started());
        env_.Set("DISPLAY", xvfb_.Display());
        env_.Set("QT_QPA_PLATFORM", "xcb");
        desk_.emplace(xvfb_.Display());
        ASSERT_TRUE(desk_->Connected());
    }

    // Waits until the window manager shows `title`'s frame where the program has the window
    // (and, given `at`, at that place), and returns the program's bounds; a failure tells both.
    // `ask`, when given, is asked of the window manager again from time to time, as a user
    // tries again when a window that has just opened does not follow yet.
    Bounds Agreed(const std::string& title, std::optional<std::pair<int, int>> at = {},
                  const std::function<void()>& ask = {}) {
        Bounds program;
        FramedWindow frame;
        int polls = 0;
        const bool agree = PollUntil(seconds(10), [&] {
            if (ask && polls++ % 25 == 0)
                ask();
            program = Program(title);
            frame = desk_->Find(title);
            return frame.found && frame.x == program.x && frame.y == program.y &&
                   (!at || (program.x == at->first && program.y == at->second));
        });
        EXPECT_TRUE(agree) << title << ": the program has " << program << ", the frame is at "
                           << frame.x << "," << frame.y << (frame.found ? "" : " (not mapped)");
        return program;
    }
    // The user moves the window by its frame's corner, as a pager does.
    Bounds MovedTo(const std::string& title, int x, int y) {
        return Agreed(title, {{x, y}}, [&] { desk_->Move(title, x, y); });
    }
    // Waits until the program and the window manager both have the window at `bounds`,
    // maximised or not as `maximized` says; `ask` as for Agreed.
    void Reaches(const Bounds& bounds, bool maximized, const std::function<void()>& ask = {}) {
        Bounds program;
        FramedWindow frame;
        int polls = 0;
        EXPECT_TRUE(PollUntil(seconds(10),
                              [&] {
                                  if (ask && polls++ % 25 == 0)
                                      ask();
                                  program = Program(kAnalog);
                                  frame = desk_->Find(kAnalog);
                                  return program == bounds && frame.maximized == maximized &&
                                         frame.x == bounds.x && frame.y == bounds.y &&
                                         frame.clientWidth == bounds.w - 8;
                              }))
            << "the program has " << program << "; the frame is at " << frame.x << "," << frame.y
            << ", " << frame.clientWidth << " wide, maximised=" << frame.maximized;
    }

    XvfbServer xvfb_;
    std::optional<DesktopWindows> desk_;
};

class PlacesUnderAWindowManager : public FramedDesktop,
                                  public ::testing::WithParamInterface<WindowManager> {
protected:
    PlacesUnderAWindowManager() : FramedDesktop(GetParam()) {}
};

TEST_P(PlacesUnderAWindowManager, EveryWindowComesBackWhereTheUserLeftItSessionAfterSession) {
    std::map<std::string, Bounds> left; // where the user left each window in the last session
    for (int session = 0; session < 3; ++session) {
        SCOPED_TRACE("session " + std::to_string(session));
        std::optional<ManagerProcess> manager;
        Start(manager);
        OpenAnalogInput();
        for (const std::string& title : {kHub, kAnalog}) {
            const Bounds shown = Agreed(title);
            if (session > 0) {
                EXPECT_EQ(shown, left[title]) << title;
            }
        }

        // Closed and opened again within the session, it keeps its place too.
        const Bounds before = Agreed(kAnalog);
        ASSERT_EQ(Ui({"close", kAnalog}), "ok\n");
        ASSERT_TRUE(PollUntil(seconds(5), [&] { return !desk_->Find(kAnalog).found; }));
        ASSERT_EQ(Ui({"set", kHub, "chkAnalogInputs", "1"}), "ok\n");
        EXPECT_EQ(Agreed(kAnalog), before);

        // The user moves both windows (as a pager does, by the frame's corner).
        const std::map<std::string, std::pair<int, int>> to = {
            {kHub, {300 + 40 * session, 300 + 10 * session}},
            {kAnalog, {600 + 40 * session, 200 + 10 * session}}};
        for (const auto& [title, at] : to)
            left[title] = MovedTo(title, at.first, at.second);

        // The session ends as a logout ends it, after the user closed the hub.
        ASSERT_EQ(Ui({"close", kHub}), "ok\n");
        ASSERT_TRUE(manager->Signal(SIGTERM));
        ASSERT_EQ(manager->Wait(), std::optional<int>(0));
        for (const std::string& title : {kHub, kAnalog}) {
            const std::string saved = Section(Ini(), title);
            EXPECT_NE(saved.find("Left=" + std::to_string(left[title].x) + "\n"), std::string::npos)
                << saved;
            EXPECT_NE(saved.find("Top=" + std::to_string(left[title].y) + "\n"), std::string::npos)
                << saved;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Desktops, PlacesUnderAWindowManager,
                         ::testing::Values(WindowManager::Openbox, WindowManager::Xfwm4),
                         [](const auto& info) {
                             return info.param == WindowManager::Xfwm4 ? "xfwm4" : "openbox";
                         });

// What a picture of a window shows down each column: painted columns show more than one colour
// (a frame line, a caption, a bevel), an unpainted band a single one.
struct Columns {
    int width = 0;
    int flat = 0;     // columns of a single colour
    int darkLeft = 0; // dark pixels (text, lines) in the left and in the right half
    int darkRight = 0;
};

std::optional<Columns> ColumnsOf(const std::string& file) {
    QImage image;
    if (!image.load(QString::fromStdString(file), "PNG"))
        return std::nullopt;
    image = image.convertToFormat(QImage::Format_RGB32);
    Columns columns{image.width(), 0, 0, 0};
    for (int x = 0; x < image.width(); ++x) {
        bool oneColour = true;
        for (int y = 0; y < image.height(); ++y) {
            const QColor pixel = image.pixelColor(x, y);
            oneColour = oneColour && pixel.rgb() == image.pixel(x, 0);
            if (pixel.lightness() < 64)
                ++(x < image.width() / 2 ? columns.darkLeft : columns.darkRight);
        }
        columns.flat += oneColour;
    }
    return columns;
}

using OpenboxDesktop = FramedDesktop;

TEST_F(OpenboxDesktop, MaximisingShowsEveryStripAtTheCornerAndRestoringBringsTheOldBoundsBack) {
    std::optional<ManagerProcess> manager;
    Start(manager);
    OpenAnalogInput();
    const Bounds normal = MovedTo(kAnalog, 500, 150);
    // Two strips of 140 and the window's frame; the height is pinned.
    const Bounds maximised{0, 0, 2 * 140 + 24, normal.h};
    const std::string shot = std::string(VARNEL_SCREENSHOT_DIR) + "/analog-input-maximised.png";

    for (const bool fromProgram : {false, true}) {
        SCOPED_TRACE(fromProgram ? "varnelctl ui state" : "the title bar's maximise button");
        if (fromProgram) {
            ASSERT_EQ(Ui({"state", kAnalog, "maximized"}), "ok\n");
            Reaches(maximised, true);
        } else {
            Reaches(maximised, true, [&] { desk_->SetMaximized(kAnalog, true); });
        }

        ASSERT_EQ(Ui({"screenshot", kAnalog, shot}), "ok\n");
        const auto columns = ColumnsOf(shot);
        ASSERT_TRUE(columns.has_value()) << "not a PNG";
        EXPECT_EQ(columns->width, maximised.w - 8);
        EXPECT_EQ(columns->flat, 0) << "an unpainted band";
        EXPECT_GT(columns->darkRight, columns->darkLeft / 2) << "the second strip is not drawn";

        if (fromProgram) {
            ASSERT_EQ(Ui({"state", kAnalog, "normal"}), "ok\n");
            Reaches(normal, false);
        } else {
            Reaches(normal, false, [&] { desk_->SetMaximized(kAnalog, false); });
        }
    }
}

// On a Wayland compositor, which places the windows and tells no client where.
class WaylandDesktop : public DesktopWorld {
protected:
    void SetUp() override {
        DesktopWorld::SetUp();
        weston_.emplace(runtime_);
        if (!weston_->Installed())
            GTEST_SKIP() << "not installed: " << weston_->Missing();
        ASSERT_TRUE(weston_->Started()) << "weston did not start";
        ASSERT_TRUE(daemon_.Started());
        env_.Set("WAYLAND_DISPLAY", weston_->Socket());
        env_.Set("QT_QPA_PLATFORM", "wayland");
    }

    std::optional<testsupport::WestonServer> weston_;
};

TEST_F(WaylandDesktop, TheSavedPlacesStayAndAlwaysOnTopIsKeptThoughTheDesktopIgnoresIt) {
    WriteIni("[Varnel PRO]\nTop=300\nLeft=310\n\n[Analog Input]\nTop=200\nLeft=600\n");
    std::optional<ManagerProcess> manager;
    Start(manager);
    OpenAnalogInput();
    for (const char* onTop : {"1", "0", "1"})
        ASSERT_EQ(Ui({"set", kHub, "chkStayOnTop", onTop}), "ok\n");
    // A move the compositor would not even make is no place to save either.
    ASSERT_EQ(Ui({"move", kAnalog, "50", "60"}), "ok\n");
    ASSERT_EQ(Ui({"close", kAnalog}), "ok\n");
    ASSERT_EQ(Ui({"set", kHub, "chkAnalogInputs", "1"}), "ok\n");
    ASSERT_EQ(Ui({"close", kHub}), "ok\n");

    const std::string ini = Ini();
    EXPECT_TRUE(Section(ini, kHub).starts_with("Top=300\nLeft=310\n")) << ini;
    EXPECT_NE(Section(ini, kHub).find("chkStayOnTop=1\nWidth=176\nHeight=200\n"), std::string::npos)
        << ini;
    EXPECT_TRUE(Section(ini, kAnalog).starts_with("Top=200\nLeft=600\n")) << ini;
    EXPECT_NE(Section(ini, kAnalog).find("Width=155\nHeight=624\n"), std::string::npos) << ini;

    ASSERT_TRUE(manager->Signal(SIGTERM));
    ASSERT_EQ(manager->Wait(), std::optional<int>(0));
    EXPECT_EQ(manager
                  ->LinesStartingWith("varnel-manager: this desktop (Wayland) ignores \"Immer "
                                      "im Vordergrund\"")
                  .size(),
              1u);
}

} // namespace
