#pragma once
// Where the keyboard goes inside a window: the Tab cycle, the arrow keys within a radio group,
// the Alt+letter accelerators of captions and the page control Ctrl+Tab turns.

#include "toolkit/Types.h"

#include <string>
#include <vector>

class TControl;
class TWinControl;
class TRadioButton;
class TPageControl;

// The controls Tab visits, in Tab order through nested containers. A radio group (the radio
// buttons of one parent) is one stop: its checked button, or its first one when none is checked.
std::vector<TWinControl*> TabStops(TWinControl* root);

// The next (or previous) radio button of the same group that can take the focus, wrapping
// around; null when there is none besides `from`.
TRadioButton* NextInRadioGroup(TRadioButton* from, bool forward);

// The letter after a caption's single "&" ("&&" is a plain ampersand), upper case; '\0' when the
// caption carries none or the character after "&" is not ASCII.
char AcceleratorOf(const std::string& caption);

// True when the caption carries `letter` after a single "&" ("&&" is a plain ampersand); the
// letter is compared without regard to case.
bool HasAccelerator(const std::string& caption, WORD letter);

// The first control, depth first in child order, that answers Alt+letter: a button, check box or
// radio button that can take the focus, or a showing label whose FocusControl can. Null if none.
TControl* FindAccelerator(TWinControl* root, WORD letter);

// The page control Ctrl+Tab turns: the focused one or the one holding the focus.
TPageControl* PageControlOf(TWinControl* focused);
