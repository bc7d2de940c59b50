#include "platform/SharedArena.h"
#include "platform/Wow16.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct BlockGuard {
    DWORD address;
    ~BlockGuard() { WOWGlobalUnlockFree16(address); }
};

TEST(SharedBlockTest, LifecycleOfAZeroedBlock) {
    WORD handle = 0;
    DWORD address = WOWGlobalAllocLock16(GMEM_ZEROINIT, 8, &handle);
    ASSERT_NE(address, 0u);
    EXPECT_EQ(address & 0xFFFF, 0u) << "a block starts at offset 0 of its selector";
    EXPECT_EQ(handle, address >> 16);

    auto* flat = static_cast<unsigned char*>(WOWGetVDMPointerFix(address, 8, TRUE));
    ASSERT_NE(flat, nullptr);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(flat[i], 0);
    flat[7] = 0xAB;
    EXPECT_EQ(static_cast<unsigned char*>(WOWGetVDMPointer(address, 8, TRUE))[7], 0xAB);
    EXPECT_EQ(WOWGetVDMPointer(address + 4, 4, TRUE), flat + 4);
    WOWGetVDMPointerUnfix(address);

    EXPECT_EQ(WOWGlobalUnlockFree16(address), 0);
    EXPECT_EQ(WOWGetVDMPointer(address, 8, TRUE), nullptr) << "freed";
    EXPECT_NE(WOWGlobalUnlockFree16(address), 0) << "freed twice";
}

TEST(SharedBlockTest, AddressesOutsideALiveBlockGiveNull) {
    BlockGuard block{WOWGlobalAllocLock16(GMEM_ZEROINIT, 4, nullptr)};
    EXPECT_EQ(WOWGetVDMPointer(block.address, 5, TRUE), nullptr) << "past the end";
    EXPECT_EQ(WOWGetVDMPointer(block.address + 3, 2, TRUE), nullptr);
    EXPECT_EQ(WOWGetVDMPointer(0, 4, TRUE), nullptr);
    EXPECT_EQ(WOWGetVDMPointer(0xFFF70000, 4, TRUE), nullptr) << "unknown selector";
    EXPECT_EQ(WOWGetVDMPointerFix(0x12345678, 4, TRUE), nullptr);
    WOWGetVDMPointerUnfix(0x12345678); // harmless
    EXPECT_NE(WOWGlobalUnlockFree16(0x12345678), 0);
}

TEST(SharedBlockTest, BlocksDoNotOverlapAndFreedAddressesAreNotReusedAtOnce) {
    DWORD a = WOWGlobalAllocLock16(GMEM_ZEROINIT, 800, nullptr);
    DWORD b = WOWGlobalAllocLock16(GMEM_ZEROINIT, 800, nullptr);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    std::memset(WOWGetVDMPointer(a, 800, TRUE), 0x11, 800);
    std::memset(WOWGetVDMPointer(b, 800, TRUE), 0x22, 800);
    EXPECT_EQ(static_cast<unsigned char*>(WOWGetVDMPointer(a, 800, TRUE))[799], 0x11);
    WOWGlobalUnlockFree16(a);
    BlockGuard c{WOWGlobalAllocLock16(GMEM_ZEROINIT, 800, nullptr)};
    EXPECT_NE(c.address, a);
    EXPECT_EQ(static_cast<unsigned char*>(WOWGetVDMPointer(c.address, 800, TRUE))[0], 0)
        << "zero-initialised even where a freed block was";
    WOWGlobalUnlockFree16(b);
}

TEST(SharedBlockTest, FailedAllocationsGiveZero) {
    EXPECT_EQ(WOWGlobalAllocLock16(GMEM_ZEROINIT, 0, nullptr), 0u);
    EXPECT_EQ(WOWGlobalAllocLock16(GMEM_ZEROINIT, 0x10000, nullptr), 0u);
    SharedArena::SetAllocationFault(true);
    WORD handle = 1;
    EXPECT_EQ(WOWGlobalAllocLock16(GMEM_ZEROINIT, 4, &handle), 0u);
    EXPECT_EQ(handle, 0);
    SharedArena::SetAllocationFault(false);
    std::vector<DWORD> blocks;
    for (DWORD a; (a = WOWGlobalAllocLock16(0, 0xFFFF, nullptr)) != 0;)
        blocks.push_back(a);
    EXPECT_FALSE(blocks.empty());
    EXPECT_LT(blocks.size(), 256u) << "the arena fills up and then says no";
    for (DWORD a : blocks)
        WOWGlobalUnlockFree16(a);
}

