#include "backends/qt/AccessibleFacts.h"

#include "backends/qt/ClassicLook.h"
#include "toolkit/AccessibleScale.h"
#include "toolkit/KeyboardNavigation.h"
#include "toolkit/TBevel.h"
#include "toolkit/TButton.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TForm.h"
#include "toolkit/TGroupBox.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TPanel.h"
#include "toolkit/TRadioButton.h"
#include "toolkit/TSpeedButton.h"
#include "toolkit/TTrackBar.h"
#include "toolkit/UserInput.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace accessible {

namespace {

const AccessibleScale* ScaleOf(const TControl* control) {
    return dynamic_cast<const AccessibleScale*>(control);
}

bool IsMeter(const TControl* control) {
    const AccessibleScale* scale = ScaleOf(control);
    return scale && scale->ScaleKind() == AccessibleScale::Kind::Meter;
}

bool ShowsNoCaption(const TControl* control) {
    return dynamic_cast<const TEdit*>(control) || dynamic_cast<const TComboBox*>(control) ||
           dynamic_cast<const TTrackBar*>(control) || ScaleOf(control);
}

bool Overlap(int a, int aLength, int b, int bLength) {
    return a < b + bLength && b < a + aLength;
}

// A label that reads as text: lines of dashes and the Symbol font's glyphs (the fader pair's
// bracket) are drawings.
bool Reads(const TLabel* label) {
    if (!label->Visible() || label->Font().Name() == "Symbol")
        return false;
    const std::string& caption = label->Caption();
    return std::any_of(caption.begin(), caption.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80;
    });
}

// The nearest visible label of the same parent to the control's left on its row, else above it.
const TLabel* LabelBeside(const TControl* control) {
    const TWinControl* parent = control->Parent();
    if (!parent)
        return nullptr;
    const TLabel* best = nullptr;
    int bestDistance = INT_MAX;
    bool bestLeft = false;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        auto* label = dynamic_cast<const TLabel*>(parent->Controls(i));
        if (!label || !Reads(label))
            continue;
        const bool left = label->Left() + label->Width() <= control->Left() &&
                          Overlap(label->Top(), label->Height(), control->Top(), control->Height());
        const bool above =
            label->Top() + label->Height() <= control->Top() &&
            Overlap(label->Left(), label->Width(), control->Left(), control->Width());
        if (!left && !above)
            continue;
        const int distance = left ? control->Left() - label->Left() - label->Width()
                                  : control->Top() - label->Top() - label->Height();
        if ((left && !bestLeft) || (left == bestLeft && distance < bestDistance)) {
            best = label;
            bestDistance = distance;
            bestLeft = left;
        }
    }
    return best;
}

// The control's place in its window's client area.
TRect PlaceInWindow(const TControl* control) {
    int left = control->Left(), top = control->Top();
    for (const TWinControl* parent = control->Parent(); parent && parent->Parent();
         parent = parent->Parent()) {
        left += parent->Left();
        top += parent->Top();
    }
    return Bounds(left, top, control->Width(), control->Height());
}

void CollectLabels(const TWinControl* parent, std::vector<const TLabel*>& labels) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        const TControl* child = parent->Controls(i);
        if (!child->Visible())
            continue;
        if (auto* label = dynamic_cast<const TLabel*>(child)) {
            if (Reads(label))
                labels.push_back(label);
        } else if (auto* win = dynamic_cast<const TWinControl*>(child)) {
            CollectLabels(win, labels);
        }
    }
}

// A label whose Alt+letter leads to the control names it, as it does for the user.
const TLabel* LabelFor(const TControl* control) {
    const TCustomForm* form = GetParentForm(control);
    if (!form)
        return nullptr;
    std::vector<const TLabel*> labels;
    CollectLabels(form, labels);
    for (const TLabel* label : labels)
        if (label->FocusControl() == control)
            return label;
    return nullptr;
}

// The nearest label below the control in its column, anywhere in its window: a strip's channel
// number under its meters and faders.
const TLabel* LabelBelow(const TControl* control) {
    const TCustomForm* form = GetParentForm(control);
    if (!form)
        return nullptr;
    std::vector<const TLabel*> labels;
    CollectLabels(form, labels);
    const TRect place = PlaceInWindow(control);
    const TLabel* best = nullptr;
    int bestDistance = INT_MAX;
    for (const TLabel* label : labels) {
        const TRect at = PlaceInWindow(label);
        if (at.Top < place.Bottom || !Overlap(at.Left, at.Width(), place.Left, place.Width()))
            continue;
        if (at.Top - place.Bottom < bestDistance) {
            best = label;
            bestDistance = at.Top - place.Bottom;
        }
    }
    return best;
}

