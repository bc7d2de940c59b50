#pragma once
// While a message box is open its owner window takes no input, as the desktop's own boxes do: the
// window the owner handle names (or the form holding that control) is disabled for the box's
// lifetime and enabled again afterwards, unless it was disabled already or has gone meanwhile.

#include "platform/WindowTable.h"

class MessageBoxOwnerLock {
public:
    explicit MessageBoxOwnerLock(HWND owner);
    ~MessageBoxOwnerLock();
    MessageBoxOwnerLock(const MessageBoxOwnerLock&) = delete;
    MessageBoxOwnerLock& operator=(const MessageBoxOwnerLock&) = delete;

private:
    HWND disabled_ = 0; // the form this lock disabled, by handle: it may be freed meanwhile
};
