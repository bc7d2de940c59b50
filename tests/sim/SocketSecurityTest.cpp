// The card daemon's socket against other users: its directory, its credential check, and what a
// refused client is told. The daemon runs as this process's user; clients of another user are
// run as nobody, which needs root.

#include "sim/protocol/Wire.h"
#include "support/DaemonProcess.h"
#include "support/Deadline.h"
#include "support/OtherUser.h"
#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace simcard;
using testsupport::PollUntil;
using testsupport::RawConnection;
using testsupport::TempDir;

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// A daemon in the foreground with only the socket variables given (NAME=value; the others of
// them unset), its stderr kept.
class ForegroundDaemon {
public:
    ForegroundDaemon(const std::string& socket, const std::vector<std::string>& environment)
        : socket_(socket), errPath_(errDir_.Path() + "/stderr") {
        pid_ = fork();
        if (pid_ == 0) {
            for (const char* name : {"VARNEL_CARD_SOCKET", "XDG_RUNTIME_DIR", "TMPDIR"})
                unsetenv(name);
            for (const std::string& entry : environment)
                putenv(const_cast<char*>(entry.c_str()));
            const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(err, 2);
            execl(VARNEL_CARDD_PATH, VARNEL_CARDD_PATH, "--foreground", "--cards", "1", nullptr);
            _exit(127);
        }
        // Up once it listens; given up when it ends first.
        PollUntil(
            std::chrono::seconds(10), [&] { return Ended() || Listening(); },
            std::chrono::milliseconds(5));
    }
    ~ForegroundDaemon() {
        if (!status_) {
            kill(pid_, SIGTERM);
            Ended(true);
        }
    }
    bool Listening() const { return ModeOf(socket_) != 0 && RawConnection(socket_).Fd() >= 0; }
    // The exit status once it has ended (waiting for it when asked).
    std::optional<int> Ended(bool wait = false) {
        int status = 0;
        if (!status_ && waitpid(pid_, &status, wait ? 0 : WNOHANG) == pid_)
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return status_;
    }
    std::string Errors() const {
        std::stringstream text;
        text << std::ifstream(errPath_).rdbuf();
        return text.str();
    }

private:
    TempDir errDir_{0700};
    std::string socket_;
    std::string errPath_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

} // namespace

TEST(CardSocketDirectory, TheDaemonsOwnDirectoryIsCreatedOrMadePrivate) {
    TempDir runtime(0755);
    const std::string dir = runtime.Path() + "/varnel-pro";
    {
        ForegroundDaemon daemon(dir + "/card.sock", {"XDG_RUNTIME_DIR=" + runtime.Path()});
        ASSERT_TRUE(daemon.Listening()) << daemon.Errors();
        EXPECT_EQ(ModeOf(dir), 0700u);
        EXPECT_EQ(ModeOf(dir + "/card.sock") & 0777, 0600u);
        EXPECT_EQ(daemon.Errors(), "");
    }
    chmod(dir.c_str(), 0755);
    {
        ForegroundDaemon daemon(dir + "/card.sock", {"XDG_RUNTIME_DIR=" + runtime.Path()});
        ASSERT_TRUE(daemon.Listening()) << daemon.Errors();
        EXPECT_EQ(ModeOf(dir), 0700u);
        const std::string errors = daemon.Errors();
        EXPECT_EQ(Count(errors, "\n"), 1u) << errors;
        EXPECT_EQ(Count(errors, dir), 1u) << errors;
    }
    // Without a runtime directory: one of this user's own in the temporary directory.
    TempDir tmp(01777);
    const std::string fallback = tmp.Path() + "/varnel-pro-" + std::to_string(geteuid());
    ForegroundDaemon daemon(fallback + "/card.sock", {"TMPDIR=" + tmp.Path()});
    ASSERT_TRUE(daemon.Listening()) << daemon.Errors();
    EXPECT_EQ(ModeOf(fallback), 0700u);
}

