// varnel-manager with a damaged, huge, misplaced or unwritable settings file: a channel window
// opened from the hub and closed again, driven through `varnelctl ui` as a user's script would.
// What cannot be read gives the windows their built-in state; what can be written keeps every
// foreign byte; nothing crashes and no temporary file stays behind.
//
// Root may write any file, so the unwritable cases run the programs as user nobody, from copies
// in a directory that user can reach.

#include "platform/IniDocument.h"
#include "platform/Shell.h"
#include "support/CardDaemonSupport.h"
#include "support/ManagerProcess.h"
#include "support/ManagerWorld.h"
#include "support/UiScript.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <pwd.h>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

using testsupport::LineWith;
using testsupport::ManagerProcess;

const std::string kIconAdd = "notifyicon\tadd\t";
const std::string kSection = "[ADAT Inputs]\nLeft=123\nTop=77\n";

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void Write(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::vector<std::string> Listing(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Foreign lines a user or another program left: text, binary junk with NUL bytes, and a
// section of this program's that only looks alike.
std::string Garbage(std::size_t size) {
    std::mt19937 random(7);
    std::string junk;
    while (junk.size() < size) {
        junk += "; kept " + std::to_string(junk.size()) + "\n[ADAT Input]\nTop=1";
        junk += std::string("\0x\n", 3);
        for (int i = 0; i < 64; ++i)
            junk += static_cast<char>(random() & 0xFF);
        junk += '\n';
    }
    junk.resize(size);
    return junk;
}

int Field(const std::string& line, const std::string& key) {
    const std::size_t at = line.find(" " + key + "=");
    return at == std::string::npos ? -1 : std::atoi(line.c_str() + at + key.size() + 2);
}

// The manager against a card daemon, its settings file in a private configuration directory.
class IniFaultTest : public testsupport::ManagerWorld {
protected:
    IniFaultTest() : ManagerWorld("inifault") {}
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ManagerWorld::SetUp());
        configDir_ = dir_ + "/varnel-pro";
        fs::create_directory(configDir_);
        ini_ = IniPath();
    }

    // Opens the ADAT Inputs window from the hub and closes it again; the window's line of
    // `windows` while it was open.
    std::string OpenAndCloseWindow(const testsupport::CardDaemon& daemon) {
        auto ui = [&](const std::vector<std::string>& words) { return Ui(daemon, words); };
        EXPECT_EQ(ui({"tray", "dblclick"}), "ok\n");
        EXPECT_EQ(ui({"set", "Varnel PRO", "chkAdatInputs", "1"}), "ok\n");
        const std::string line = LineWith(ui({"windows"}), "\"ADAT Inputs\"");
        EXPECT_EQ(ui({"close", "ADAT Inputs"}), "ok\n");
        EXPECT_TRUE(testsupport::Carries(LineWith(ui({"dump", "Varnel PRO"}), " chkAdatInputs "),
                                         "checked=0"))
            << "the program answers on after the close";
        return line;
    }

    std::string configDir_, ini_;
};

TEST_F(IniFaultTest, GarbageAndNulBytesAreReadAroundAndKeptWhenTheWindowSavesItsState) {
    const std::string before = Garbage(8192) + "\n" + kSection + "; last line";
    Write(ini_, before);
    testsupport::CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine(kIconAdd));

    const std::string window = OpenAndCloseWindow(daemon);
    EXPECT_EQ(Field(window, "x"), 123) << window;
    EXPECT_EQ(Field(window, "y"), 77) << window;
    const std::string after = Read(ini_);
    const std::size_t section = before.find(kSection);
    EXPECT_EQ(after.substr(0, section + kSection.size()),
              before.substr(0, section + kSection.size()))
        << "every byte before the saved keys stays";
    EXPECT_NE(after.find("; last line"), std::string::npos);
    const IniDocument saved = IniDocument::Parse(after);
    EXPECT_EQ(saved.Find("ADAT Inputs", "Left"), "123");
    EXPECT_TRUE(saved.Find("ADAT Inputs", "Width").has_value());
    EXPECT_EQ(Listing(configDir_), std::vector<std::string>{"Zq40Promix.ini"});
}

