#pragma once
// Icon resources and icon handles under their classic names. The program registers its icon
// resources (images of its own) by name; LoadIconA hands out a handle to one, DestroyIcon frees it.

#include "platform/WinTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// A square icon image, row by row, each pixel 0xAARRGGBB.
struct IconImage {
    int size = 0;
    std::vector<std::uint32_t> pixels;
};

void RegisterIconResource(const std::string& name, IconImage image);

// A handle to the named resource's icon; 0 when the program has no resource of that name.
HICON LoadIconA(HINSTANCE instance, const char* name);
BOOL DestroyIcon(HICON icon);
// The image behind a live handle, or null.
const IconImage* IconImageOf(HICON icon);
