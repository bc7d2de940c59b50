#include "backends/qt/ClassicWidgets.h"

#include "backends/qt/ClassicLook.h"
#include "toolkit/TButton.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TGroupBox.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TRadioButton.h"
#include "toolkit/TTrackBar.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

QPalette ClassicPalette() {
    QPalette pal;
    pal.setColor(QPalette::Window, ToQColor(clBtnFace));
    pal.setColor(QPalette::Button, ToQColor(clBtnFace));
    pal.setColor(QPalette::Base, ToQColor(clWindow));
    pal.setColor(QPalette::Text, ToQColor(clWindowText));
    pal.setColor(QPalette::WindowText, ToQColor(clWindowText));
    pal.setColor(QPalette::ButtonText, ToQColor(clBtnText));
    pal.setColor(QPalette::Light, ToQColor(clBtnHighlight));
    pal.setColor(QPalette::Midlight, ToQColor(cl3DLight));
    pal.setColor(QPalette::Mid, ToQColor(clBtnShadow));
    pal.setColor(QPalette::Dark, ToQColor(clBtnShadow));
    pal.setColor(QPalette::Shadow, ToQColor(cl3DDkShadow));
    pal.setColor(QPalette::Highlight, ToQColor(clHighlight));
    pal.setColor(QPalette::HighlightedText, ToQColor(clHighlightText));
    pal.setColor(QPalette::Disabled, QPalette::Text, ToQColor(clGrayText));
    pal.setColor(QPalette::Disabled, QPalette::WindowText, ToQColor(clGrayText));
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, ToQColor(clGrayText));
    return pal;
}

void FocusRect(QPainter& p, const QRect& r) {
    QStyleOptionFocusRect opt;
    opt.rect = r;
    opt.palette = ClassicPalette();
    opt.state = QStyle::State_Enabled;
    ClassicStyle()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p);
}

namespace {

QRect ClientQRect(const TControl* c) {
    return QRect(0, 0, c->Width(), c->Height());
}

QStyle::State BaseState(const TControl* control) {
    QStyle::State s = QStyle::State_None;
    if (control->EnabledInParents())
        s |= QStyle::State_Enabled;
    return s;
}

// Check boxes and radio buttons: the 13-pixel mark beside the caption, on the control's colour.
template <class Box>
void PaintMarkButton(QPainter& p, Box* box, bool radio, const PaintState& state) {
    const QRect r = ClientQRect(box);
    p.fillRect(r, ToQColor(box->Color()));
    const int size = 13;
    const bool markRight = box->Alignment() == taLeftJustify;
    const int top = (r.height() - size) / 2;
    QStyleOptionButton opt;
    opt.rect = QRect(markRight ? r.width() - size : 0, top, size, size);
    opt.palette = ClassicPalette();
    opt.state = BaseState(box) | (box->Checked() ? QStyle::State_On : QStyle::State_Off);
    if (state.pressed)
        opt.state |= QStyle::State_Sunken;
    ClassicStyle()->drawPrimitive(
        radio ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox, &opt, &p);
    const QRect text = markRight ? QRect(0, 0, r.width() - size - 4, r.height())
                                 : QRect(size + 4, 0, r.width() - size - 4, r.height());
    DrawCaption(p, text, box, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine);
    if (state.focused && !box->Caption().empty()) {
        QFontMetrics fm(ToQFont(box->Font()));
        QRect bound = fm.boundingRect(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic,
                                      CaptionText(box->Caption(), box->Font()));
        FocusRect(p, bound.adjusted(-1, 0, 1, 1).intersected(r));
    }
}

void PaintButton(QPainter& p, TButton* button, const PaintState& state) {
    QStyleOptionButton opt;
    opt.rect = ClientQRect(button);
    opt.palette = ClassicPalette();
    opt.state = BaseState(button) | QStyle::State_Raised;
    if (state.pressed)
        opt.state = (opt.state & ~QStyle::State_Raised) | QStyle::State_Sunken;
    if (button->Default() || state.focused)
        opt.features |= QStyleOptionButton::DefaultButton;
    if (state.focused)
        opt.state |= QStyle::State_HasFocus;
    p.fillRect(opt.rect, ToQColor(clBtnFace));
    ClassicStyle()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p);
    const int shift = state.pressed ? 1 : 0;
    DrawCaption(p, opt.rect.translated(shift, shift), button, Qt::AlignCenter | Qt::TextSingleLine);
    if (state.focused)
        FocusRect(p, opt.rect.adjusted(4, 4, -4, -4));
}

