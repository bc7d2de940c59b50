#pragma once
// The program's window and notification-area icon, loaded once at start from the resource
// "MIXERICON"; 0 until then. Every window of the program shows it.

#include "platform/WinTypes.h"

extern HICON MixerIcon;
