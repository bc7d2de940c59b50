#include "backends/qt/ClassicPainter.h"

#include "backends/qt/ClassicLook.h"
#include "backends/qt/ClassicWidgets.h"
#include "toolkit/TBevel.h"
#include "toolkit/TForm.h"
#include "toolkit/TImage.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPanel.h"
#include "toolkit/TScrollBox.h"
#include "toolkit/TShape.h"
#include "toolkit/TSpeedButton.h"

#include <QImage>
#include <QPainter>

// Section index: the classic frame primitives; panels, bevels and shapes; labels and speed
// buttons; pictures; the dispatch by class.

void Frame3D(QPainter& p, QRect& r, const QColor& topLeft, const QColor& bottomRight, int width) {
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        p.setPen(topLeft);
        p.drawLine(r.left(), r.bottom(), r.left(), r.top());
        p.drawLine(r.left(), r.top(), r.right(), r.top());
        p.setPen(bottomRight);
        p.drawLine(r.right(), r.top(), r.right(), r.bottom());
        p.drawLine(r.right(), r.bottom(), r.left(), r.bottom());
        r.adjust(1, 1, -1, -1);
    }
}

void SunkenEdge(QPainter& p, QRect& r) {
    Frame3D(p, r, ToQColor(clBtnShadow), ToQColor(clBtnHighlight), 1);
    Frame3D(p, r, ToQColor(cl3DDkShadow), ToQColor(cl3DLight), 1);
}

void RaisedEdge(QPainter& p, QRect& r) {
    Frame3D(p, r, ToQColor(clBtnHighlight), ToQColor(cl3DDkShadow), 1);
    Frame3D(p, r, ToQColor(cl3DLight), ToQColor(clBtnShadow), 1);
}

void DrawCaption(QPainter& p, const QRect& r, const TControl* control, int flags) {
    const QString text = CaptionText(control->Caption(), control->Font());
    if (text.isEmpty())
        return;
    p.setFont(ToQFont(control->Font()));
    flags |= Qt::TextShowMnemonic;
    if (!control->EnabledInParents()) {
        // classic behaviour: disabled text is embossed, a white copy under the grey one.
        p.setPen(ToQColor(clBtnHighlight));
        p.drawText(r.translated(1, 1), flags, text);
        p.setPen(ToQColor(clBtnShadow));
    } else {
        p.setPen(ToQColor(control->Font().Color()));
    }
    p.drawText(r, flags, text);
}

int AlignmentFlags(TAlignment alignment) {
    switch (alignment) {
    case taRightJustify:
        return Qt::AlignRight;
    case taCenter:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignLeft;
    }
}

namespace {

QRect ClientQRect(const TControl* c) {
    return QRect(0, 0, c->Width(), c->Height());
}

void PaintPanel(QPainter& p, TCustomPanel* panel) {
    QRect r = ClientQRect(panel);
    if (panel->BorderStyle() == bsSingle)
        SunkenEdge(p, r);
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        QColor light = ToQColor(clBtnHighlight), dark = ToQColor(clBtnShadow);
        if (cut == bvLowered)
            std::swap(light, dark);
        if (cut == bvSpace)
            light = dark = ToQColor(panel->Color());
        Frame3D(p, r, light, dark, panel->BevelWidth());
    };
    bevel(panel->BevelOuter());
    const QColor face = ToQColor(panel->Color());
    Frame3D(p, r, face, face, panel->BorderWidth());
    bevel(panel->BevelInner());
    p.fillRect(r, face);
    DrawCaption(p, r, panel,
                Qt::AlignVCenter | Qt::TextSingleLine | AlignmentFlags(panel->Alignment()));
}

