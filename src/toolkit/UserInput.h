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
enum class TScrollCode;

class UserInput {
public:
    // Left button pressed and released in the middle of the control.
    static bool Click(TControl* control);
    static bool DblClick(TControl* control);
    // x, y in the control's client area.
    static bool MouseDown(TControl* control, TMouseButton button, TShiftState shift, int x, int y);
    static bool MouseMove(TControl* control, TShiftState shift, int x, int y);
    static bool MouseUp(TControl* control, TMouseButton button, TShiftState shift, int x, int y);

    // Focus moved by the user (a click or Tab): OnExit of the old control, OnEnter of the new.
    static bool Focus(TWinControl* control);
    // Moves the focus away from the control to the next one (or to the window itself).
    static bool Leave(TWinControl* control);

    // A key on a window: KeyPreview, the focused control's OnKeyDown, then the dialog keys:
    // Enter presses the focused button or the default button, Esc the cancel button, Tab moves
    // the focus.
    static bool KeyDown(TCustomForm* form, WORD key, TShiftState shift = 0);
    // A character typed into the window's focused control.
    static bool KeyPress(TCustomForm* form, char key);
    // Focuses the edit field, selects its text and types `text` over it, character by character.
    static bool TypeText(TEdit* edit, const std::string& text);
    // Chooses an item from the combo box's list.
    static bool SelectItem(TComboBox* combo, int index);
    // Drags the track bar's thumb to a position (clamped to the range).
    static bool MoveTrackBar(TTrackBar* bar, int position);
    // Works a scroll bar of a form or scroll box: an arrow, the track or the thumb.
    static bool Scroll(TControlScrollBar& bar, TScrollCode code, int pos = 0);
    // Clicks a tab.
    static bool SelectPage(TPageControl* pages, int index);

    // The window's close box.
    static bool CloseWindow(TCustomForm* form);
    // Chooses a system-menu item by its text.
    static bool ChooseSystemMenuItem(TCustomForm* form, const std::string& text);
    // The user brings a window to the front.
    static bool ActivateForm(TCustomForm* form);
    // The program as a whole gains or loses the desktop's activation.
    static void ActivateApplication(bool active);

private:
    static bool CanAct(const TControl* control);
    static void FocusForClick(TControl* control);
};
