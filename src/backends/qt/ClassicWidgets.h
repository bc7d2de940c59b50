#pragma once
// The standard windowed controls (buttons, check boxes, radio buttons, group boxes, edits, combo
// boxes, track bars, page controls) and the frame primitives every classic control is made of.

#include "backends/qt/ClassicPainter.h"
#include "toolkit/Types.h"

#include <QColor>
#include <QPalette>
#include <QStyleOption>

class TControl;

// The classic frame primitives: width rings of a top-left and a bottom-right colour, each
// shrinking the rectangle by one pixel.
void Frame3D(QPainter& p, QRect& r, const QColor& topLeft, const QColor& bottomRight, int width);
void SunkenEdge(QPainter& p, QRect& r);
void RaisedEdge(QPainter& p, QRect& r);
// The control's caption in its font and colour, embossed when disabled; `&` underlines.
void DrawCaption(QPainter& p, const QRect& r, const TControl* control, int flags);
int AlignmentFlags(TAlignment alignment);
// The classic dotted rectangle around the focused control (or its caption).
void FocusRect(QPainter& p, const QRect& r);
// The classic scheme's colours for the style's primitives.
QPalette ClassicPalette();

void PaintStandardControl(QPainter& p, TControl* control, const PaintState& state);