void PaintBevel(QPainter& p, TBevel* bevel) {
    QColor c1 = ToQColor(clBtnShadow), c2 = ToQColor(clBtnHighlight);
    if (bevel->Style() == bsRaised)
        std::swap(c1, c2);
    const int w = bevel->Width(), h = bevel->Height();
    QRect r = ClientQRect(bevel);
    switch (bevel->Shape()) {
    case bsBox:
        Frame3D(p, r, c1, c2, 1);
        break;
    case bsFrame: {
        QRect outer(0, 0, w - 1, h - 1);
        Frame3D(p, outer, c1, c1, 1);
        QRect inner(1, 1, w - 1, h - 1);
        Frame3D(p, inner, c2, c2, 1);
        break;
    }
    case bsTopLine:
        p.setPen(c1);
        p.drawLine(0, 0, w - 1, 0);
        p.setPen(c2);
        p.drawLine(0, 1, w - 1, 1);
        break;
    case bsBottomLine:
        p.setPen(c1);
        p.drawLine(0, h - 2, w - 1, h - 2);
        p.setPen(c2);
        p.drawLine(0, h - 1, w - 1, h - 1);
        break;
    case bsLeftLine:
        p.setPen(c1);
        p.drawLine(0, 0, 0, h - 1);
        p.setPen(c2);
        p.drawLine(1, 0, 1, h - 1);
        break;
    case bsRightLine:
        p.setPen(c1);
        p.drawLine(w - 2, 0, w - 2, h - 1);
        p.setPen(c2);
        p.drawLine(w - 1, 0, w - 1, h - 1);
        break;
    case bsSpacer:
        break;
    }
}

void PaintShape(QPainter& p, TShape* shape) {
    const int pw = shape->PenWidth();
    int x = pw / 2, y = pw / 2;
    int w = shape->Width() - pw + 1, h = shape->Height() - pw + 1;
    if (pw == 0) {
        w = shape->Width();
        h = shape->Height();
    }
    if (shape->Shape() == stSquare || shape->Shape() == stRoundSquare ||
        shape->Shape() == stCircle) {
        const int side = std::min(w, h);
        x += (w - side) / 2;
        y += (h - side) / 2;
        w = h = side;
    }
    p.setBrush(ToQColor(shape->BrushColor()));
    if (pw > 0) {
        QPen pen(ToQColor(shape->PenColor()));
        pen.setWidth(pw);
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
    } else {
        p.setPen(Qt::NoPen);
    }
    // A GDI figure covers [x, x + w); Qt's outline is centred on the path, hence the - 1.
    const QRect r(x, y, w - 1, h - 1);
    switch (shape->Shape()) {
    case stEllipse:
    case stCircle:
        p.setRenderHint(QPainter::Antialiasing, true);
        p.drawEllipse(r);
        p.setRenderHint(QPainter::Antialiasing, false);
        break;
    case stRoundRect:
    case stRoundSquare: {
        const int radius = std::min(w, h) / 4;
        p.drawRoundedRect(r, radius, radius);
        break;
    }
    default:
        if (pw == 1 && w > 0 && h > 0) {
            // The lamps of every meter take this path: a fill and a one-pixel outline.
            p.fillRect(QRect(x, y, w, h), ToQColor(shape->BrushColor()));
            p.setBrush(Qt::NoBrush);
        }
        p.drawRect(r);
        break;
    }
    p.setBrush(Qt::NoBrush);
}

void PaintLabel(QPainter& p, TLabel* label) {
    const QRect r = ClientQRect(label);
    if (!label->Transparent())
        p.fillRect(r, ToQColor(label->Color()));
    int flags = AlignmentFlags(label->Alignment()) | Qt::AlignTop;
    flags |= label->WordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
    DrawCaption(p, r, label, flags);
}

