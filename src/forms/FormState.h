#pragma once
// The persisted state of a window in the INI file: the values of its marked components and, on
// request, its place, size and hint setting. The section is the window's caption followed by the
// suffix; a key is a component's name. A component takes part when it has a name and its tag holds
// every bit of the mask (a mask of 0: every named component).
//
// Values: a check box's checked state, a panel's visibility, an edit field's text, a page
// control's active page, a speed button's down state, a slider's position and a combo box's
// selected index; components of other classes are passed over. Placement keys: "Top", "Left",
// "Width", "Height" and "Hints" (1 or 0).

#include "platform/WinTypes.h"
#include "toolkit/TForm.h"

#include <cstdint>
#include <string>

// Applies the stored values as the user's changes would (a check box runs its click reaction when
// its state changes; a speed button goes down or up by the plain rule, then runs its OnClick) and
// lets pending messages run after each component. A missing key, a value that is no integer, and a
// stored size that is not positive keep the current state. A stored slider position outside the
// slider's range raises its range error and ends the restore there; the program beginning to end
// while pending messages run ends it with the silent abort (EAbort).
void RestoreFormState(TCustomForm* window, const std::string& fileName,
                      const std::string& sectionSuffix, WORD withPlacement, std::int32_t tagMask);

// Writes the same keys. Returns false when a write failed (an unreadable or unwritable file stays
// as it was); the remaining keys are still tried.
bool SaveFormState(TCustomForm* window, const std::string& fileName,
                   const std::string& sectionSuffix, WORD withPlacement, std::int32_t tagMask);
