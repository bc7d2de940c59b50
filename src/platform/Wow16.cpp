#include "platform/Wow16.h"

#include "platform/SharedArena.h"

DWORD WOWGlobalAllocLock16(WORD wFlags, DWORD cb, WORD* phMem) {
    SharedArena* arena = SharedArena::Own();
    DWORD address = arena ? arena->Allocate(cb, (wFlags & GMEM_ZEROINIT) != 0) : 0;
    if (phMem)
        *phMem = static_cast<WORD>(address >> 16);
    return address;
}

void* WOWGetVDMPointer(DWORD vp, DWORD dwBytes, BOOL) {
    SharedArena* arena = SharedArena::Own();
    return arena ? arena->Pointer(vp, dwBytes) : nullptr;
}

void* WOWGetVDMPointerFix(DWORD vp, DWORD dwBytes, BOOL fProtectedMode) {
    void* flat = WOWGetVDMPointer(vp, dwBytes, fProtectedMode);
    if (flat)
        SharedArena::Own()->Pin(vp);
    return flat;
}

void WOWGetVDMPointerUnfix(DWORD vp) {
    if (SharedArena* arena = SharedArena::Own())
        arena->Unpin(vp);
}

WORD WOWGlobalUnlockFree16(DWORD vpMem) {
    SharedArena* arena = SharedArena::Own();
    return arena && arena->Free(vpMem) ? 0 : static_cast<WORD>(vpMem >> 16);
}
