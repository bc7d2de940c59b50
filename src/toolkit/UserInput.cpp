#include "toolkit/UserInput.h"

#include "platform/MessageQueue.h"
#include "toolkit/SystemMenu.h"
#include "toolkit/TApplication.h"
#include "toolkit/TButton.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TForm.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TScreen.h"
#include "toolkit/TTrackBar.h"
#include "toolkit/Utf8.h"

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
    Application->Guard([&] { control->HandleMouseDown(mbLeft, ssLeft, x, y, true); }, control);
    if (!CanAct(control))
        return true;
    Application->Guard([&] { control->HandleMouseUp(mbLeft, 0, x, y); }, control);
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
            TWinControl* focused = form->ActiveControl();
            if (focused) {
                focused->KeyDown(key, shift);
                if (key == 0)
                    return;
            }
            auto press = [](TButton* button) {
                if (button && button->EnabledInParents())
                    button->Click();
            };
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
                form->SelectNext((shift & ssShift) == 0);
                break;
            default:
                break;
            }
        },
        form);
    return true;
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
            if (TWinControl* focused = form->ActiveControl())
                focused->KeyPress(key);
        },
        form);
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

bool UserInput::ActivateForm(TCustomForm* form) {
    if (!CanAct(form) || !form->Visible())
        return false;
    Application->Guard([&] { Screen->SetActiveForm(form); }, form);
    return true;
}

void UserInput::ActivateApplication(bool active) {
    Application->Guard([&] { Application->SetActive(active); });
}