TEST(SharedBlockTest, AnotherProcessReachesTheBlocksThroughItsEnvironment) {
    BlockGuard data{WOWGlobalAllocLock16(GMEM_ZEROINIT, 20, nullptr)};
    BlockGuard done{WOWGlobalAllocLock16(GMEM_ZEROINIT, 4, nullptr)};
    const char* name = std::getenv(SharedArena::kEnvironmentName);
    ASSERT_NE(name, nullptr);

    pid_t child = fork();
    if (child == 0) {
        std::string error, why;
        auto arena = SharedArena::Attach(name, error);
        if (!arena)
            _exit(10);
        if (arena->BlockAt(data.address, 4, why) || why.find("holds 20 bytes") == std::string::npos)
            _exit(11); // the wrong size is refused, with a reason
        if (arena->BlockAt(data.address + 2, 18, why))
            _exit(12);
        auto* record = static_cast<std::int32_t*>(arena->BlockAt(data.address, 20, why));
        auto* word = static_cast<std::int32_t*>(arena->BlockAt(done.address, 4, why));
        if (!record || !word)
            _exit(13);
        record[0] = 1;
        record[4] = -7;
        *word = 1;
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    auto* record = static_cast<std::int32_t*>(WOWGetVDMPointer(data.address, 20, TRUE));
    EXPECT_EQ(record[0], 1);
    EXPECT_EQ(record[4], -7);
    EXPECT_EQ(*static_cast<std::int32_t*>(WOWGetVDMPointer(done.address, 4, TRUE)), 1);
}

TEST(SharedBlockTest, AttachRefusesWhatIsNotAnArena) {
    std::string error;
    EXPECT_EQ(SharedArena::Attach("/no-such-arena-here", error), nullptr);
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    EXPECT_EQ(SharedArena::Attach("../etc/passwd", error), nullptr);
    EXPECT_NE(error.find("not an arena name"), std::string::npos);
}

} // namespace

// Arenas of this user that killed processes left behind are removed when a process makes its
// own; those of live processes stay. The arena is made in a child, whose first use it is.
TEST(SharedBlockTest, MakingAnArenaRemovesThoseOfDeadProcessesOfThisUser) {
    auto arenaOf = [](pid_t pid) {
        return "/varnel-arena-" + std::to_string(getuid()) + "-" + std::to_string(pid);
    };
    auto leave = [](const std::string& name) {
        const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT, 0600);
        if (fd >= 0)
            close(fd);
        return fd >= 0;
    };
    auto exists = [](const std::string& name) {
        const int fd = shm_open(name.c_str(), O_RDONLY, 0);
        if (fd >= 0)
            close(fd);
        return fd >= 0;
    };
    const pid_t dead = fork();
    if (dead == 0)
        _exit(0);
    waitpid(dead, nullptr, 0);
    const pid_t alive = fork();
    if (alive == 0) {
        pause();
        _exit(0);
    }
    ASSERT_TRUE(leave(arenaOf(dead)));
    ASSERT_TRUE(leave(arenaOf(alive)));

    const pid_t maker = fork();
    if (maker == 0)
        std::exit(SharedArena::Own() != nullptr ? 0 : 1);
    int status = 0;
    waitpid(maker, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "no arena made";
    EXPECT_FALSE(exists(arenaOf(dead)));
    EXPECT_TRUE(exists(arenaOf(alive)));
    EXPECT_FALSE(exists(arenaOf(maker))) << "an arena outlives its process";

    kill(alive, SIGKILL);
    waitpid(alive, nullptr, 0);
    shm_unlink(arenaOf(alive).c_str());
}
