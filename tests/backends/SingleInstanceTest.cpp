// A second manager asks the running one to show its hub instead of starting.

#include "backends/qt/SingleInstance.h"

#include "support/RawSocket.h"

#include <atomic>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

std::string PrivatePath(const char* name) {
    return testing::TempDir() + "/" + name + "-" + std::to_string(getpid()) + ".sock";
}

} // namespace

TEST(SingleInstance, SecondStartAsksTheRunningOneToShowItsHub) {
    const std::string path = PrivatePath("instance");
    SingleInstance first;
    std::string error;
    ASSERT_EQ(first.Claim(path, error), SingleInstance::Outcome::First) << error;

    std::atomic<int> secondOutcome{-1};
    std::thread second([&] {
        SingleInstance other;
        std::string otherError;
        secondOutcome = static_cast<int>(other.Claim(path, otherError));
    });
    int shown = 0;
    pollfd pfd{first.Fd(), POLLIN, 0};
    ASSERT_EQ(poll(&pfd, 1, 5000), 1);
    first.ServeOne([&] { ++shown; });
    second.join();
    EXPECT_EQ(secondOutcome, static_cast<int>(SingleInstance::Outcome::AskedRunning));
    EXPECT_EQ(shown, 1);
}

TEST(SingleInstance, SocketLeftByAnEndedManagerIsTakenOver) {
    const std::string path = PrivatePath("stale");
    {
        // A socket file that nobody listens on any more.
        const int fd = testsupport::RawBind(path);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    SingleInstance instance;
    std::string error;
    EXPECT_EQ(instance.Claim(path, error), SingleInstance::Outcome::First) << error;
}

TEST(SingleInstance, RequestOtherThanShowIsIgnored) {
    const std::string path = PrivatePath("garbage");
    SingleInstance first;
    std::string error;
    ASSERT_EQ(first.Claim(path, error), SingleInstance::Outcome::First) << error;
    const int client = testsupport::RawConnect(path);
    ASSERT_GE(client, 0);
    ASSERT_EQ(write(client, "quit\n", 5), 5);
    int shown = 0;
    first.ServeOne([&] { ++shown; });
    EXPECT_EQ(shown, 0);
    close(client);
}
