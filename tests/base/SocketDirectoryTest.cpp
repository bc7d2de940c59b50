// The rule for the sockets' directories, on real directories.

#include "base/SocketDirectory.h"

#include "base/OtherUser.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using base::DirectoryRule;
using testsupport::TempDir;

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool Prepare(const std::string& dir, DirectoryRule rule, std::string* error, std::string* notice) {
    return base::PrepareSocketDirectory(dir + "/s.sock", rule, error, notice);
}

} // namespace

TEST(SocketDirectory, TheSystemsOwnDirectoryIsCreatedPrivateAndKeptPrivate) {
    TempDir parent(0755);
    const std::string dir = parent.Path() + "/varnel-pro";
    std::string error, notice;
    const mode_t previous = umask(0);
    ASSERT_TRUE(Prepare(dir, DirectoryRule::Private, &error, &notice)) << error;
    umask(previous);
    EXPECT_EQ(ModeOf(dir), 0700u);
    EXPECT_EQ(notice, "");

    chmod(dir.c_str(), 0755);
    ASSERT_TRUE(Prepare(dir, DirectoryRule::Private, &error, &notice)) << error;
    EXPECT_EQ(ModeOf(dir), 0700u);
    EXPECT_NE(notice.find(dir), std::string::npos) << notice;
    ASSERT_TRUE(Prepare(dir, DirectoryRule::Private, &error, &notice)) << error;
    EXPECT_EQ(notice, "") << "said once, when it was changed";

    // A link in its place, even to a directory of ours, is not taken for it.
    const std::string link = parent.Path() + "/link";
    ASSERT_EQ(symlink(dir.c_str(), link.c_str()), 0);
    EXPECT_FALSE(Prepare(link, DirectoryRule::Private, &error, &notice));
    EXPECT_NE(error.find(link), std::string::npos) << error;
    EXPECT_FALSE(
        Prepare(parent.Path() + "/missing/deeper", DirectoryRule::Private, &error, &notice));
}

TEST(SocketDirectory, ADirectoryOfAnotherUserIsRefusedAndLeftAsItIs) {
    std::string why;
    const auto nobody = testsupport::Nobody(&why);
    if (!nobody)
        GTEST_SKIP() << why;
    TempDir parent(0755);
    const std::string dir = parent.Path() + "/varnel-pro";
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    ASSERT_EQ(chown(dir.c_str(), nobody->uid, nobody->gid), 0);
    std::string error, notice;
    EXPECT_FALSE(Prepare(dir, DirectoryRule::Private, &error, &notice));
    EXPECT_NE(error.find(dir), std::string::npos) << error;
    EXPECT_NE(error.find("another user"), std::string::npos) << error;
    EXPECT_EQ(ModeOf(dir), 0755u);
}

TEST(SocketDirectory, ADirectoryTheUserNamesIsUsedAsGiven) {
    TempDir dir(0755);
    std::string error, notice;
    ASSERT_TRUE(Prepare(dir.Path(), DirectoryRule::AsGiven, &error, &notice)) << error;
    EXPECT_EQ(ModeOf(dir.Path()), 0755u);
    EXPECT_EQ(notice, "");
    const std::string missing = dir.Path() + "/new";
    ASSERT_TRUE(Prepare(missing, DirectoryRule::AsGiven, &error, &notice)) << error;
    EXPECT_TRUE(ModeOf(missing) != 0);
}

TEST(SocketDirectory, RuntimeDirectoryFollowsTheEnvironment) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = runtime ? runtime : "";
    setenv("XDG_RUNTIME_DIR", "/run/user/42", 1);
    EXPECT_EQ(base::RuntimeDirectory(), "/run/user/42/varnel-pro");
    unsetenv("XDG_RUNTIME_DIR");
    setenv("TMPDIR", "/var/tmp", 1);
    EXPECT_EQ(base::RuntimeDirectory(), "/var/tmp/varnel-pro-" + std::to_string(geteuid()));
    unsetenv("TMPDIR");
    EXPECT_EQ(base::RuntimeDirectory(), "/tmp/varnel-pro-" + std::to_string(geteuid()));
    if (runtime)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}