bool Checkable(const TControl* control) {
    if (dynamic_cast<const TCheckBox*>(control) || dynamic_cast<const TRadioButton*>(control))
        return true;
    auto* speed = dynamic_cast<const TSpeedButton*>(control);
    return speed && speed->GroupIndex() != 0;
}

bool Checked(const TControl* control) {
    if (auto* box = dynamic_cast<const TCheckBox*>(control))
        return box->Checked();
    if (auto* radio = dynamic_cast<const TRadioButton*>(control))
        return radio->Checked();
    if (auto* speed = dynamic_cast<const TSpeedButton*>(control))
        return speed->Down();
    return false;
}

// A tab sheet that is not the active page is hidden, yet its tab shows as long as its page control
// does.
bool ShowingToUser(const TControl* control) {
    if (auto* sheet = dynamic_cast<const TTabSheet*>(control); sheet && sheet->PageControl())
        return sheet->PageControl()->Showing();
    return control->Showing();
}

} // namespace

std::string SpokenCaption(const std::string& caption) {
    std::string text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size() && caption[i + 1] == '&')
            ++i;
        else if (caption[i] == '&')
            continue;
        text += caption[i];
    }
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

TControl* FaderOfKnob(const TControl* control) {
    auto* owner = dynamic_cast<TControl*>(control->Owner());
    const AccessibleScale* scale = owner ? ScaleOf(owner) : nullptr;
    return scale && scale->ScaleHandle() == control ? owner : nullptr;
}

QAccessible::Role RoleOf(const TControl* control) {
    if (FaderOfKnob(control))
        return QAccessible::Indicator;
    if (auto* form = dynamic_cast<const TCustomForm*>(control)) {
        if (form->Parent())
            return QAccessible::Pane;
        return form->BorderStyle() == bsDialog ? QAccessible::Dialog : QAccessible::Window;
    }
    if (dynamic_cast<const TButton*>(control) || dynamic_cast<const TSpeedButton*>(control))
        return QAccessible::Button;
    if (dynamic_cast<const TCheckBox*>(control))
        return QAccessible::CheckBox;
    if (dynamic_cast<const TRadioButton*>(control))
        return QAccessible::RadioButton;
    if (dynamic_cast<const TEdit*>(control))
        return QAccessible::EditableText;
    if (dynamic_cast<const TComboBox*>(control))
        return QAccessible::ComboBox;
    if (dynamic_cast<const TTrackBar*>(control))
        return QAccessible::Slider;
    if (const AccessibleScale* scale = ScaleOf(control))
        return scale->ScaleKind() == AccessibleScale::Kind::Fader ? QAccessible::Slider
                                                                  : QAccessible::ProgressBar;
    if (dynamic_cast<const TCustomGroupBox*>(control))
        return QAccessible::Grouping;
    // A panel named for assistive technology holds one card's strip of a section.
    if (dynamic_cast<const TCustomPanel*>(control) && !control->AccessibleName().empty())
        return QAccessible::Grouping;
    if (dynamic_cast<const TPageControl*>(control))
        return QAccessible::PageTabList;
    if (dynamic_cast<const TTabSheet*>(control))
        return QAccessible::PageTab;
    if (dynamic_cast<const TLabel*>(control))
        return QAccessible::StaticText;
    if (dynamic_cast<const TBevel*>(control))
        return QAccessible::Separator;
    return control->IsWindowed() ? QAccessible::Pane : QAccessible::Graphic;
}

std::string NameOf(const TControl* control) {
    if (const TControl* fader = FaderOfKnob(control))
        return NameOf(fader);
    if (!control->AccessibleName().empty())
        return control->AccessibleName();
    if (!ShowsNoCaption(control))
        return SpokenCaption(control->Caption());
    const TLabel* label = LabelFor(control);
    if (!label)
        label = LabelBeside(control);
    if (!label)
        label = LabelBelow(control);
    return label ? SpokenCaption(label->Caption()) : std::string();
}

QAccessible::State StateOf(const TControl* control) {
    const TControl* subject = control;
    if (const TControl* fader = FaderOfKnob(control))
        subject = fader;
    QAccessible::State state;
    state.disabled = !subject->EnabledInParents();
    state.invisible = !ShowingToUser(control);
    if (auto* form = dynamic_cast<const TCustomForm*>(control); form && !form->Parent()) {
        state.active = form->Active();
        return state;
    }
    if (auto* win = dynamic_cast<const TWinControl*>(control); win && win->AcceptsFocus()) {
        state.focusable = true;
        const TCustomForm* form = GetParentForm(win);
        state.focused = win->Focused() && form && form->Active();
    }
    if (Checkable(control)) {
        state.checkable = true;
        state.checked = Checked(control);
    }
    if (auto* sheet = dynamic_cast<const TTabSheet*>(control)) {
        state.selectable = true;
        state.selected = sheet->PageControl() && sheet->PageControl()->ActivePage() == sheet;
    }
    if (dynamic_cast<const TEdit*>(control))
        state.editable = !state.disabled;
    if (IsMeter(control))
        state.readOnly = true;
    return state;
}

