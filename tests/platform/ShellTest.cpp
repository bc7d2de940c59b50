#include "platform/Shell.h"

#include "support/Deadline.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("varnel-shell-" + std::to_string(getpid()));
        fs::create_directories(dir);
        // A stand-in program that records its arguments and working directory.
        std::ofstream script(dir / "recorder");
        script << "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > \""
               << (dir / "args").string() << "\"\npwd > \"" << (dir / "cwd").string() << "\"\n";
        script.close();
        fs::permissions(dir / "recorder", fs::perms::owner_all);
        setenv(kBinDirEnvironment, dir.c_str(), 1);
    }
    void TearDown() override {
        unsetenv(kBinDirEnvironment);
        fs::remove_all(dir);
    }
    std::string Read(const char* name) {
        std::ifstream in(dir / name);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void WaitForEnd() {
        pid_t pid = LastShellProcess();
        while (!ShellProcessEnded(pid))
            std::this_thread::yield();
    }
    fs::path dir;
};

TEST_F(ShellTest, StartsTheProgramWithItsParametersSplitAtBlanks) {
    HINSTANCE r = ShellExecuteA(0, nullptr, "recorder.exe",
                                "Zq40Pro.DRV,DriverConfig getconfig  $1A2F0000 #1A370000", "",
                                SW_SHOWDEFAULT);
    EXPECT_GT(r, 32);
    WaitForEnd();
    EXPECT_EQ(Read("args"), "[Zq40Pro.DRV,DriverConfig]\n[getconfig]\n[$1A2F0000]\n[#1A370000]\n");
}

TEST_F(ShellTest, RunsInTheGivenDirectory) {
    fs::create_directories(dir / "work");
    ASSERT_GT(ShellExecuteA(0, "open", "recorder", "", (dir / "work").c_str(), SW_SHOWDEFAULT), 32);
    WaitForEnd();
    EXPECT_EQ(Read("cwd"), fs::canonical(dir / "work").string() + "\n");
}

TEST_F(ShellTest, MissingProgramsAndOtherVerbsAreRefused) {
    EXPECT_EQ(ShellExecuteA(0, nullptr, "rundll.exe", "x", "", SW_SHOWDEFAULT), SE_ERR_FNF);
    EXPECT_EQ(ShellExecuteA(0, nullptr, "../recorder", "x", "", SW_SHOWDEFAULT), SE_ERR_FNF);
    EXPECT_EQ(ShellExecuteA(0, "print", "recorder", "x", "", SW_SHOWDEFAULT), SE_ERR_NOASSOC);
}

// An installed tree: the programs in bin/, their helpers in the helper directory beside it.
TEST_F(ShellTest, HelpersAreFoundBesideTheProgramFirstThenInTheInstalledHelperDirectory) {
    const fs::path bin = dir / "usr/bin";
    const fs::path helpers = bin / VARNEL_HELPER_DIR_FROM_BIN;
    fs::create_directories(bin);
    fs::create_directories(helpers);
    auto program = [](const fs::path& path, fs::perms perms) {
        std::ofstream(path) << "#!/bin/sh\n";
        fs::permissions(path, perms);
    };
    program(helpers / "rundll", fs::perms::owner_all);
    EXPECT_EQ(HelperProgramPath("rundll", bin), (helpers / "rundll").string());
    // The build tree keeps every program in one directory, and a helper starts its sibling.
    program(bin / "rundll", fs::perms::owner_all);
    EXPECT_EQ(HelperProgramPath("rundll", bin), (bin / "rundll").string());
    EXPECT_EQ(HelperProgramPath("rundll", helpers), (helpers / "rundll").string());
    // Only an executable counts; with none, the error names the place beside the program.
    program(bin / "varnel-cardd", fs::perms::owner_read);
    EXPECT_EQ(HelperProgramPath("varnel-cardd", bin), (bin / "varnel-cardd").string());
    program(helpers / "varnel-cardd", fs::perms::owner_all);
    EXPECT_EQ(HelperProgramPath("varnel-cardd", bin), (helpers / "varnel-cardd").string());
    EXPECT_EQ(HelperProgramPath("nothing", bin), (bin / "nothing").string());
    // $VARNEL_BIN_DIR (set by the fixture) overrides both, whether the helper is there or not.
    EXPECT_EQ(HelperProgramPath("varnel-cardd"), (dir / "varnel-cardd").string());
}

// True once `pid` has been reaped, by whoever did it; waits at most two seconds.
bool ReapedSoon(pid_t pid) {
    siginfo_t info{};
    return testsupport::PollUntil(
        std::chrono::seconds(2),
        [&] {
            return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 &&
                   errno == ECHILD;
        },
        std::chrono::milliseconds(1));
}

TEST_F(ShellTest, EveryStartedProcessIsReapedUnaskedAndAHungOneCanBeEnded) {
    std::ofstream script(dir / "hang");
    script << "#!/bin/sh\nexec sleep 60\n";
    script.close();
    fs::permissions(dir / "hang", fs::perms::owner_all);

    ASSERT_GT(ShellExecuteA(0, nullptr, "recorder", "", "", SW_SHOWDEFAULT), 32);
    const pid_t quick = LastShellProcess();
    ASSERT_GT(ShellExecuteA(0, nullptr, "hang", "", "", SW_SHOWDEFAULT), 32);
    const pid_t hung = LastShellProcess();
    EXPECT_TRUE(ReapedSoon(quick)) << "nobody asked whether it ended";
    EXPECT_FALSE(ShellProcessEnded(hung));
    EndShellProcess(hung);
    EXPECT_TRUE(ShellProcessEnded(hung)) << "it no longer runs once EndShellProcess returns";
    EXPECT_TRUE(ReapedSoon(hung));
    EXPECT_TRUE(ShellProcessEnded(quick));
}

TEST(SharedWordTest, AWriterWakesTheWaiter) {
    volatile std::int32_t word = 0;
    std::atomic<bool> waiting{false};
    std::thread writer([&] {
        while (!waiting)
            std::this_thread::yield();
        word = 1;
        WakeSharedWord(&word);
    });
    waiting = true;
    while (word == 0)
        WaitSharedWord(&word, 0, 60000);
    writer.join();
    EXPECT_EQ(word, 1);
    WaitSharedWord(&word, 0, 60000); // the word already differs: returns at once
}

} // namespace