void PaintSpeedButton(QPainter& p, TSpeedButton* button) {
    QRect r = ClientQRect(button);
    const bool down = button->Down() || button->Pressed();
    p.fillRect(r, ToQColor(clBtnFace));
    if (down) {
        Frame3D(p, r, ToQColor(cl3DDkShadow), ToQColor(clBtnHighlight), 1);
        Frame3D(p, r, ToQColor(clBtnShadow), ToQColor(cl3DLight), 1);
        if (button->Down() && !button->Pressed()) {
            // classic behaviour: a button that stays down shows a dithered face.
            p.fillRect(r, QBrush(ToQColor(clBtnHighlight), Qt::Dense4Pattern));
        }
    } else if (!button->Flat()) {
        RaisedEdge(p, r);
    }
    const int shift = down ? 1 : 0;
    DrawCaption(p, r.translated(shift, shift), button, Qt::AlignCenter | Qt::TextSingleLine);
}

void PaintImage(QPainter& p, TImage* image) {
    const TPicture& picture = image->Picture();
    if (picture.width <= 0 || picture.height <= 0)
        return;
    const QImage bitmap(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width,
                        picture.height, picture.width * 4, QImage::Format_ARGB32);
    QPoint at(0, 0);
    if (image->Center())
        at = QPoint((image->Width() - picture.width) / 2, (image->Height() - picture.height) / 2);
    p.drawImage(at, bitmap);
}

// Where a showing bar lies in the widget; empty when it does not show.
QRect ScrollBarRect(const TControlScrollBar& bar, QPoint origin) {
    if (!bar.IsScrollBarShowing())
        return QRect();
    const TScrollingWinControl& control = bar.Control();
    const int size = TControlScrollBar::kBarSize;
    const int cw = control.ClientWidth(), ch = control.ClientHeight();
    return bar.Kind() == sbVertical ? QRect(origin.x() + cw, origin.y(), size, ch)
                                    : QRect(origin.x(), origin.y() + ch, cw, size);
}

// The style places arrows, track and thumb from the origin, not from the rectangle's corner:
// the option covers the bar moved to the origin.
QStyleOptionSlider ScrollBarOption(const TControlScrollBar& bar, QSize size, int position) {
    const bool horizontal = bar.Kind() == sbHorizontal;
    QStyleOptionSlider opt;
    opt.rect = QRect(QPoint(0, 0), size);
    opt.orientation = horizontal ? Qt::Horizontal : Qt::Vertical;
    opt.minimum = 0;
    opt.maximum = bar.MaxPosition();
    opt.sliderPosition = opt.sliderValue = position;
    opt.pageStep = horizontal ? bar.Control().ClientWidth() : bar.Control().ClientHeight();
    opt.singleStep = bar.Increment();
    opt.state =
        QStyle::State_Enabled | (horizontal ? QStyle::State_Horizontal : QStyle::State_None);
    opt.palette = ClassicPalette();
    return opt;
}

void PaintScrollBars(QPainter& p, TScrollingWinControl* control, QPoint origin,
                     const PaintState& state) {
    for (const TControlScrollBar* bar : {&control->VertScrollBar(), &control->HorzScrollBar()}) {
        const QRect r = ScrollBarRect(*bar, origin);
        if (r.isEmpty())
            continue;
        const int position = bar == state.draggedBar ? state.draggedPosition : bar->Position();
        const QStyleOptionSlider opt = ScrollBarOption(*bar, r.size(), position);
        p.save();
        p.translate(r.topLeft());
        ClassicStyle()->drawComplexControl(QStyle::CC_ScrollBar, &opt, &p);
        p.restore();
    }
    if (control->VertScrollBar().IsScrollBarShowing() &&
        control->HorzScrollBar().IsScrollBarShowing()) {
        const int bar = TControlScrollBar::kBarSize;
        p.fillRect(QRect(origin.x() + control->ClientWidth(), origin.y() + control->ClientHeight(),
                         bar, bar),
                   ToQColor(clBtnFace));
    }
}

void PaintScrollBox(QPainter& p, TScrollBox* box, const PaintState& state) {
    QRect r = ClientQRect(box);
    if (box->BorderStyle() == bsSingle) {
        if (box->Ctl3D())
            SunkenEdge(p, r);
        else
            Frame3D(p, r, Qt::black, Qt::black, 1);
    }
    p.fillRect(r, ToQColor(box->Color()));
    PaintScrollBars(p, box, r.topLeft(), state);
}

} // namespace

