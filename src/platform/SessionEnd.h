#pragma once
// The end of the desktop session. Here a session ends with a signal: SIGTERM at logout, SIGINT
// from the terminal that started the program, SIGHUP when that terminal goes. Once watched, each of
// them reaches every top-level window as WM_ENDSESSION with wParam TRUE, sent (handled on the GUI
// thread as one message of the queue), as the system tells its windows at logoff. While the
// program has no top-level window yet, it is posted to the GUI thread as a thread message.

#include "platform/WinTypes.h"

constexpr UINT WM_ENDSESSION = 0x0016;

// Installs the watch; later calls do nothing. Before it, the signals keep their default action.
// The handler only writes a byte to a pipe; a thread of its own reads it and sends the message,
// so nothing but async-signal-safe work happens inside the handler.
void WatchSessionEnd();

// Ends the session as the signals do, for a request from outside (`varnel-manager --quit`). Before
// the watch is installed the request waits for it.
void RequestSessionEnd();
