#pragma once
// Draws every toolkit control class with the classic look, in the control's client coordinates.
// Windowed controls are drawn by their own widget; graphic controls by their parent's widget.

#include <QPoint>
#include <QRect>
#include <QStyle>

class QPainter;
class TControl;
class TControlScrollBar;
class TScrollingWinControl;
class TTrackBar;
class TPageControl;

struct PaintState {
    bool focused = false; // the control has the focus of the active window
    bool pressed = false; // a button held down by the mouse
    // A scroll bar's thumb being dragged, drawn where the mouse holds it.
    const TControlScrollBar* draggedBar = nullptr;
    int draggedPosition = 0;
};

void PaintControl(QPainter& p, TControl* control, const PaintState& state);

// A graphic control that covers its whole rectangle with solid colours and nothing else: a
// rectangle shape with a one-pixel outline, as every lamp of a meter is. Its widget paints it
// straight at `at` (widget coordinates) and need not paint what lies under it.
bool IsOpaqueRectangle(const TControl* control);
void PaintOpaqueRectangle(QPainter& p, const TControl* control, const QRect& at);

// The geometry that input needs as well as painting.
int TrackBarPositionAt(const TTrackBar* bar, QPoint point);
QRect PageTabRect(const TPageControl* pages, int index);
int PageTabAt(const TPageControl* pages, QPoint point);

// The part of a scrolling control's bars under a point of its widget; `origin` is where its
// client area starts in the widget. For the thumb, `grab` is the point's distance from the
// thumb's start along the bar.
struct ScrollBarHit {
    TControlScrollBar* bar = nullptr;
    QStyle::SubControl part = QStyle::SC_None;
    int grab = 0;
};
ScrollBarHit ScrollBarAt(TScrollingWinControl* control, QPoint origin, QPoint point);
// The position the bar's thumb takes, held `grab` pixels from its start, with the mouse at `point`.
int ScrollBarPositionAt(const TControlScrollBar& bar, QPoint origin, QPoint point, int grab);