TEST_F(IniFaultTest, ATenMegabyteFileIsReadWholeAndRewrittenWithEveryForeignByte) {
    const std::string junk = Garbage(10 * 1024 * 1024);
    Write(ini_, junk + "\n" + kSection);
    testsupport::CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine(kIconAdd));

    const std::string window = OpenAndCloseWindow(daemon);
    EXPECT_EQ(Field(window, "x"), 123) << "the section after ten megabytes is found: " << window;
    const std::string after = Read(ini_);
    EXPECT_TRUE(after.starts_with(junk + "\n" + kSection));
    EXPECT_TRUE(IniDocument::Parse(after).Find("ADAT Inputs", "Height").has_value());
    EXPECT_EQ(Listing(configDir_), std::vector<std::string>{"Zq40Promix.ini"});
}

TEST_F(IniFaultTest, ADirectoryInPlaceOfTheFileGivesTheBuiltInStateAndStaysAsItWas) {
    fs::create_directory(ini_);
    Write(ini_ + "/inside", "kept");
    testsupport::CardDaemon daemon(1);
    ASSERT_TRUE(daemon.Started());
    ManagerProcess manager;
    ASSERT_TRUE(manager.WaitForLine(kIconAdd));

    const std::string window = OpenAndCloseWindow(daemon);
    EXPECT_NE(window.find(" visible=1 "), std::string::npos) << window;
    EXPECT_TRUE(fs::is_directory(ini_));
    EXPECT_EQ(Read(ini_ + "/inside"), "kept");
    EXPECT_EQ(Listing(configDir_), std::vector<std::string>{"Zq40Promix.ini"});
    EXPECT_TRUE(manager.LinesStartingWith("msgbox").empty());
}

