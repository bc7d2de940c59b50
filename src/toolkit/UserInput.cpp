#include "toolkit/UserInput.h"

#include "platform/MessageQueue.h"
#include "toolkit/AccessibleScale.h"
#include "toolkit/KeyboardNavigation.h"
#include "toolkit/SystemMenu.h"
#include "toolkit/TApplication.h"
#include "toolkit/TButton.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TForm.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TRadioButton.h"
#include "toolkit/TScreen.h"
#include "toolkit/TTrackBar.h"
#include "toolkit/Utf8.h"

#include <algorithm>

bool UserInput::CanAct(const TControl* control) {
    return control && control->EnabledInParents();
}

void UserInput::FocusForClick(TControl* control) {
    auto* win = dynamic_cast<TWinControl*>(control);
    if (!win || !win->CanFocus())
        return;
    auto* form = GetParentForm(win);
    if (form->Visible() && form->Enabled() && !form->Active())
        Screen->SetActiveForm(form);
    form->FocusControl(win);
}

bool UserInput::Click(TControl* control) {
    if (!CanAct(control))
        return false;
    const int x = control->ClientWidth() / 2;
    const int y = control->ClientHeight() / 2;
    return MouseDown(control, mbLeft, 0, x, y) && MouseUp(control, mbLeft, 0, x, y);
}

bool UserInput::DblClick(TControl* control) {
    if (!Click(control))
        return false;
    const int x = control->ClientWidth() / 2;
    const int y = control->ClientHeight() / 2;
    DoubleClickPress(control, ssLeft, x, y);
    if (!CanAct(control))
        return true;
    Application->Guard([&] { control->HandleMouseUp(mbLeft, 0, x, y); }, control);
    return true;
}

bool UserInput::DoubleClickPress(TControl* control, TShiftState shift, int x, int y) {
    if (!CanAct(control))
        return false;
    Application->Guard([&] { control->HandleMouseDown(mbLeft, shift | ssDouble, x, y, true); },
                       control);
    return true;
}

bool UserInput::Wheel(TControl* control, int steps) {
    if (!CanAct(control))
        return false;
    TControl* c = control;
    while (c && !dynamic_cast<TScrollingWinControl*>(c))
        c = c->Parent();
    if (!c)
        return true;
    auto* scrolling = static_cast<TScrollingWinControl*>(c);
    auto& bar = scrolling->VertScrollBar().IsScrollBarShowing() ? scrolling->VertScrollBar()
                                                                : scrolling->HorzScrollBar();
    Application->Guard([&] { bar.SetPosition(bar.Position() - steps * bar.Increment() * 3); },
                       scrolling);
    return true;
}

bool UserInput::MouseDown(TControl* control, TMouseButton button, TShiftState shift, int x, int y) {
    if (!CanAct(control))
        return false;
    Application->Guard(
        [&] {
            if (button == mbLeft)
                FocusForClick(control);
            control->HandleMouseDown(button, shift, x, y, false);
        },
        control);
    return true;
}

bool UserInput::MouseMove(TControl* control, TShiftState shift, int x, int y) {
    if (!CanAct(control))
        return false;
    Application->Guard([&] { control->HandleMouseMove(shift, x, y); }, control);
    return true;
}

bool UserInput::MouseUp(TControl* control, TMouseButton button, TShiftState shift, int x, int y) {
    if (!CanAct(control))
        return false;
    Application->Guard([&] { control->HandleMouseUp(button, shift, x, y); }, control);
    return true;
}

bool UserInput::Focus(TWinControl* control) {
    if (!CanAct(control) || !control->CanFocus())
        return false;
    Application->Guard([&] { FocusForClick(control); }, control);
    return true;
}

bool UserInput::Leave(TWinControl* control) {
    auto* form = GetParentForm(control);
    if (!form || !control->Focused())
        return false;
    Application->Guard(
        [&] {
            form->SelectNext();
            if (control->Focused())
                form->FocusControl(nullptr);
        },
        control);
    return true;
}

