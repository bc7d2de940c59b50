// The notification icon's stand-in window on a desktop without a tray or a taskbar (openbox on a
// private Xvfb), where it is the program's only handle: the window manager's close requests, as
// Alt+F4 on the focused stand-in and as a pager's close, leave it shown where it is, neither
// withdrawn nor minimised, and a double click on it still opens the hub; the display ending under
// it ends the program without a crash, and a display that refuses it leaves it running without
// one. On Wayland (weston) it is the icon without a frame.

#include "support/CardDaemonSupport.h"
#include "support/Deadline.h"
#include "support/DesktopWindows.h"
#include "support/ManagerProcess.h"
#include "support/PrivateDesktopHome.h"
#include "support/UiScript.h"
#include "support/XfcePanel.h"
#include "support/XvfbServer.h"

#include <csignal>
#include <gtest/gtest.h>

namespace {

using std::chrono::seconds;
using testsupport::CardDaemon;
using testsupport::DesktopWindows;
using testsupport::FramedWindow;
using testsupport::ManagerProcess;
using testsupport::PollUntil;
using testsupport::WindowViewable;

// The icon's tip, the title of its stand-in window.
const std::string kTip = "Einstellungen für Varnel PRO";

TEST(DesktopStandInTest, TheWindowManagersCloseRequestsLeaveTheStandInShownAndItStillOpensTheHub) {
    testsupport::XvfbServer xvfb;
    if (!xvfb.Installed())
        GTEST_SKIP() << "not installed: " << xvfb.Missing();
    ASSERT_TRUE(xvfb.Started()) << "no free display in :150..:199";
    testsupport::PrivateDesktopHome home("standin");
    ASSERT_TRUE(home.Made());
    testsupport::ScopedEnvironment& env = home.Env();
    env.Set("DISPLAY", xvfb.Display());
    env.Set("QT_QPA_PLATFORM", "xcb");
    // No session bus and no XEmbed tray: the stand-in stays for the whole run.
    env.Set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.Path() + "/no-bus");

    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    DesktopWindows desk(xvfb.Display());
    ASSERT_TRUE(desk.Connected());
    ASSERT_TRUE(PollUntil(seconds(30), [&] { return desk.Find(kTip).found; }))
        << "the window manager never framed a stand-in";

    // Alt+F4 on the focused stand-in (openbox's key for Close), then a pager's close.
    ManagerProcess focus(
        {"xdotool", "search", "--name", "^Einstellungen f", "windowactivate", "--sync"}, 1);
    ASSERT_EQ(focus.Wait(), std::optional<int>(0));
    ManagerProcess altF4({"xdotool", "key", "alt+F4"}, 1);
    ASSERT_EQ(altF4.Wait(), std::optional<int>(0));
    ASSERT_TRUE(desk.Close(kTip)) << "Alt+F4 took the stand-in away";
    // The window manager handles its requests in turn: once this move is made, it has passed
    // both closes on to the program, ahead of the clicks below.
    ASSERT_TRUE(desk.Move(kTip, 300, 200));
    FramedWindow standIn;
    ASSERT_TRUE(PollUntil(seconds(5), [&] {
        standIn = desk.Find(kTip);
        return standIn.found && standIn.x == 300 && standIn.y == 200;
    })) << "the stand-in was not moved";

    // The program handles the closes before the double click; the hub's mapping follows any
    // unmapping of the stand-in on the program's connection to the X server.
    EXPECT_TRUE(PollUntil(seconds(10), [&] {
        const auto centre = testsupport::ViewableWindowCentre("varnel-manager");
        return centre && testsupport::DoubleClickAt(centre->first, centre->second) &&
               PollUntil(seconds(1), [&] { return WindowViewable("Varnel PRO"); });
    })) << "a double click on the stand-in did not open the hub";
    EXPECT_TRUE(WindowViewable(kTip)) << "a close request took the stand-in off the screen";
    standIn = desk.Find(kTip);
    EXPECT_TRUE(standIn.found) << "a close request withdrew the stand-in";
    EXPECT_FALSE(standIn.hidden) << "a close request minimised the stand-in";
    EXPECT_EQ(standIn.x, 300);
    EXPECT_EQ(standIn.y, 200);

    // The display ending under the program, its windows shown (a logout that ends the X server
    // first): it ends with the toolkit's line and status 1, not a crash.
    xvfb.Stop();
    EXPECT_EQ(manager.Wait(seconds(10)), std::optional<int>(1));
    EXPECT_TRUE(manager.WaitForLineHolding("X11 connection broke", seconds(1)));
}

// A display that refuses the program, as one whose cookie it lacks (started from another user's
// shell): it runs without a display, as when none is named, instead of the toolkit aborting it.
TEST(DesktopStandInTest, ADisplayThatRefusesTheProgramLeavesItRunningWithoutOne) {
    testsupport::PrivateDesktopHome home("refused");
    ASSERT_TRUE(home.Made());
    const std::string authority = home.Path() + "/xauthority";
    ManagerProcess cookie(
        {"xauth", "-f", authority, "add", ":0", ".", "00112233445566778899aabbccddeeff"}, 2);
    ASSERT_EQ(cookie.Wait(), std::optional<int>(0));
    testsupport::XvfbServer xvfb(authority);
    if (!xvfb.Installed())
        GTEST_SKIP() << "not installed: " << xvfb.Missing();
    ASSERT_TRUE(xvfb.Started()) << "no free display in :150..:199";
    home.Env().Set("DISPLAY", xvfb.Display());
    home.Env().Set("XAUTHORITY", home.Path() + "/no-cookie");

    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    EXPECT_TRUE(manager.WaitForLine("varnel-manager: cannot open the display \"" + xvfb.Display() +
                                    "\": running without a display"));
    // The line comes before the program opens its automation socket.
    EXPECT_TRUE(PollUntil(seconds(10), [&] {
        return testsupport::Ui(daemon.Socket(), {"idle"}) == "ok\n";
    })) << "the manager does not run";
    ASSERT_TRUE(manager.Signal(SIGTERM));
    EXPECT_EQ(manager.Wait(), std::optional<int>(0));
}

// Qt draws the window's frame itself on Wayland: on a window as small as the icon that frame's
// title and buttons are garbled, so the stand-in is the icon alone. Qt's own Wayland trace tells
// the window's size as the compositor gets it.
TEST(DesktopStandInTest, OnWaylandTheStandInIsTheIconWithoutAFrame) {
    testsupport::PrivateDesktopHome home("standin");
    ASSERT_TRUE(home.Made());
    testsupport::WestonServer weston(home.Runtime());
    if (!weston.Installed())
        GTEST_SKIP() << "not installed: " << weston.Missing();
    ASSERT_TRUE(weston.Started()) << "weston did not start";
    home.UseWayland(weston.Socket());
    home.Env().Set("WAYLAND_DEBUG", "client");
    home.Env().Set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home.Path() + "/no-bus");

    CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLineHolding("set_title(\"" + kTip + "\")", seconds(30)))
        << "no stand-in window";
    // The only window shown: its first size is the stand-in's.
    ASSERT_TRUE(manager.WaitForLineHolding(".set_window_geometry(", seconds(10)));
    for (const std::string& line : manager.Lines())
        if (line.find(".set_window_geometry(") != std::string::npos) {
            EXPECT_NE(line.find("(0, 0, 48, 48)"), std::string::npos)
                << "the stand-in has a frame: " << line;
            break;
        }
}

} // namespace
