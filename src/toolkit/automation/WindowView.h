#pragma once
// The windows and controls as the automation names and shows them: a window by its caption or
// `#<hwnd>`, a control by its name; one line per window, one line per control of a window.

#include <string>

class TControl;
class TCustomForm;

// <hwnd> "<caption>" <class> visible=0/1 x= y= w= h= topmost=0/1 enabled=0/1, and active=1 on the
// active window
std::string WindowLine(TCustomForm* form);

// The window named so: `#<hwnd>`, or the first window with that caption, a visible one before a
// hidden one. Null with the reason in `error`.
TCustomForm* FindWindow(const std::string& name, std::string& error);

// The control of that name (case-insensitive) inside the window, wherever it sits, or one owned
// by the window; or, for an unnamed control, the address dump shows ("<parent>/<index>...").
// Null with the reason in `error`.
TControl* FindControl(TCustomForm* form, const std::string& name, std::string& error);

// True when a user cannot see the control: its window is not shown, or the control's own Visible
// or that of a container above it (its window included) is false. A tab sheet hidden only
// because another page is active does not count: its controls stay reachable.
bool HiddenFromUser(const TControl* control);

// The window and every control inside it, depth first in child order, two blanks of indent per
// level, one line each (ending in a line feed).
std::string DumpWindow(TCustomForm* form);
