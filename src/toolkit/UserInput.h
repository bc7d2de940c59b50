#pragma once
// The user's input, as the desktop backend, the automation endpoint and the tests deliver it.
// Each call acts as a user would: a click on a focusable control first moves the focus there,
// then completes the click; an error escaping a handler goes to the standard report. A call
// returns false when a user could not do it: the control or one of its parents (its window
// during another window's modal run, too) is disabled.

#include "toolkit/Types.h"

#include <string>

class TControl;
class TWinControl;
class TCustomForm;
class TEdit;
class TComboBox;
class TTrackBar;
class TPageControl;
class TControlScrollBar;
class AccessibleScale;
enum class TScrollCode;

class UserInput {
public:
    // Left button pressed and released in the middle of the control.
    static bool Click(TControl* control);
    static bool DblClick(TControl* control);
    // The second press of a double click at x, y (client area): the control's DblClick, then the
    // press as a user's.
    static bool DoubleClickPress(TControl* control, TShiftState shift, int x, int y);
    // The mouse wheel over a control: the nearest scrolling container around it (the control
    // itself, a scroll box, the window) scrolls three lines per step, up for positive steps.
    static bool Wheel(TControl* control, int steps);
    // x, y in the control's client area.
    static bool MouseDown(TControl* control, TMouseButton button, TShiftState shift, int x, int y);
    static bool MouseMove(TControl* control, TShiftState shift, int x, int y);
    static bool MouseUp(TControl* control, TMouseButton button, TShiftState shift, int x, int y);

    // Focus moved by the user (a click or Tab): OnExit of the old control, OnEnter of the new.
    static bool Focus(TWinControl* control);
    // Moves the focus away from the control to the next one (or to the window itself).
    static bool Leave(TWinControl* control);

    // A key on a window: KeyPreview, the focused control's OnKeyDown and its own keys (a track
    // bar's arrows), then the dialog keys: Alt+letter the caption's accelerator, Enter presses the
    // focused button or the default button, Esc the cancel button, Tab / Shift+Tab move the focus,
    // Ctrl+Tab / Ctrl+Shift+Tab turn the page control holding the focus, Space presses the focused
    // button, check box or radio button, the arrows walk a radio group.
    static bool KeyDown(TCustomForm* form, WORD key, TShiftState shift = 0);
    // A character typed into the window's focused control.
    static bool KeyPress(TCustomForm* form, char key);
    // One character (a whole UTF-8 sequence) typed into the window's focused control.
    static bool TypeCharacter(TCustomForm* form, const std::string& character);
    // Focuses the edit field, selects its text and types `text` over it, character by character.
    static bool TypeText(TEdit* edit, const std::string& text);
    // Chooses an item from the combo box's list.
    static bool SelectItem(TComboBox* combo, int index);
    // Opens a combo box's list (a click on it; it takes the focus) or closes it (the list lost
    // the mouse or the keyboard).
    static bool DropDown(TComboBox* combo, bool open);
    // Drags the track bar's thumb to a position (clamped to the range).
    static bool MoveTrackBar(TTrackBar* bar, int position);
    // Sets a scale of a library above the toolkit (a fader) to exactly `value`, as its keys do;
    // false when the control refuses.
    static bool MoveScale(AccessibleScale* scale, int value);
    // Works a scroll bar of a form or scroll box: an arrow, the track or the thumb.
    static bool Scroll(TControlScrollBar& bar, TScrollCode code, int pos = 0);
    // Clicks a tab.
    static bool SelectPage(TPageControl* pages, int index);

    // The window's close box.
    static bool CloseWindow(TCustomForm* form);
    // Chooses a system-menu item by its text.
    static bool ChooseSystemMenuItem(TCustomForm* form, const std::string& text);
    // The window manager moves, sizes or minimises / maximises / restores the window; the
    // form's own limits apply.
    static bool MoveWindow(TCustomForm* form, int left, int top);
    static bool ResizeWindow(TCustomForm* form, int width, int height);
    static bool ChangeWindowState(TCustomForm* form, TWindowState state);
    // The user brings a window to the front.
    static bool ActivateForm(TCustomForm* form);
    // The program as a whole gains or loses the desktop's activation.
    static void ActivateApplication(bool active);

private:
    static bool CanAct(const TControl* control);
    static void DialogKey(TCustomForm* form, TWinControl* focused, WORD key, TShiftState shift);
    static void PressAccelerator(TControl* target);
    static void TurnPage(TCustomForm* form, TWinControl* focused, bool forward);
    static void FocusForClick(TControl* control);
};