TEST(CardSocketDirectory, ADirectoryOfAnotherUserIsRefusedANamedOneIsUsedAsGiven) {
    std::string why;
    const auto nobody = testsupport::Nobody(&why);
    if (!nobody)
        GTEST_SKIP() << why;
    TempDir tmp(01777);
    const std::string planted = tmp.Path() + "/varnel-pro-" + std::to_string(geteuid());
    ASSERT_EQ(mkdir(planted.c_str(), 0700), 0);
    ASSERT_EQ(chmod(planted.c_str(), 0777), 0);
    ASSERT_EQ(chown(planted.c_str(), nobody->uid, nobody->gid), 0);
    {
        ForegroundDaemon daemon(planted + "/card.sock", {"TMPDIR=" + tmp.Path()});
        const auto status = daemon.Ended(true);
        EXPECT_NE(status.value_or(0), 0);
        const std::string errors = daemon.Errors();
        EXPECT_EQ(Count(errors, "\n"), 1u) << errors;
        EXPECT_NE(errors.find(planted), std::string::npos) << errors;
        EXPECT_EQ(ModeOf(planted + "/card.sock"), 0u);
    }
    // The user's own choice: a directory others may enter is left so, the socket is still 0600.
    const std::string socket = planted + "/card.sock";
    ForegroundDaemon daemon(socket, {"VARNEL_CARD_SOCKET=" + socket});
    ASSERT_TRUE(daemon.Listening()) << daemon.Errors();
    EXPECT_EQ(ModeOf(planted), 0777u);
    EXPECT_EQ(ModeOf(socket) & 0777, 0600u);
    EXPECT_EQ(daemon.Errors(), "");
}

TEST(CardSocket, ALiveDaemonIsNeverDisplaced) {
    TempDir dir(0700);
    const std::string socket = dir.Path() + "/card.sock";
    ForegroundDaemon first(socket, {"VARNEL_CARD_SOCKET=" + socket});
    ASSERT_TRUE(first.Listening()) << first.Errors();
    ForegroundDaemon second(socket, {"VARNEL_CARD_SOCKET=" + socket});
    EXPECT_NE(second.Ended(true).value_or(0), 0);
    EXPECT_NE(second.Errors().find("a card daemon already serves " + socket), std::string::npos)
        << second.Errors();
    EXPECT_TRUE(first.Listening());
    EXPECT_FALSE(first.Ended());
}

TEST(CardSocket, APeerOfAnotherUserIsRefusedByItsCredentialsAndToldSo) {
    std::string why;
    const auto nobody = testsupport::Nobody(&why);
    if (!nobody)
        GTEST_SKIP() << why;
    // Reachable on purpose, so that only the credential check stands in the way.
    TempDir dir(0755);
    const std::string socket = dir.Path() + "/card.sock";
    ForegroundDaemon daemon(socket, {"VARNEL_CARD_SOCKET=" + socket});
    ASSERT_TRUE(daemon.Listening()) << daemon.Errors();
    ASSERT_EQ(chmod(socket.c_str(), 0666), 0);

    // A client that asks anyway gets a refusal frame and the end of the connection, no reply.
    const int raw = testsupport::RunAs(*nobody, [&] {
        RawConnection connection(socket);
        if (connection.Fd() < 0)
            return 2;
        // The daemon refuses as it accepts, so it may have closed before the request arrives:
        // a failed send is no fault, the refusal is waiting to be read either way.
        connection.Send(wire::Writer().U32(1).Frame(wire::FrameType::Hello, 1));
        const auto refusal = connection.ReadFrame();
        if (!refusal || wire::ParseHeader(*refusal).type != wire::FrameType::Error)
            return 3;
        const std::string text(refusal->begin() + wire::kHeaderSize, refusal->end());
        if (text.find("another user") == std::string::npos)
            return 4;
        return connection.ReadFrame() ? 5 : 0;
    });
    EXPECT_EQ(raw, 0) << "2: no connection, 3: no refusal, 4: refusal unclear, 5: served";

    const std::vector<std::string> environment{"VARNEL_CARD_SOCKET=" + socket};
    const auto started = std::chrono::steady_clock::now();
    testsupport::Outcome ctl =
        testsupport::RunProgramAs(*nobody, VARNELCTL_PATH, {"status"}, environment);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(ctl.status, 1);
    EXPECT_NE(ctl.err.find("belongs to another user"), std::string::npos) << ctl.err;
    EXPECT_EQ(ctl.err.find("varnel-cardd"), std::string::npos) << ctl.err;

    ASSERT_EQ(chmod(socket.c_str(), 0600), 0);
    ctl = testsupport::RunProgramAs(*nobody, VARNELCTL_PATH, {"status"}, environment);
    EXPECT_EQ(ctl.status, 1);
    EXPECT_NE(ctl.err.find("exists but cannot be reached"), std::string::npos) << ctl.err;
    EXPECT_EQ(ctl.err.find("varnel-cardd"), std::string::npos) << ctl.err;
    EXPECT_FALSE(daemon.Ended());
}
