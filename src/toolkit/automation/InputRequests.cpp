// The requests that act as the keyboard, the wheel and the window manager do.
#include "toolkit/TEdit.h"
#include "toolkit/TForm.h"
#include "toolkit/TPageControl.h"
#include "toolkit/UserInput.h"
#include "toolkit/Utf8.h"
#include "toolkit/automation/AutomationCommands.h"
#include "toolkit/automation/ControlAutomation.h"
#include "toolkit/automation/KeyNames.h"
#include "toolkit/automation/RequestWords.h"
#include "toolkit/automation/WindowView.h"

using Words = std::vector<std::string>;

TCustomForm* AutomationCommands::ShownWindow(const Words& words, AutomationReply& reply) {
    TCustomForm* form = FindWindow(words[1], reply.error);
    if (form && !form->Visible()) {
        reply.error = "hidden";
        return nullptr;
    }
    return form;
}

TControl* AutomationCommands::ReachableControl(const Words& words, AutomationReply& reply) {
    TCustomForm* form = FindWindow(words[1], reply.error);
    TControl* control = form ? FindControl(form, words[2], reply.error) : nullptr;
    if (control && HiddenFromUser(control)) {
        reply.error = "hidden";
        return nullptr;
    }
    return control;
}

void AutomationCommands::RunInput(const Words& words, AutomationReply& reply) {
    const std::string& command = words[0];
    if (command == "key")
        Key(words, reply);
    else if (command == "type")
        Type(words, reply);
    else if (command == "focus")
        Focus(words, reply);
    else if (command == "dblclick")
        DblClick(words, reply);
    else if (command == "wheel")
        Wheel(words, reply);
    else if (command == "scroll")
        Scroll(words, reply);
    else
        Window(words, reply);
    if (reply.error.empty())
        reply.then = AutomationReply::Then::Settle;
}

void AutomationCommands::Key(const Words& words, AutomationReply& reply) {
    // Every name is checked before the first key goes: a typo sends nothing.
    std::vector<KeyStroke> strokes;
    for (std::size_t i = 2; i < words.size(); ++i) {
        auto stroke = ParseKeyName(words[i]);
        if (!stroke) {
            reply.error = "no key " + QuoteText(words[i]);
            return;
        }
        strokes.push_back(*stroke);
    }
    TCustomForm* form = ShownWindow(words, reply);
    if (!form)
        return;
    for (const KeyStroke& stroke : strokes) {
        if (!UserInput::KeyDown(form, stroke.key, stroke.shift)) {
            reply.error = "disabled";
            return;
        }
        // Space and BackSpace are typed characters too (an edit field takes them as text).
        if ((stroke.key == VK_SPACE || stroke.key == VK_BACK) &&
            (stroke.shift & (ssCtrl | ssAlt)) == 0)
            UserInput::KeyPress(form, static_cast<char>(stroke.key));
    }
}

void AutomationCommands::Type(const Words& words, AutomationReply& reply) {
    TCustomForm* form = ShownWindow(words, reply);
    if (!form)
        return;
    if (!form->ActiveControl()) {
        reply.error = "no control of " + QuoteText(form->Caption()) + " has the focus";
        return;
    }
    const std::string& text = words[2];
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i + 1;
        while (end < text.size() && IsUtf8Continuation(text[end]))
            ++end;
        if (!UserInput::TypeCharacter(form, text.substr(i, end - i))) {
            reply.error = "disabled";
            return;
        }
        i = end;
    }
}

namespace {

// A control on a sheet that is not the active page is reached as a user reaches it: the sheet's
// tab is chosen first (outermost first). False when a page control refused the change.
bool ShowSheetsAround(TControl* control) {
    std::vector<TTabSheet*> sheets;
    for (TControl* c = control; c; c = c->Parent())
        if (auto* sheet = dynamic_cast<TTabSheet*>(c); sheet && sheet->PageControl())
            sheets.push_back(sheet);
    for (auto it = sheets.rbegin(); it != sheets.rend(); ++it)
        if ((*it)->PageControl()->ActivePage() != *it &&
            !UserInput::SelectPage((*it)->PageControl(), (*it)->PageIndex()))
            return false;
    return true;
}

} // namespace

void AutomationCommands::Focus(const Words& words, AutomationReply& reply) {
    TControl* control = ReachableControl(words, reply);
    if (!control)
        return;
    auto* win = dynamic_cast<TWinControl*>(control);
    if (!control->EnabledInParents())
        reply.error = "disabled";
    else if (!win || !win->AcceptsFocus())
        reply.error = std::string("a ") + control->ClassName() + " takes no focus";
    else if (!ShowSheetsAround(win) || !UserInput::Focus(win))
        reply.error = "the control cannot take the focus";
}

void AutomationCommands::DblClick(const Words& words, AutomationReply& reply) {
    TControl* control = ReachableControl(words, reply);
    if (control && !UserInput::DblClick(control))
        reply.error = "disabled";
}

void AutomationCommands::Wheel(const Words& words, AutomationReply& reply) {
    auto steps = ParseInt(words[3]);
    if (!steps) {
        reply.error = NotANumber(words[3]);
        return;
    }
    TControl* control = ReachableControl(words, reply);
    if (control && !UserInput::Wheel(control, *steps))
        reply.error = "disabled";
}

void AutomationCommands::Scroll(const Words& words, AutomationReply& reply) {
    auto position = ParseInt(words[3]);
    if (!position) {
        reply.error = NotANumber(words[3]);
        return;
    }
    TControl* control = ReachableControl(words, reply);
    if (!control)
        return;
    auto* scrolling = dynamic_cast<TScrollingWinControl*>(control);
    if (!scrolling) {
        reply.error = std::string("a ") + control->ClassName() + " has no scroll bar";
        return;
    }
    TControlScrollBar& bar = scrolling->VertScrollBar().IsScrollBarShowing()
                                 ? scrolling->VertScrollBar()
                                 : scrolling->HorzScrollBar();
    if (!bar.IsScrollBarShowing()) {
        reply.error = "the scroll bars are not showing";
        return;
    }
    // The thumb dragged there and let go.
    if (!UserInput::Scroll(bar, TScrollCode::scTrack, *position) ||
        !UserInput::Scroll(bar, TScrollCode::scPosition, *position))
        reply.error = "disabled";
}

void AutomationCommands::Window(const Words& words, AutomationReply& reply) {
    const std::string& command = words[0];
    std::optional<int> a, b;
    if (command != "state") {
        a = ParseInt(words[2]);
        b = ParseInt(words[3]);
        if (!a || !b) {
            reply.error = NotANumber(a ? words[3] : words[2]);
            return;
        }
    }
    TWindowState state = wsNormal;
    if (command == "state") {
        if (words[2] == "minimized")
            state = wsMinimized;
        else if (words[2] == "maximized")
            state = wsMaximized;
        else if (words[2] != "normal") {
            reply.error = "usage: state <window> normal|minimized|maximized";
            return;
        }
    }
    TCustomForm* form = ShownWindow(words, reply);
    if (!form)
        return;
    bool done = false;
    if (command == "move")
        done = UserInput::MoveWindow(form, *a, *b);
    else if (command == "resize")
        done = UserInput::ResizeWindow(form, *a, *b);
    else
        done = UserInput::ChangeWindowState(form, state);
    if (!done)
        reply.error = "disabled";
}