void PaintGroupBox(QPainter& p, TCustomGroupBox* group) {
    const QRect r = ClientQRect(group);
    p.fillRect(r, ToQColor(group->Color()));
    const QFontMetrics fm(ToQFont(group->Font()));
    const int top = fm.height() / 2;
    QRect frame(0, top, r.width() - 1, r.height() - top - 1);
    // The etched frame: a grey rectangle with a white one a pixel lower and to the right.
    p.setPen(ToQColor(clBtnHighlight));
    p.drawRect(frame.translated(1, 1).adjusted(0, 0, -1, -1));
    p.setPen(ToQColor(clBtnShadow));
    p.drawRect(frame.adjusted(0, 0, -1, -1));
    const QString text = CaptionText(group->Caption(), group->Font());
    if (!text.isEmpty()) {
        QRect caption = fm.boundingRect(QRect(8, 0, r.width() - 16, fm.height()),
                                        Qt::AlignLeft | Qt::TextShowMnemonic, text);
        caption.adjust(-1, 0, 1, 0);
        p.fillRect(caption, ToQColor(group->Color()));
        DrawCaption(p, caption.adjusted(1, 0, 0, 0), group, Qt::AlignLeft | Qt::AlignTop);
    }
}

void PaintEdit(QPainter& p, TEdit* edit, const PaintState& state) {
    QRect r = ClientQRect(edit);
    if (edit->BorderStyle() == bsSingle) {
        if (edit->Ctl3D())
            SunkenEdge(p, r);
        else
            Frame3D(p, r, Qt::black, Qt::black, 1);
    }
    const bool enabled = edit->EnabledInParents();
    p.fillRect(r, enabled ? ToQColor(edit->Color()) : ToQColor(clBtnFace));
    const QRect text = r.adjusted(1, 0, -1, 0);
    const QFont font = ToQFont(edit->Font());
    p.setFont(font);
    p.setPen(enabled ? ToQColor(edit->Font().Color()) : ToQColor(clGrayText));
    const QString shown = QString::fromStdString(edit->Text());
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
    if (state.focused) {
        const int x = text.left() + QFontMetrics(font).horizontalAdvance(shown);
        p.setPen(ToQColor(clWindowText));
        p.drawLine(x, text.top() + 2, x, text.bottom() - 2);
    }
}

void PaintComboBox(QPainter& p, TComboBox* combo, const PaintState& state) {
    QStyleOptionComboBox opt;
    opt.rect = ClientQRect(combo);
    opt.palette = ClassicPalette();
    opt.palette.setColor(QPalette::Base, ToQColor(combo->Color()));
    opt.state = BaseState(combo);
    opt.editable = combo->Style() != csDropDownList;
    opt.frame = true;
    if (state.focused)
        opt.state |= QStyle::State_HasFocus;
    ClassicStyle()->drawComplexControl(QStyle::CC_ComboBox, &opt, &p);
    const QRect field =
        ClassicStyle()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField);
    const int index = combo->ItemIndex();
    const std::string text =
        index >= 0 && index < combo->Items().Count() ? combo->Items()[index] : combo->Text();
    p.setFont(ToQFont(combo->Font()));
    const bool selected = state.focused && combo->Style() == csDropDownList;
    if (selected)
        p.fillRect(field, ToQColor(clHighlight));
    p.setPen(!combo->EnabledInParents() ? ToQColor(clGrayText)
             : selected                 ? ToQColor(clHighlightText)
                                        : ToQColor(combo->Font().Color()));
    p.drawText(field.adjusted(2, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               QString::fromStdString(text));
}

