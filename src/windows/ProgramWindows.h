#pragma once
// Registers every window class of the program with the mixer control window's registry; run once
// at start, before the hub is created.

void RegisterProgramWindows();