bool UserInput::KeyDown(TCustomForm* form, WORD key, TShiftState shift) {
    if (!CanAct(form))
        return false;
    Application->Guard(
        [&] {
            if (form->KeyPreview()) {
                form->KeyDown(key, shift);
                if (key == 0)
                    return;
            }
            // A focused control disabled since takes no keys, as the desktop takes its focus away.
            TWinControl* focused = form->ActiveControl();
            if (focused && !focused->CanFocus())
                focused = nullptr;
            if (focused) {
                focused->KeyDown(key, shift);
                if (key == 0)
                    return;
            }
            DialogKey(form, focused, key, shift);
        },
        form);
    return true;
}

void UserInput::DialogKey(TCustomForm* form, TWinControl* focused, WORD key, TShiftState shift) {
    auto press = [](TButton* button) {
        if (button && button->EnabledInParents())
            button->Click();
    };
    if ((shift & ssAlt) != 0) {
        if (TControl* target = FindAccelerator(form, key))
            PressAccelerator(target);
        return;
    }
    switch (key) {
    case VK_RETURN:
        if (auto* button = dynamic_cast<TButton*>(focused))
            press(button);
        else
            press(form->DefaultButton());
        break;
    case VK_ESCAPE:
        press(form->CancelButton());
        break;
    case VK_TAB:
        if ((shift & ssCtrl) != 0)
            TurnPage(form, focused, (shift & ssShift) == 0);
        else
            form->SelectNext((shift & ssShift) == 0);
        // classic behaviour: an edit field reached by Tab has its text selected, so typing
        // replaces it.
        if (auto* edit = dynamic_cast<TEdit*>(form->ActiveControl()); edit && edit != focused)
            edit->SelectAll();
        break;
    case VK_SPACE:
        if (dynamic_cast<TButton*>(focused) || dynamic_cast<TCheckBox*>(focused) ||
            dynamic_cast<TRadioButton*>(focused))
            static_cast<TControl*>(focused)->UserClicked();
        break;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        // The arrows walk a radio group, checking each button they reach (its OnClick runs).
        if (auto* radio = dynamic_cast<TRadioButton*>(focused))
            if (TRadioButton* next = NextInRadioGroup(radio, key == VK_RIGHT || key == VK_DOWN)) {
                form->FocusControl(next);
                if (next->Focused())
                    static_cast<TControl*>(next)->UserClicked();
            }
        break;
    default:
        break;
    }
}

// classic behaviour: a button's accelerator clicks it without moving the focus; a check box's or
// radio button's takes the focus first and acts only when the focus stayed there.
void UserInput::PressAccelerator(TControl* target) {
    if (auto* label = dynamic_cast<TLabel*>(target)) {
        label->FocusControl()->SetFocus();
        return;
    }
    if (auto* button = dynamic_cast<TButton*>(target)) {
        static_cast<TControl*>(button)->UserClicked();
        return;
    }
    auto* win = static_cast<TWinControl*>(target);
    win->SetFocus();
    if (win->Focused())
        static_cast<TControl*>(win)->UserClicked();
}

void UserInput::TurnPage(TCustomForm* form, TWinControl* focused, bool forward) {
    TPageControl* pages = PageControlOf(focused);
    if (!pages || pages->PageCount() == 0)
        return;
    // The focus leaves the control on the sheet first, as Tab leaves it: a control whose exit
    // check takes the focus back keeps its page.
    if (focused != pages && pages->CanFocus()) {
        form->FocusControl(pages);
        if (form->ActiveControl() != pages)
            return;
    }
    const int count = pages->PageCount();
    const int current = std::max(0, pages->ActivePageIndex());
    for (int step = 1; step < count; ++step) {
        const int index = forward ? (current + step) % count : (current - step + count) % count;
        if (!pages->Pages(index)->TabVisible())
            continue;
        pages->SelectPageByUser(index);
        // The focus was on the sheet just hidden: the page control keeps it.
        if (!form->ActiveControl() && pages->CanFocus())
            form->FocusControl(pages);
        return;
    }
}

bool UserInput::KeyPress(TCustomForm* form, char key) {
    if (!CanAct(form))
        return false;
    Application->Guard(
        [&] {
            if (form->KeyPreview()) {
                form->KeyPress(key);
                if (key == 0)
                    return;
            }
            if (TWinControl* focused = form->ActiveControl(); focused && focused->CanFocus())
                focused->KeyPress(key);
        },
        form);
    return true;
}

