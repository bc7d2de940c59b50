#pragma once
// The 16-bit global memory services under their classic names, over the process's SharedArena.

#include "platform/WinTypes.h"

constexpr WORD GMEM_ZEROINIT = 0x40;

// Returns the block's 16:16 address (selector in the high word), or 0 on failure; *phMem (when
// given) receives the block's 16-bit handle, its selector.
DWORD WOWGlobalAllocLock16(WORD wFlags, DWORD cb, WORD* phMem);
// Flat address of cb bytes at vp, or null when vp does not lie in a live block.
void* WOWGetVDMPointer(DWORD vp, DWORD dwBytes, BOOL fProtectedMode);
void* WOWGetVDMPointerFix(DWORD vp, DWORD dwBytes, BOOL fProtectedMode);
void WOWGetVDMPointerUnfix(DWORD vp);
// Returns 0 when the block was freed, else the handle that could not be freed.
WORD WOWGlobalUnlockFree16(DWORD vpMem);
