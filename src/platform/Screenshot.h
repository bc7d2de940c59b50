#pragma once
// Pictures of the program's windows for the automation endpoint. Only a desktop backend can draw
// a window; without one there is no service and a request gets a clear error.

#include "platform/WinTypes.h"

#include <string>

class IScreenshotService {
public:
    virtual ~IScreenshotService() = default;
    // Saves the window's client area as a PNG file; on failure returns false and says why.
    virtual bool SaveWindowPng(HWND hwnd, const std::string& path, std::string& error) = 0;
};

// Installs a service (null: none) and returns the previous one; the installer keeps ownership.
IScreenshotService* InstallScreenshotService(IScreenshotService* service);
// The installed service, or null when no desktop draws the windows.
IScreenshotService* ScreenshotService();