// The programs run as user nobody: copies of them in a directory every user may read, their
// configuration and sockets in one that belongs to nobody.
class UnwritableIniTest : public IniFaultTest {
protected:
    void SetUp() override {
        IniFaultTest::SetUp();
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody || ::access("/usr/bin/setpriv", X_OK) != 0)
            GTEST_SKIP() << "needs user nobody and setpriv";
        if (::geteuid() != 0)
            GTEST_SKIP() << "only root can run the programs as another user";
        uid_ = nobody->pw_uid;
        gid_ = nobody->pw_gid;
        fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        for (const char* program : {"varnel-manager", "rundll", "varnel-cardd", "varnelctl"})
            fs::copy_file(ProgramDirectory() + "/" + program, dir_ + "/" + program);
        home_ = dir_ + "/home";
        fs::create_directory(home_);
        fs::rename(configDir_, home_ + "/varnel-pro");
        configDir_ = home_ + "/varnel-pro";
        ini_ = configDir_ + "/Zq40Promix.ini";
        for (const auto& path : {home_, configDir_})
            ASSERT_EQ(::chown(path.c_str(), uid_, gid_), 0);
        cardSocket_ = home_ + "/card.sock";
        ::setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
        ::setenv("VARNEL_AUTOMATION", (home_ + "/ui.sock").c_str(), 1);
        ::setenv("VARNEL_CARD_SOCKET", cardSocket_.c_str(), 1);
        // The daemon detaches once it listens; its first process ends then.
        ASSERT_EQ(Run({"varnel-cardd", "--cards", "1"}).status, 0);
    }
    void TearDown() override {
        for (int pid : testsupport::DaemonsServing(cardSocket_))
            ::kill(pid, SIGTERM);
        ::unsetenv("VARNEL_CARD_SOCKET");
        IniFaultTest::TearDown();
    }

    struct Result {
        int status = -1;
        std::string out;
    };
    // Runs one of the copied programs as nobody and waits for it.
    Result Run(const std::vector<std::string>& command) {
        std::vector<std::string> words = AsNobody(command);
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        int out[2];
        Result result;
        if (pipe2(out, O_CLOEXEC) != 0)
            return result;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        pid_t pid = -1;
        const bool spawned =
            posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char chunk[4096];
        for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;)
            result.out.append(chunk, static_cast<std::size_t>(n));
        close(out[0]);
        int status = 0;
        if (spawned && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            result.status = WEXITSTATUS(status);
        return result;
    }
    std::vector<std::string> AsNobody(const std::vector<std::string>& command) const {
        std::vector<std::string> words{"/usr/bin/setpriv", "--reuid=" + std::to_string(uid_),
                                       "--regid=" + std::to_string(gid_), "--clear-groups",
                                       dir_ + "/" + command[0]};
        words.insert(words.end(), command.begin() + 1, command.end());
        return words;
    }
    std::string Ui(const std::vector<std::string>& words) {
        std::vector<std::string> command{"varnelctl", "ui"};
        command.insert(command.end(), words.begin(), words.end());
        return Run(command).out;
    }

    // A valid file the manager may read but not replace: read as usual, left untouched, with one
    // line about it on stderr.
    void ExpectReadAndLeftAlone() {
        const std::string before = Read(ini_);
        struct stat old {};
        ASSERT_EQ(::stat(ini_.c_str(), &old), 0);
        {
            ManagerProcess manager(AsNobody({"varnel-manager"}), 2);
            ASSERT_TRUE(manager.WaitForLine(kIconAdd));
            EXPECT_EQ(Ui({"tray", "dblclick"}), "ok\n");
            EXPECT_EQ(Ui({"set", "Varnel PRO", "chkAdatInputs", "1"}), "ok\n");
            const std::string window = LineWith(Ui({"windows"}), "\"ADAT Inputs\"");
            EXPECT_EQ(Field(window, "x"), 123) << window;
            // Moved, the window has a place to keep that cannot be written.
            EXPECT_EQ(Ui({"move", "ADAT Inputs", "140", "90"}), "ok\n");
            EXPECT_EQ(Ui({"close", "ADAT Inputs"}), "ok\n");
            EXPECT_NE(Ui({"windows"}).find("\"Varnel PRO\""), std::string::npos);
            EXPECT_EQ(Ui({"move", "Varnel PRO", "20", "30"}), "ok\n");
            // The program ends, its hub's place lost as well: still one line.
            EXPECT_TRUE(manager.Signal(SIGTERM));
            EXPECT_TRUE(manager.WaitForLine("notifyicon\tdelete"));
            std::size_t mentions = 0;
            for (const std::string& line : manager.Lines())
                mentions += line.find("Zq40Promix.ini") != std::string::npos;
            EXPECT_EQ(mentions, 1u) << "said once that the layout is not saved";
        }
        struct stat now {};
        ASSERT_EQ(::stat(ini_.c_str(), &now), 0);
        EXPECT_EQ(Read(ini_), before);
        EXPECT_EQ(now.st_ino, old.st_ino) << "the file was replaced";
        EXPECT_EQ(Listing(configDir_), std::vector<std::string>{"Zq40Promix.ini"});
    }

    uid_t uid_ = 0;
    gid_t gid_ = 0;
    std::string home_, cardSocket_;
};

// Both cases in one test, one after the other: started side by side by parallel tests, two
// managers of the same other user were seen to end one of them (exit 0) before it was ready.
TEST_F(UnwritableIniTest, AFileTheUserCannotReplaceIsReadAndLeftUntouched) {
    Write(ini_, "; foreign\n" + kSection);
    ASSERT_EQ(::chown(ini_.c_str(), uid_, gid_), 0);
    const auto readable = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    {
        SCOPED_TRACE("a read-only file");
        fs::permissions(ini_, readable);
        ExpectReadAndLeftAlone();
    }
    {
        SCOPED_TRACE("a writable file in a directory the user cannot write");
        fs::permissions(ini_, readable | fs::perms::owner_write);
        fs::permissions(configDir_, fs::perms::owner_read | fs::perms::owner_exec);
        ExpectReadAndLeftAlone();
    }
}

} // namespace
