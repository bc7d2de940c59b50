#pragma once
// A small zero-filled block of 16-bit global memory that a channel window hands to the driver:
// the driver receives its 16:16 address in a message parameter and writes its answer into it;
// the window reads the same bytes through the flat pointer.

#include "platform/WinTypes.h"

class SharedBlock {
public:
    SharedBlock() = default;
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;
    ~SharedBlock() { Release(); }

    // Allocates and fixes the block; true when its flat pointer could be had. A block whose
    // allocation succeeded but whose pointer did not keeps its address, so Release frees it.
    bool Obtain(DWORD size);
    // Unfixes and frees the block when it has an address; nothing otherwise.
    void Release();

    DWORD Address() const { return address_; }
    BYTE* Flat() const { return flat_; }
    bool Usable() const { return flat_ != nullptr; }

private:
    DWORD address_ = 0;
    WORD handle16_ = 0;
    BYTE* flat_ = nullptr;
};