bool IsOpaqueRectangle(const TControl* control) {
    const auto* shape = dynamic_cast<const TShape*>(control);
    return shape && shape->Shape() == stRectangle && shape->PenWidth() == 1 && shape->Width() > 2 &&
           shape->Height() > 2;
}

void PaintOpaqueRectangle(QPainter& p, const TControl* control, const QRect& at) {
    const auto* shape = static_cast<const TShape*>(control);
    // As PaintShape draws it: the outline in the pen's colour around the brush's fill.
    p.fillRect(at, ToQColor(shape->PenColor()));
    p.fillRect(at.adjusted(1, 1, -1, -1), ToQColor(shape->BrushColor()));
}

void PaintControl(QPainter& p, TControl* control, const PaintState& state) {
    if (auto* form = dynamic_cast<TCustomForm*>(control)) {
        p.fillRect(QRect(0, 0, form->Width(), form->Height()), ToQColor(form->Color()));
        PaintScrollBars(p, form, QPoint(0, 0), state);
    } else if (auto* panel = dynamic_cast<TCustomPanel*>(control)) {
        PaintPanel(p, panel);
        // A panel that takes the focus (a fader's groove) shows it as the other controls do.
        if (state.focused)
            FocusRect(p, QRect(0, 0, panel->Width(), panel->Height()));
    } else if (auto* box = dynamic_cast<TScrollBox*>(control)) {
        PaintScrollBox(p, box, state);
    } else if (auto* shape = dynamic_cast<TShape*>(control)) {
        PaintShape(p, shape);
    } else if (auto* bevel = dynamic_cast<TBevel*>(control)) {
        PaintBevel(p, bevel);
    } else if (auto* label = dynamic_cast<TLabel*>(control)) {
        PaintLabel(p, label);
    } else if (auto* speed = dynamic_cast<TSpeedButton*>(control)) {
        PaintSpeedButton(p, speed);
    } else if (auto* image = dynamic_cast<TImage*>(control)) {
        PaintImage(p, image);
    } else {
        PaintStandardControl(p, control, state);
    }
}

ScrollBarHit ScrollBarAt(TScrollingWinControl* control, QPoint origin, QPoint point) {
    for (TControlScrollBar* bar : {&control->VertScrollBar(), &control->HorzScrollBar()}) {
        const QRect r = ScrollBarRect(*bar, origin);
        if (!r.contains(point))
            continue;
        const QStyleOptionSlider opt = ScrollBarOption(*bar, r.size(), bar->Position());
        const QPoint local = point - r.topLeft();
        ScrollBarHit hit;
        hit.bar = bar;
        hit.part = ClassicStyle()->hitTestComplexControl(QStyle::CC_ScrollBar, &opt, local);
        const QRect thumb =
            ClassicStyle()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider);
        hit.grab = bar->Kind() == sbHorizontal ? local.x() - thumb.left() : local.y() - thumb.top();
        return hit;
    }
    return {};
}

int ScrollBarPositionAt(const TControlScrollBar& bar, QPoint origin, QPoint point, int grab) {
    const QRect r = ScrollBarRect(bar, origin);
    if (r.isEmpty())
        return bar.Position();
    const QStyleOptionSlider opt = ScrollBarOption(bar, r.size(), bar.Position());
    QStyle* style = ClassicStyle();
    const QRect groove =
        style->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarGroove);
    const QRect thumb =
        style->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider);
    const bool horizontal = bar.Kind() == sbHorizontal;
    const QPoint local = point - r.topLeft();
    const int start = (horizontal ? local.x() - groove.left() : local.y() - groove.top()) - grab;
    const int span = horizontal ? groove.width() - thumb.width() : groove.height() - thumb.height();
    return QStyle::sliderValueFromPosition(0, bar.MaxPosition(), start, span);
}
