// The automation endpoint against another user: the credential check refuses, and varnelctl says
// why at once. Clients of another user are run as nobody, which needs root.

#include "support/OtherUser.h"
#include "support/RawSocket.h"
#include "support/TempDir.h"
#include "toolkit/automation/AutomationSocket.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Connects without checking the server, sends a request and returns all it got back, or a
// line starting with "!" when it could not even ask.
std::string AskAnyway(const std::string& path) {
    const int fd = testsupport::RawConnect(path);
    if (fd < 0)
        return std::string("!connect: ") + std::strerror(errno);
    // The endpoint may have hung up before the request went out or arrived: either way it was
    // not answered.
    if (send(fd, "windows\n", 8, MSG_NOSIGNAL) != 8)
        return errno == EPIPE || errno == ECONNRESET ? "" : "!write";
    timeval timeout{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string answer;
    char chunk[256];
    ssize_t n;
    while ((n = read(fd, chunk, sizeof chunk)) > 0)
        answer.append(chunk, static_cast<std::size_t>(n));
    close(fd);
    return n < 0 && errno != ECONNRESET ? "!no end of connection" : answer;
}

} // namespace

TEST(AutomationPeers, APeerOfAnotherUserIsRefusedByItsCredentialsAndToldSo) {
    std::string why;
    const auto nobody = testsupport::Nobody(&why);
    if (!nobody)
        GTEST_SKIP() << why;
    // A directory the user names is used as given; the socket itself is 0600 until the test
    // opens it up, so that only the credential check stands in the way.
    testsupport::TempDir dir(0755);
    const std::string path = dir.Path() + "/ui.sock";
    std::atomic<int> requests{0};
    AutomationSocket endpoint(path, [&](const std::string&) {
        ++requests;
        return std::string("ok\n");
    });
    struct stat st {};
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(lstat(dir.Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);

    // The exit status carries the answer's length: 0 when the connection ended unanswered.
    const int answered = testsupport::RunAs(*nobody, [&] {
        const std::string answer = AskAnyway(path);
        return answer.starts_with("!")
                   ? 255
                   : static_cast<int>(std::min<std::size_t>(answer.size(), 254));
    });
    EXPECT_EQ(answered, 0) << "255: could not ask";
    EXPECT_EQ(requests, 0);

    const std::vector<std::string> environment{"VARNEL_AUTOMATION=" + path};
    const auto started = std::chrono::steady_clock::now();
    testsupport::Outcome ctl =
        testsupport::RunProgramAs(*nobody, VARNELCTL_PATH, {"ui", "windows"}, environment);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(ctl.status, 1);
    EXPECT_NE(ctl.err.find("belongs to another user"), std::string::npos) << ctl.err;
    EXPECT_EQ(ctl.err.find("seconds"), std::string::npos) << ctl.err;

    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    ctl = testsupport::RunProgramAs(*nobody, VARNELCTL_PATH, {"ui", "windows"}, environment);
    EXPECT_EQ(ctl.status, 1);
    EXPECT_NE(ctl.err.find("exists but cannot be reached"), std::string::npos) << ctl.err;
    EXPECT_EQ(requests, 0);
}
