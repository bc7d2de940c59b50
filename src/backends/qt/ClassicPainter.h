#pragma once
// Draws every toolkit control class with the classic look, in the control's client coordinates.
// Windowed controls are drawn by their own widget; graphic controls by their parent's widget.

#include <QPoint>
#include <QRect>

class QPainter;
class TControl;
class TTrackBar;
class TPageControl;

struct PaintState {
    bool focused = false; // the control has the focus of the active window
    bool pressed = false; // a button held down by the mouse
};

void PaintControl(QPainter& p, TControl* control, const PaintState& state);

// The geometry that input needs as well as painting.
int TrackBarPositionAt(const TTrackBar* bar, QPoint point);
QRect PageTabRect(const TPageControl* pages, int index);
int PageTabAt(const TPageControl* pages, QPoint point);
