#pragma once
// Screenshots of the program's windows for the automation endpoint: the window's client area,
// drawn by the backend as it is now, saved as PNG.

#include "platform/Screenshot.h"

class QtScreenshots : public IScreenshotService {
public:
    bool SaveWindowPng(HWND hwnd, const std::string& path, std::string& error) override;
};
