#pragma once
// A small zero-filled block of 16-bit global memory shared with the driver: the driver receives
// its 16:16 address in a message parameter (or the configuration process on its command line)
// and writes its answer into it; the program reads the same bytes through the flat pointer.

#include "platform/WinTypes.h"

class SharedBlock {
public:
    SharedBlock() = default;
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;
    ~SharedBlock() { Release(); }

    // The windows' blocks are fixed while they live; the configuration channel's are not.
    enum class Pin { Fixed, Unfixed };

    // Allocates the block (and fixes it); true when its flat pointer could be had. A block whose
    // allocation succeeded but whose pointer did not keeps its address, so Release frees it.
    bool Obtain(DWORD size, Pin pin = Pin::Fixed);
    // Unfixes (when fixed) and frees the block when it has an address; nothing otherwise.
    void Release();

    DWORD Address() const { return address_; }
    BYTE* Flat() const { return flat_; }
    bool Usable() const { return flat_ != nullptr; }

private:
    DWORD address_ = 0;
    WORD handle16_ = 0;
    BYTE* flat_ = nullptr;
    bool fixed_ = false;
};
