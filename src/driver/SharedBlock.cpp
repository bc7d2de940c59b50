#include "driver/SharedBlock.h"

#include "platform/Wow16.h"

bool SharedBlock::Obtain(DWORD size, Pin pin) {
    Release();
    address_ = WOWGlobalAllocLock16(GMEM_ZEROINIT, size, &handle16_);
    fixed_ = pin == Pin::Fixed;
    void* flat = nullptr;
    if (address_)
        flat = fixed_ ? WOWGetVDMPointerFix(address_, size, TRUE)
                      : WOWGetVDMPointer(address_, size, TRUE);
    flat_ = static_cast<BYTE*>(flat);
    return flat_ != nullptr;
}

void SharedBlock::Release() {
    if (address_ == 0)
        return;
    if (fixed_)
        WOWGetVDMPointerUnfix(address_);
    WOWGlobalUnlockFree16(address_);
    address_ = 0;
    handle16_ = 0;
    flat_ = nullptr;
}
