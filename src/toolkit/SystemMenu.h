#pragma once
// The system menu of each window (the menu of its title-bar icon) under the classic names. The
// model keeps the items so that a backend or the automation can list and choose them; choosing
// one delivers WM_SYSCOMMAND with its id to the window.

#include "platform/WinTypes.h"

#include <string>
#include <vector>

using HMENU = std::uint32_t;
using UINT_PTR = std::uintptr_t;

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;

struct SystemMenuItem {
    UINT id = 0;
    std::string text; // UTF-8, at most 255 characters
    bool separator = false;
    bool checked = false;
    bool grayed = false;
};

// The window's system menu, made with the standard items on first use; 0 for a window that does
// not exist. classic behaviour: bRevert = TRUE throws the additions away and returns 0.
HMENU GetSystemMenu(HWND hwnd, BOOL bRevert);
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, const char* text);
BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR newId, const char* text);
int GetMenuItemCount(HMENU menu);

// The items of a window's system menu, in order (the standard ones when none was made yet).
std::vector<SystemMenuItem> SystemMenuItems(HWND hwnd);
// Chooses the first enabled item with that text (or id): sends WM_SYSCOMMAND. False when none.
bool ChooseSystemMenuItem(HWND hwnd, const std::string& text);
bool ChooseSystemMenuCommand(HWND hwnd, UINT id);
// Forgets a window's menu (its window is going away).
void DestroySystemMenu(HWND hwnd);
