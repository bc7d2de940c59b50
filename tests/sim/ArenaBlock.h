#pragma once
// A shared block of this process's arena as the configuration process sees it: its address on
// the command line, its bytes to check after the process ran. Freed at the end of the scope.

#include "platform/Wow16.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace simcard::test {

struct ArenaBlock {
    explicit ArenaBlock(DWORD size)
        : size(size), address(WOWGlobalAllocLock16(GMEM_ZEROINIT, size, nullptr)),
          flat(static_cast<std::uint8_t*>(WOWGetVDMPointer(address, size, TRUE))) {}
    ~ArenaBlock() {
        if (address)
            WOWGlobalUnlockFree16(address);
    }
    ArenaBlock(const ArenaBlock&) = delete;
    ArenaBlock& operator=(const ArenaBlock&) = delete;

    bool Zero() const {
        for (DWORD i = 0; i < size; ++i)
            if (flat[i])
                return false;
        return true;
    }
    std::int32_t Int(std::size_t at = 0) const {
        std::int32_t v;
        std::memcpy(&v, flat + at, 4);
        return v;
    }
    // The command-line argument naming the block: the prefix and eight hexadecimal digits.
    std::string Arg(char prefix) const {
        char text[16];
        std::snprintf(text, sizeof text, "%c%08X", prefix, static_cast<unsigned>(address));
        return text;
    }

    DWORD size;
    DWORD address;
    std::uint8_t* flat;
};

} // namespace simcard::test