QStyleOptionSlider TrackBarOption(const TTrackBar* bar) {
    QStyleOptionSlider opt;
    opt.rect = QRect(0, 0, bar->Width(), bar->Height());
    opt.palette = ClassicPalette();
    opt.orientation = bar->Orientation() == trHorizontal ? Qt::Horizontal : Qt::Vertical;
    opt.minimum = bar->Min();
    opt.maximum = bar->Max();
    opt.sliderPosition = opt.sliderValue = bar->Position();
    opt.singleStep = bar->LineSize();
    opt.pageStep = bar->PageSize();
    // The classic track bar has its minimum at the left or at the top.
    opt.upsideDown = false;
    opt.state = BaseState(bar);
    if (opt.orientation == Qt::Horizontal)
        opt.state |= QStyle::State_Horizontal;
    if (bar->TickStyle() != tsNone) {
        switch (bar->TickMarks()) {
        case tmTopLeft:
            opt.tickPosition = QSlider::TicksAbove;
            break;
        case tmBoth:
            opt.tickPosition = QSlider::TicksBothSides;
            break;
        default:
            opt.tickPosition = QSlider::TicksBelow;
            break;
        }
    }
    opt.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    return opt;
}

// Where a value sits along the track, in pixels from the control's edge.
int TrackOffset(const TTrackBar* bar, const QStyleOptionSlider& opt, int value) {
    const int length = ClassicStyle()->pixelMetric(QStyle::PM_SliderLength, &opt);
    const bool horizontal = opt.orientation == Qt::Horizontal;
    const int span = (horizontal ? bar->Width() : bar->Height()) - length;
    return length / 2 +
           QStyle::sliderPositionFromValue(bar->Min(), bar->Max(), value, span, opt.upsideDown);
}

void PaintTrackBar(QPainter& p, TTrackBar* bar, const PaintState& state) {
    QStyleOptionSlider opt = TrackBarOption(bar);
    p.fillRect(opt.rect, ToQColor(bar->Color()));
    // The ticks are the model's (automatic or set one by one), so they are drawn here; the
    // style draws the channel and the thumb, pointed towards the ticks.
    const QSlider::TickPosition ticks = opt.tickPosition;
    if (state.focused)
        opt.state |= QStyle::State_HasFocus;
    ClassicStyle()->drawComplexControl(QStyle::CC_Slider, &opt, &p);
    if (ticks == QSlider::NoTicks)
        return;
    p.setPen(ToQColor(clWindowText));
    const bool horizontal = opt.orientation == Qt::Horizontal;
    const int thick = horizontal ? bar->Height() : bar->Width();
    for (int value : bar->Ticks()) {
        const int at = TrackOffset(bar, opt, value);
        const bool end = value == bar->Min() || value == bar->Max();
        const int len = end ? 4 : 3;
        auto line = [&](int from) {
            if (horizontal)
                p.drawLine(at, from, at, from + len - 1);
            else
                p.drawLine(from, at, from + len - 1, at);
        };
        if (ticks == QSlider::TicksBelow || ticks == QSlider::TicksBothSides)
            line(thick - len - 1);
        if (ticks == QSlider::TicksAbove || ticks == QSlider::TicksBothSides)
            line(1);
    }
    if (state.focused)
        FocusRect(p, opt.rect);
}

