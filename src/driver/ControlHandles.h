#pragma once
// Control handles: wave handles on the card's devices, opened with the control format, which
// carry no audio and are only the address of driver messages.

#include "platform/WinTypes.h"

#include <cstdint>
#include <span>

// A recording or playback wave handle; 0 when not open.
using ControlHandle = std::uintptr_t;

// Opens the handle of one slot (recording or playback) with the control format; `window`
// receives the driver's callbacks, or 0. A failed open, or a slot outside the tables, raises
// EAbort.
ControlHandle OpenControlHandle(HWND window, int slot, bool isOutput);

// Opens one handle per card and channel into `handles`, card-major: card c, channel ch at
// (c - firstCard) × (lastChannel - firstChannel + 1) + (ch - firstChannel). `kind` is 0 analog,
// 1 digital, 2 ADAT; channels 2p and 2p + 1 share a device. EAbort on an unknown kind, a failed
// open (handles opened so far stay for the owner to close) or an array too short.
void OpenControlRange(HWND window, int kind, bool isOutput, int firstChannel, int lastChannel,
                      int firstCard, int lastCard, std::span<ControlHandle> handles);

// Closes the first `count` handles that are open; a closed one becomes 0, one that fails to
// close stays as it was.
void CloseControlHandles(bool isOutput, int count, std::span<ControlHandle> handles);

// Sends a driver message on its side's handle (the message decides recording or playback);
// dwParam2 is always 0. Returns the driver's result.
MMRESULT SendControlMessage(ControlHandle handle, UINT message, DWORD_PTR param1);
