#pragma once
// The per-process arena of 16-bit shared blocks. Each block gets a selector of its own and is
// addressed as selector:0000 (a 16:16 address). The arena is a POSIX shared-memory object (0600)
// so that the configuration process, started by this process, can reach the blocks whose
// addresses travel on its command line: it finds the arena by name in its environment.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace simcard {

class SharedArena {
public:
    // The environment variable through which a child process finds its parent's arena.
    static constexpr const char* kEnvironmentName = "VARNEL_ARENA";
    static constexpr std::uint32_t kMaxBlockSize = 0xFFFF;

    // This process's arena, created on first use (and its name exported to the environment);
    // null when it cannot be created.
    static SharedArena* Own();
    // Another process's arena, by name; null with a reason when it cannot be attached.
    static std::unique_ptr<SharedArena> Attach(const std::string& name, std::string& error);

    ~SharedArena();
    SharedArena(const SharedArena&) = delete;
    SharedArena& operator=(const SharedArena&) = delete;

    // A new block of `size` bytes (zero-filled when asked), or 0 when the arena is full, the size
    // is 0 or too large, or allocations are made to fail for a test.
    std::uint32_t Allocate(std::uint32_t size, bool zeroInit);
    bool Free(std::uint32_t address);
    // The flat address of `size` bytes at `address` inside a live block; null otherwise.
    void* Pointer(std::uint32_t address, std::uint32_t size);
    bool Pin(std::uint32_t address);
    bool Unpin(std::uint32_t address);
    // The block that starts exactly at `address` and is exactly `size` bytes long; null with a
    // reason otherwise. This is how the configuration process checks the addresses it is given.
    void* BlockAt(std::uint32_t address, std::uint32_t size, std::string& why);

    const std::string& Name() const { return name_; }
    std::size_t LiveBlocks() const;

    // Makes every later allocation of this process fail (for tests of the failure paths).
    static void SetAllocationFault(bool on);

    // The layout of the shared object: a header with the block table, then the blocks' data.
    struct Header;
    struct Entry;

private:
    SharedArena(std::string name, void* base, std::size_t size, bool owner);
    Entry* FindEntry(std::uint32_t address);

    std::string name_;
    void* base_;
    std::size_t size_;
    bool owner_;
};

} // namespace simcard
