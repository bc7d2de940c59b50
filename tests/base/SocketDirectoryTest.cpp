// The rule for the sockets' directories, on real directories.

#include "base/SocketDirectory.h"

#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testsupport::TempDir;

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool Prepare(const std::string& dir, std::string* error, std::string* notice) {
    return base::PrepareSocketDirectory(dir + "/s.sock", error, notice);
}

// The system's own directory inside a fresh temporary directory, for one test.
class SocketDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* value = std::getenv("XDG_RUNTIME_DIR"))
            saved_ = value;
        setenv("XDG_RUNTIME_DIR", runtime_.Path().c_str(), 1);
    }
    void TearDown() override {
        if (saved_)
            setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }

    TempDir runtime_{01777};
    const std::string own_ = runtime_.Path() + "/varnel-pro";
    std::optional<std::string> saved_;
};

} // namespace

// Created, tightened and refused as the daemon meets them: tests/sim/SocketSecurityTest.cpp.
TEST_F(SocketDirectory, ALinkInPlaceOfTheSystemsOwnDirectoryIsRefused) {
    EXPECT_EQ(base::RuntimeDirectory(), own_);
    TempDir elsewhere(0755);
    ASSERT_EQ(symlink(elsewhere.Path().c_str(), own_.c_str()), 0);
    std::string error, notice;
    EXPECT_FALSE(Prepare(own_, &error, &notice));
    EXPECT_NE(error.find(own_), std::string::npos) << error;
    EXPECT_EQ(ModeOf(elsewhere.Path()), 0755u);
}

TEST_F(SocketDirectory, AnyOtherDirectoryIsUsedAsGivenAndNeverChanged) {
    // A shared directory of this user, as /tmp is root's: opening a socket in it changes nothing.
    std::string error, notice;
    ASSERT_TRUE(Prepare(runtime_.Path(), &error, &notice)) << error;
    EXPECT_EQ(ModeOf(runtime_.Path()), 01777u);
    EXPECT_EQ(notice, "");
    const std::string missing = runtime_.Path() + "/named";
    ASSERT_TRUE(Prepare(missing, &error, &notice)) << error;
    EXPECT_NE(ModeOf(missing), 0u);
    EXPECT_FALSE(Prepare(runtime_.Path() + "/missing/deeper", &error, &notice));
    EXPECT_NE(error.find("/missing/deeper"), std::string::npos) << error;
}

TEST(RuntimeDirectory, FallsBackToTheTemporaryDirectory) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* tmp = std::getenv("TMPDIR");
    const std::string savedRuntime = runtime ? runtime : "", savedTmp = tmp ? tmp : "";
    unsetenv("XDG_RUNTIME_DIR");
    setenv("TMPDIR", "/var/tmp", 1);
    EXPECT_EQ(base::RuntimeDirectory(), "/var/tmp/varnel-pro-" + std::to_string(geteuid()));
    unsetenv("TMPDIR");
    EXPECT_EQ(base::RuntimeDirectory(), "/tmp/varnel-pro-" + std::to_string(geteuid()));
    if (runtime)
        setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
    if (tmp)
        setenv("TMPDIR", savedTmp.c_str(), 1);
}