std::vector<TControl*> ChildrenOf(const TControl* control) {
    auto* win = dynamic_cast<const TWinControl*>(control);
    if (!win || IsMeter(control) || FaderOfKnob(control))
        return {};
    std::vector<TControl*> children;
    for (int i = 0; i < win->ControlCount(); ++i) {
        TControl* child = win->Controls(i);
        // Drawings (grid lines, the fader pair's bracket) and a fader's knob, which is part of
        // its fader, are no controls a screen reader should stop at.
        auto* label = dynamic_cast<const TLabel*>(child);
        if ((label && !Reads(label) && label->Visible()) || FaderOfKnob(child))
            continue;
        children.push_back(child);
    }
    return children;
}

std::optional<Value> ValueOf(const TControl* control) {
    if (auto* bar = dynamic_cast<const TTrackBar*>(control))
        return Value{bar->Min(), bar->Max(), bar->Position(), true};
    if (const AccessibleScale* scale = ScaleOf(control))
        return Value{scale->ScaleMinimum(), scale->ScaleMaximum(), scale->ScaleValue(),
                     scale->ScaleKind() == AccessibleScale::Kind::Fader};
    return std::nullopt;
}

bool SetValue(TControl* control, int value) {
    if (!control->Showing())
        return false;
    if (auto* bar = dynamic_cast<TTrackBar*>(control))
        return UserInput::MoveTrackBar(bar, value);
    if (auto* scale = dynamic_cast<AccessibleScale*>(control))
        return UserInput::MoveScale(scale, value);
    return false;
}

bool ShowsText(const TControl* control) {
    return dynamic_cast<const TEdit*>(control) || dynamic_cast<const TComboBox*>(control);
}

std::string ValueText(const TControl* control) {
    if (auto* edit = dynamic_cast<const TEdit*>(control))
        return edit->Text();
    if (auto* combo = dynamic_cast<const TComboBox*>(control))
        return combo->ItemIndex() >= 0 && combo->ItemIndex() < combo->Items().Count()
                   ? combo->Items()[combo->ItemIndex()]
                   : std::string();
    if (const AccessibleScale* scale = ScaleOf(control))
        return scale->ScaleText();
    if (const auto value = ValueOf(control))
        return std::to_string(value->current);
    return {};
}

QStringList ActionsOf(const TControl* control) {
    QStringList actions;
    if (dynamic_cast<const TCheckBox*>(control))
        actions << QAccessibleActionInterface::toggleAction();
    else if (dynamic_cast<const TButton*>(control) || dynamic_cast<const TRadioButton*>(control) ||
             dynamic_cast<const TSpeedButton*>(control) || dynamic_cast<const TTabSheet*>(control))
        actions << QAccessibleActionInterface::pressAction();
    auto* win = dynamic_cast<const TWinControl*>(control);
    if (win && win->AcceptsFocus())
        actions << QAccessibleActionInterface::setFocusAction();
    return actions;
}

bool DoAction(TControl* control, const QString& action) {
    if (!ShowingToUser(control) || !ActionsOf(control).contains(action))
        return false;
    if (action == QAccessibleActionInterface::setFocusAction())
        return UserInput::Focus(static_cast<TWinControl*>(control));
    if (auto* sheet = dynamic_cast<TTabSheet*>(control))
        return sheet->PageControl() &&
               UserInput::SelectPage(sheet->PageControl(), sheet->PageIndex());
    return UserInput::Click(control);
}

QString TextOf(const TControl* control, QAccessible::Text t) {
    switch (t) {
    case QAccessible::Name:
        return QString::fromStdString(NameOf(control));
    case QAccessible::Value:
        return QString::fromStdString(ValueText(control));
    case QAccessible::Description:
        // The bridge carries no value text: a meter's lamps are read from its description.
        if (control->Hint().empty() && IsMeter(control))
            return QString::fromStdString(ValueText(control));
        return QString::fromStdString(control->Hint());
    case QAccessible::Accelerator: {
        const char letter = AcceleratorOf(control->Caption());
        return letter == '\0' ? QString() : QStringLiteral("Alt+") + QChar(letter);
    }
    default:
        return {};
    }
}

} // namespace accessible
