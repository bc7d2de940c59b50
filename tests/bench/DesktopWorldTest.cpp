// A desktop benchmark's world keeps everything it starts away from the user's desktop, session
// bus and sound server, and its X client sees exactly the windows it waits for.

#include "DesktopWorld.h"

#include "CpuShare.h"
#include "MapWatch.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

using std::chrono::milliseconds;

TEST(DesktopWorldTest, ProgramsRunPrivatelyAndNothingIsLeftAfterwards) {
    if (!bench::Installed("Xvfb"))
        GTEST_SKIP() << "Xvfb is not installed";
    std::string dir;
    pid_t xserver = -1;
    {
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/bus", 1);
        ::setenv("PULSE_SERVER", "unix:/run/user/pulse/native", 1);
        bench::DesktopWorld world("320x200x24");
        ASSERT_TRUE(world.Ready()) << world.Error();
        dir = std::filesystem::path(world.Path("x")).parent_path().string();
        xserver = world.XServer();
        const auto seen = bench::Run({"sh", "-c",
                                      "echo $XDG_RUNTIME_DIR $XDG_CONFIG_HOME $PULSE_SERVER "
                                      "${DBUS_SESSION_BUS_ADDRESS-none} $DISPLAY"},
                                     world.Variables());
        EXPECT_EQ(seen.output, dir + " " + world.Path("config") + " unix:" +
                                   world.Path("pulse.sock") + " none " + world.Display() + "\n");
        // A sound client never starts a server of its own in this world.
        EXPECT_EQ(bench::Run({"cat", world.Path("config/pulse/client.conf")}).output,
                  "autospawn = no\n");
        EXPECT_GE(bench::CpuTicks(xserver), 0);

        // The X server keeps what its clients made when the last of them leaves: a server that
        // reset then would refuse the next program while it did.
        const auto kept = [&](bool make) {
            xcb_connection_t* client = xcb_connect(world.Display().c_str(), nullptr);
            const char name[] = "VARNEL_BENCH_KEPT";
            xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
                client, xcb_intern_atom(client, make ? 0 : 1, sizeof name - 1, name), nullptr);
            const bool there = reply && reply->atom != XCB_ATOM_NONE;
            std::free(reply);
            xcb_disconnect(client);
            return there;
        };
        ASSERT_TRUE(kept(true));
        EXPECT_TRUE(kept(false));
    }
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::unsetenv("PULSE_SERVER");
    EXPECT_FALSE(std::filesystem::exists(dir));
    EXPECT_EQ(bench::CpuTicks(xserver), -1) << "the X server outlived its world";
}

// A top-level window of the given size, mapped by a client of its own.
void MapWindow(xcb_connection_t* client, std::uint16_t width, std::uint16_t height) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(client)).data;
    const xcb_window_t window = xcb_generate_id(client);
    xcb_create_window(client, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, width, height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(client, window);
    xcb_flush(client);
}

TEST(MapWatchTest, SeesTheFirstMapOfAWindowOfTheGivenSizeOnly) {
    if (!bench::Installed("Xvfb"))
        GTEST_SKIP() << "Xvfb is not installed";
    bench::DesktopWorld world("320x200x24");
    ASSERT_TRUE(world.Ready()) << world.Error();
    bench::MapWatch watch(world.Display());
    ASSERT_TRUE(watch.Connected());
    xcb_connection_t* client = xcb_connect(world.Display().c_str(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(client));

    MapWindow(client, 10, 10);
    EXPECT_FALSE(watch.AwaitMap(48, 48, milliseconds(300))) << "a window of another size";
    const auto before = std::chrono::steady_clock::now();
    MapWindow(client, 48, 48);
    const auto seen = watch.AwaitMap(48, 48, milliseconds(5000));
    ASSERT_TRUE(seen);
    EXPECT_GE(*seen, before);
    xcb_disconnect(client);

    EXPECT_FALSE(bench::MapWatch(":99999").Connected());
}

TEST(CpuShareTest, SamplesARunningProgramAndGivesNoFigureOnceItHasEnded) {
    EXPECT_DOUBLE_EQ(bench::PercentOfCore(::sysconf(_SC_CLK_TCK), 2.0), 50.0);
    std::string why;
    const auto self = bench::MeasureCpu(::getpid(), ::getpid(), -1, 0, 0.05, &why);
    ASSERT_TRUE(self) << why;
    EXPECT_EQ(self->serverPercent, 0) << "no server: nothing counted for it";
    EXPECT_GT(self->rssMiB, 0);

    bench::Child ended({"true"}, {}, "/dev/null");
    const pid_t pid = ended.Pid();
    ended.Stop();
    EXPECT_FALSE(bench::MeasureCpu(pid, ::getpid(), -1, 0, 0.05, &why));
    EXPECT_EQ(why, "the program or its X server ended during the sample");
}

} // namespace
