#include "toolkit/KeyboardNavigation.h"

#include "toolkit/TButton.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TForm.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TRadioButton.h"

#include <algorithm>
#include <cctype>

namespace {

std::vector<TRadioButton*> RadioGroup(TWinControl* parent) {
    std::vector<TRadioButton*> group;
    for (TWinControl* win : parent->TabList())
        if (auto* radio = dynamic_cast<TRadioButton*>(win))
            group.push_back(radio);
    return group;
}

bool IsRadioStop(TRadioButton* radio) {
    if (radio->Checked())
        return true;
    for (TRadioButton* other : RadioGroup(radio->Parent()))
        if (other->Checked())
            return false;
    for (TRadioButton* other : RadioGroup(radio->Parent()))
        if (other->CanFocus())
            return other == radio;
    return false;
}

void CollectTabStops(TWinControl* parent, std::vector<TWinControl*>& out) {
    for (TWinControl* win : parent->TabList()) {
        if (!win->Visible())
            continue;
        auto* radio = dynamic_cast<TRadioButton*>(win);
        const bool stop = radio ? IsRadioStop(radio) : win->TabStop();
        if (stop && win->CanFocus())
            out.push_back(win);
        CollectTabStops(win, out);
    }
}

bool UsableInWindow(const TControl* control) {
    for (const TControl* c = control; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

bool Answers(TControl* control, WORD letter) {
    if (!HasAccelerator(control->Caption(), letter))
        return false;
    if (auto* label = dynamic_cast<TLabel*>(control)) {
        TCustomForm* form = GetParentForm(label);
        TWinControl* target = label->FocusControl();
        return UsableInWindow(label) && form && target && form->ContainsControl(target) &&
               target->CanFocus();
    }
    const bool pressable = dynamic_cast<TButton*>(control) || dynamic_cast<TCheckBox*>(control) ||
                           dynamic_cast<TRadioButton*>(control);
    return pressable && static_cast<TWinControl*>(control)->CanFocus();
}

} // namespace

std::vector<TWinControl*> TabStops(TWinControl* root) {
    std::vector<TWinControl*> out;
    CollectTabStops(root, out);
    return out;
}

TRadioButton* NextInRadioGroup(TRadioButton* from, bool forward) {
    if (!from->Parent())
        return nullptr;
    std::vector<TRadioButton*> group = RadioGroup(from->Parent());
    auto at = std::find(group.begin(), group.end(), from) - group.begin();
    const auto count = static_cast<std::ptrdiff_t>(group.size());
    for (std::ptrdiff_t step = 1; step < count; ++step) {
        const std::ptrdiff_t index = forward ? (at + step) % count : (at - step + count) % count;
        if (group[static_cast<std::size_t>(index)]->CanFocus())
            return group[static_cast<std::size_t>(index)];
    }
    return nullptr;
}

char AcceleratorOf(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        const auto c = static_cast<unsigned char>(caption[i + 1]);
        return c < 0x80 ? static_cast<char>(std::toupper(c)) : '\0';
    }
    return '\0';
}

bool HasAccelerator(const std::string& caption, WORD letter) {
    const char accelerator = AcceleratorOf(caption);
    return accelerator != '\0' && accelerator == std::toupper(static_cast<int>(letter));
}

TControl* FindAccelerator(TWinControl* root, WORD letter) {
    for (int i = 0; i < root->ControlCount(); ++i) {
        TControl* control = root->Controls(i);
        if (Answers(control, letter))
            return control;
        if (auto* win = dynamic_cast<TWinControl*>(control); win && win->Visible())
            if (TControl* found = FindAccelerator(win, letter))
                return found;
    }
    return nullptr;
}

TPageControl* PageControlOf(TWinControl* focused) {
    for (TControl* c = focused; c; c = c->Parent())
        if (auto* pages = dynamic_cast<TPageControl*>(c))
            return pages;
    return nullptr;
}
