#pragma once
// Qt's mouse buttons, modifiers and keys in the toolkit's terms.

#include "toolkit/Types.h"

#include <Qt>

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
// False for a button the toolkit does not know.
bool ButtonOf(Qt::MouseButton qtButton, TMouseButton& button);
// The virtual key of a Qt key, 0 for none the program can see.
WORD VirtualKeyOf(int qtKey);
