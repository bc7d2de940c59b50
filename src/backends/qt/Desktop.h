#pragma once
// The desktop entry of the manager. This header includes no Qt: the program's main calls it and
// links the backend library, and nothing of the program ever sees Qt.
//
// Call StartDesktop before anything else, with main's own argc and argv:
// - Headless: VARNEL_HEADLESS is set, or no display can be opened; nothing was installed and the
//   program runs with its headless services.
// - Desktop: Qt runs; windows, message boxes, the notification icon, screenshots and the
//   single-instance socket are installed, and every loop of the program runs Qt's events.
// - AlreadyRunning: another manager of this user runs on this desktop and was asked to show its
//   hub; the caller exits with 0 at once.
// Call StopDesktop when the program's loop has ended (before or after its forms are freed).

#include <string>

enum class DesktopStart { Headless, Desktop, AlreadyRunning };

// Asks the manager running for this user on this desktop to end as on SIGTERM and waits for its
// end; false with the reason when none runs or it did not end. Starts nothing itself.
bool QuitRunningManager(std::string& error);

DesktopStart StartDesktop(int& argc, char** argv);
void StopDesktop();
