#pragma once
// The classic controls for assistive technology. A windowed control is seen through its widget;
// a control its parent paints (labels, speed buttons, bevels, shapes) gets an interface of its
// own, registered with Qt while the control lives. The backend passes on what it learns of the
// model's changes, so screen readers hear of them without polling. On a desktop session Qt's
// bridge carries the same tree to the screen readers.

#include "toolkit/BackendObserver.h"

#include <vector>

class QAccessibleInterface;
class TComboBox;
class TControl;

// Lets Qt ask the backend for the interfaces of its widgets; the backend calls it at start.
void InstallAccessibility();

// The interface of a control, or null while it has none on the desktop.
QAccessibleInterface* AccessibleOf(TControl* control);
// The interface of a drop-down list's item, made when first asked for.
QAccessibleInterface* AccessibleItemOf(TComboBox* combo, int index);
// The children of a control that have an interface, in child order.
std::vector<TControl*> AccessibleChildren(const TControl* control);

void AccessibleControlDestroyed(TControl* control);
void AccessiblePropertyChanged(TControl* control, TControlProperty which);
// A meter's lamps change up to 25 times a second in every channel of a window: assistive
// technology hears of it at most twice a second (the program's clock), only when another number
// of lamps is lit, and not at all while its window is hidden or minimised. True when the change
// is to be announced now; it then counts as announced.
bool MeterAnnouncementDue(const TControl* meter);
// A control is repainted: a lamp that goes on or off changes its meter's value.
void AccessibleRepainted(TControl* control);
// The backend goes: every painted control's interface goes with it.
void ForgetPaintedAccessibles();