void PaintPageControl(QPainter& p, TPageControl* pages) {
    const QRect r = ClientQRect(pages);
    p.fillRect(r, ToQColor(pages->Color() == clWindow ? clBtnFace : pages->Color()));
    const int tabHeight = PageTabRect(pages, 0).height();
    QStyleOptionTabWidgetFrame frame;
    frame.rect = r.adjusted(0, tabHeight, 0, 0);
    frame.palette = ClassicPalette();
    frame.state = BaseState(pages);
    ClassicStyle()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &p);
    for (int i = 0; i < pages->PageCount(); ++i) {
        const QRect tab = PageTabRect(pages, i);
        if (tab.isEmpty())
            continue;
        QStyleOptionTab opt;
        opt.rect = tab;
        opt.palette = ClassicPalette();
        opt.shape = QTabBar::RoundedNorth;
        opt.state = BaseState(pages);
        const bool active = pages->Pages(i) == pages->ActivePage();
        if (active)
            opt.state |= QStyle::State_Selected;
        opt.position = QStyleOptionTab::Middle;
        ClassicStyle()->drawControl(QStyle::CE_TabBarTabShape, &opt, &p);
        DrawCaption(p, tab.translated(0, active ? -1 : 1), pages->Pages(i),
                    Qt::AlignCenter | Qt::TextSingleLine);
    }
}

} // namespace

QRect PageTabRect(const TPageControl* pages, int index) {
    const QFontMetrics fm(ToQFont(pages->Font()));
    const int height = fm.height() + 9;
    int x = 2;
    for (int i = 0; i < pages->PageCount(); ++i) {
        TTabSheet* sheet = pages->Pages(i);
        if (!sheet->TabVisible())
            continue;
        QString text = CaptionText(sheet->Caption(), sheet->Font());
        text.remove(u'&');
        const int width = fm.horizontalAdvance(text) + 12;
        if (i == index)
            return QRect(x, 2, width, height - 2);
        x += width;
    }
    return index < 0 ? QRect(0, 0, 0, height) : QRect();
}

int PageTabAt(const TPageControl* pages, QPoint point) {
    for (int i = 0; i < pages->PageCount(); ++i)
        if (PageTabRect(pages, i).contains(point))
            return i;
    return -1;
}

int TrackBarPositionAt(const TTrackBar* bar, QPoint point) {
    const QStyleOptionSlider opt = TrackBarOption(bar);
    const int length = ClassicStyle()->pixelMetric(QStyle::PM_SliderLength, &opt);
    const bool horizontal = opt.orientation == Qt::Horizontal;
    const int span = (horizontal ? bar->Width() : bar->Height()) - length;
    const int along = (horizontal ? point.x() : point.y()) - length / 2;
    return QStyle::sliderValueFromPosition(bar->Min(), bar->Max(), along, span, opt.upsideDown);
}

void PaintStandardControl(QPainter& p, TControl* control, const PaintState& state) {
    if (auto* check = dynamic_cast<TCheckBox*>(control))
        PaintMarkButton(p, check, false, state);
    else if (auto* radio = dynamic_cast<TRadioButton*>(control))
        PaintMarkButton(p, radio, true, state);
    else if (auto* button = dynamic_cast<TButton*>(control))
        PaintButton(p, button, state);
    else if (auto* group = dynamic_cast<TCustomGroupBox*>(control))
        PaintGroupBox(p, group);
    else if (auto* edit = dynamic_cast<TEdit*>(control))
        PaintEdit(p, edit, state);
    else if (auto* combo = dynamic_cast<TComboBox*>(control))
        PaintComboBox(p, combo, state);
    else if (auto* bar = dynamic_cast<TTrackBar*>(control))
        PaintTrackBar(p, bar, state);
    else if (auto* pages = dynamic_cast<TPageControl*>(control))
        PaintPageControl(p, pages);
    else if (control->IsWindowed())
        // A tab sheet and any other plain windowed control: its colour.
        p.fillRect(ClientQRect(control),
                   ToQColor(control->ParentColor() && control->Parent() ? control->Parent()->Color()
                                                                        : control->Color()));
}
