#pragma once
// The device-change broadcast: the driver's query whether a device may be removed reaches every
// top-level window as WM_DEVICECHANGE, sent (handled on the GUI thread as one message of the
// queue, the sender waiting for the result).

#include "platform/WinTypes.h"

#include <functional>

constexpr WPARAM DBT_DEVICEQUERYREMOVE = 0x8001;
constexpr WPARAM DBT_DEVICEREMOVECOMPLETE = 0x8004;
constexpr DWORD DBT_DEVTYP_DEVNODE = 1;

struct DEV_BROADCAST_HDR {
    DWORD dbch_size;
    DWORD dbch_devicetype;
    DWORD dbch_reserved;
};

struct DEV_BROADCAST_DEVNODE {
    DWORD dbcd_size;
    DWORD dbcd_devicetype;
    DWORD dbcd_reserved;
    DWORD dbcd_devnode;
};
static_assert(sizeof(DEV_BROADCAST_DEVNODE) == 16);

// Sends WM_DEVICECHANGE with `event` and a device-node record to every top-level window, one
// after the other, and returns when all have handled it. The record lives for the call. Any
// thread; from another thread than the GUI thread it waits until the GUI thread has handled it.
void BroadcastDeviceChange(WPARAM event, DWORD devnode);

// Delivers a broadcast from the thread that learns of it. On the GUI thread it is sent at once;
// from any other thread every window's message joins the queue before the call returns, and a
// delivery thread of its own waits for them, so that the caller (the reader of the driver's
// connection) never waits for the GUI thread, which may be busy for a while (a configuration
// command) and may itself be waiting for that reader. `done` runs after every window has handled
// the message, on the delivery thread.
void QueueDeviceChange(WPARAM event, DWORD devnode, std::function<void()> done);
