#include "windows/SharedBlock.h"

#include "platform/Wow16.h"

bool SharedBlock::Obtain(DWORD size) {
    Release();
    address_ = WOWGlobalAllocLock16(GMEM_ZEROINIT, size, &handle16_);
    flat_ = address_ ? static_cast<BYTE*>(WOWGetVDMPointerFix(address_, size, TRUE)) : nullptr;
    return flat_ != nullptr;
}

void SharedBlock::Release() {
    if (address_ == 0)
        return;
    WOWGetVDMPointerUnfix(address_);
    WOWGlobalUnlockFree16(address_);
    address_ = 0;
    handle16_ = 0;
    flat_ = nullptr;
}
