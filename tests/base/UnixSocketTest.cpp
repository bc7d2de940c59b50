// Listening, connecting and framing on real sockets.

#include "base/UnixSocket.h"

#include "support/RawSocket.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using testsupport::TempDir;

bool CloseOnExec(int fd) {
    return (fcntl(fd, F_GETFD) & FD_CLOEXEC) != 0;
}

void LeaveStaleSocket(const std::string& path) {
    const int fd = testsupport::RawBind(path);
    ASSERT_GE(fd, 0);
    close(fd);
}

} // namespace

TEST(UnixSocket, ServerAndClientMeetAsTheSameUserAndFramesArriveWhole) {
    TempDir dir(0700);
    const std::string path = dir.Path() + "/s.sock";
    base::Listener listener = base::ListenUnix(path, true, 4);
    ASSERT_GE(listener.fd, 0) << listener.error;
    struct stat st {};
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    base::Connection client = base::ConnectUnix(path);
    ASSERT_GE(client.fd, 0) << client.error;
    EXPECT_EQ(client.failure, base::ConnectFailure::None);
    const int server = base::AcceptUnix(listener.fd, false);
    ASSERT_GE(server, 0);
    EXPECT_EQ(base::AcceptUnix(listener.fd, false), -1) << "nobody else waits";
    for (int fd : {listener.fd, client.fd, server})
        EXPECT_TRUE(CloseOnExec(fd));
    const auto peer = base::PeerOf(server);
    ASSERT_TRUE(peer);
    EXPECT_EQ(peer->uid, geteuid());
    EXPECT_EQ(peer->pid, getpid());
    EXPECT_TRUE(base::PeerIsUser(server));
    EXPECT_FALSE(base::PeerIsUser(server, geteuid() + 1));

    // Far more than the socket buffers hold: written in pieces while the other end reads.
    std::vector<std::uint8_t> frame(4 << 20);
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint8_t>(i * 7);
    std::vector<std::uint8_t> received;
    std::thread reader([&] {
        std::uint8_t chunk[1000];
        for (std::ptrdiff_t n; (n = base::ReceiveSome(server, chunk)) > 0;)
            received.insert(received.end(), chunk, chunk + n);
    });
    EXPECT_TRUE(base::SendAll(client.fd, frame));
    shutdown(client.fd, SHUT_WR);
    reader.join();
    EXPECT_TRUE(received == frame);

    // A peer that is gone is a failed send, not a SIGPIPE that ends the process.
    close(server);
    EXPECT_FALSE(base::SendAll(client.fd, frame));
    EXPECT_EQ(base::SendSome(client.fd, frame), -1);
    close(client.fd);
    close(listener.fd);
}

TEST(UnixSocket, OnlyADeadSocketIsReplaced) {
    TempDir dir(0700);
    const std::string path = dir.Path() + "/s.sock";
    LeaveStaleSocket(path);
    EXPECT_EQ(base::ConnectUnix(path).failure, base::ConnectFailure::NoListener);
    base::Listener first = base::ListenUnix(path, true, 4);
    ASSERT_GE(first.fd, 0) << first.error;

    base::Listener second = base::ListenUnix(path, true, 4);
    EXPECT_EQ(second.fd, -1);
    EXPECT_TRUE(second.taken);
    EXPECT_NE(second.error.find(path), std::string::npos) << second.error;
    EXPECT_TRUE(base::SocketAnswers(path)) << "the live one keeps its socket";

    const std::string file = dir.Path() + "/file";
    std::ofstream(file) << "keep";
    base::Listener onFile = base::ListenUnix(file, true, 4);
    EXPECT_EQ(onFile.fd, -1);
    EXPECT_FALSE(onFile.taken);
    EXPECT_NE(onFile.error.find("not a socket"), std::string::npos) << onFile.error;
    std::string kept;
    std::ifstream(file) >> kept;
    EXPECT_EQ(kept, "keep");
    close(first.fd);
}

TEST(UnixSocket, PathsThatCannotNameASocketAreRefusedBeforeAnyCall) {
    const std::string longest = "/tmp/" + std::string(base::MaxSocketPath() - 5, 'x');
    const std::string tooLong = longest + "y";
    for (const std::string& path : {tooLong, std::string()}) {
        EXPECT_EQ(base::ConnectUnix(path).failure, base::ConnectFailure::Invalid);
        base::Listener listener = base::ListenUnix(path, true, 4);
        EXPECT_EQ(listener.fd, -1);
        EXPECT_NE(listener.error.find("longer than"), std::string::npos) << listener.error;
    }
    EXPECT_EQ(base::ConnectUnix(longest).failure, base::ConnectFailure::NoListener);
}
