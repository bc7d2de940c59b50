#pragma once
// The window chrome the channel windows and the mixer control window share: their system-menu
// items for the control panel's check boxes, the control panel itself and the about box; the
// topmost state; and closing a window held in a variable.

#include "toolkit/SystemMenu.h"
#include "toolkit/TForm.h"

class TCheckBox;

// Extends the system menu of the window holding `panel` with one check item per check box among
// the panel's direct children (column by column from the left, top to bottom within a column),
// " Fenstersteuerung anzeigen" for the panel and " Info..." for `aboutBox`; a non-zero
// extraSeparator adds one more separator before the panel's item. Returns the menu handle, or 0
// when the panel sits on no window.
HMENU BuildSystemMenu(TWinControl* panel, TObject* aboutBox, int extraSeparator);

// Brings the item of a check box or of the control panel in line with its control. Nothing happens
// for a null control or one that has no item.
void UpdateSystemMenuItem(TControl* control);

// The id of the item BuildSystemMenu made for `target` in the window's menu (0 when none), and
// the object behind a chosen command (null when it is none of these items). Ids are unique per
// window and lie below the platform's own system commands (SC_SIZE and up).
UINT SystemMenuItemId(const TCustomForm* window, const TObject* target);
TObject* SystemMenuItemTarget(const TCustomForm* window, UINT command);

// Topmost or not, without moving, sizing or activating the window.
void SetStayOnTop(TCustomForm* window, bool onTop);

// Closes the window a variable holds, destroys it and clears the variable; nothing when it holds
// none. The variable is cleared before the window is destroyed, so its OnDestroy sees it empty.
template <class T> void CloseAndFree(T*& window) {
    if (!window)
        return;
    window->Close();
    FreeAndNil(window);
}