bool UserInput::TypeCharacter(TCustomForm* form, const std::string& character) {
    if (character.size() == 1)
        return KeyPress(form, character[0]);
    if (!CanAct(form))
        return false;
    auto* edit = dynamic_cast<TEdit*>(form->ActiveControl());
    if (edit && edit->EnabledInParents())
        Application->Guard([&] { edit->TypeCharacter(character); }, edit);
    return true;
}

bool UserInput::TypeText(TEdit* edit, const std::string& text) {
    if (!CanAct(edit))
        return false;
    Application->Guard(
        [&] {
            FocusForClick(edit);
            edit->SelectAll();
            if (text.empty()) {
                char backspace = '\b';
                edit->KeyPress(backspace);
                return;
            }
            for (std::size_t i = 0; i < text.size();) {
                std::size_t end = i + 1;
                while (end < text.size() && IsUtf8Continuation(text[end]))
                    ++end;
                if (end - i == 1) {
                    char key = text[i];
                    edit->KeyPress(key);
                } else {
                    edit->TypeCharacter(text.substr(i, end - i));
                }
                i = end;
            }
        },
        edit);
    return true;
}

bool UserInput::SelectItem(TComboBox* combo, int index) {
    if (!CanAct(combo))
        return false;
    Application->Guard(
        [&] {
            FocusForClick(combo);
            combo->SelectByUser(index);
        },
        combo);
    return true;
}

bool UserInput::DropDown(TComboBox* combo, bool open) {
    if (open && !CanAct(combo))
        return false;
    Application->Guard(
        [&] {
            if (open)
                FocusForClick(combo);
            combo->SetDroppedDown(open);
        },
        combo);
    return true;
}

bool UserInput::MoveTrackBar(TTrackBar* bar, int position) {
    if (!CanAct(bar))
        return false;
    Application->Guard(
        [&] {
            FocusForClick(bar);
            bar->SetPosition(position);
        },
        bar);
    return true;
}

bool UserInput::MoveScale(AccessibleScale* scale, int value) {
    auto* control = dynamic_cast<TControl*>(scale);
    if (!CanAct(control))
        return false;
    bool moved = false;
    Application->Guard([&] { moved = scale->SetScaleValue(value); }, control);
    return moved;
}

bool UserInput::Scroll(TControlScrollBar& bar, TScrollCode code, int pos) {
    if (!CanAct(&bar.Control()))
        return false;
    Application->Guard([&] { bar.Scroll(code, pos); }, &bar.Control());
    return true;
}

bool UserInput::SelectPage(TPageControl* pages, int index) {
    if (!CanAct(pages))
        return false;
    bool done = false;
    Application->Guard(
        [&] {
            FocusForClick(pages);
            done = pages->SelectPageByUser(index);
        },
        pages);
    return done;
}

bool UserInput::CloseWindow(TCustomForm* form) {
    if (!CanAct(form))
        return false;
    SendMessage(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
}

bool UserInput::ChooseSystemMenuItem(TCustomForm* form, const std::string& text) {
    if (!CanAct(form))
        return false;
    return ::ChooseSystemMenuItem(form->Handle(), text);
}

bool UserInput::MoveWindow(TCustomForm* form, int left, int top) {
    if (!CanAct(form))
        return false;
    Application->Guard([&] { form->SetBounds(left, top, form->Width(), form->Height()); }, form);
    return true;
}

bool UserInput::ResizeWindow(TCustomForm* form, int width, int height) {
    if (!CanAct(form))
        return false;
    Application->Guard([&] { form->SetBounds(form->Left(), form->Top(), width, height); }, form);
    return true;
}

bool UserInput::ChangeWindowState(TCustomForm* form, TWindowState state) {
    if (!CanAct(form))
        return false;
    // As the window manager's buttons do: a system command the window's handlers see first.
    const WPARAM command = state == wsMinimized   ? SC_MINIMIZE
                           : state == wsMaximized ? SC_MAXIMIZE
                                                  : SC_RESTORE;
    SendMessage(form->Handle(), WM_SYSCOMMAND, command, 0);
    return true;
}

bool UserInput::ActivateForm(TCustomForm* form) {
    if (!CanAct(form) || !form->Visible())
        return false;
    Application->Guard([&] { Screen->SetActiveForm(form); }, form);
    return true;
}

void UserInput::ActivateApplication(bool active) {
    Application->Guard([&] { Application->SetActive(active); });
}
