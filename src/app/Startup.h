#pragma once
// The program's start, its own message loop and its end.

// Set by the tray main window when a card is about to be removed or the desktop session ends; the
// loop ends after the message that set it and closes the windows.
extern bool QuitRequested;

// The tip of the notification-area icon.
constexpr const char* kNotifyTip = "Einstellungen für Varnel PRO";

// Runs the program: asks the driver for its states and reports them, ends unless the driver is
// ready, else creates the windows, shows the icon and handles messages until QuitRequested.
// Returns the exit code, always 0. The forms it created are left to ShutdownProgram.
int RunProgram();

// The toolkit's shutdown: destroys the forms that are left and clears their variables.
void ShutdownProgram();
