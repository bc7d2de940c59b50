#include "toolkit/automation/AutomationCommands.h"

#include "platform/NotifyIcon.h"
#include "platform/Screenshot.h"
#include "toolkit/SystemMenu.h"
#include "toolkit/TForm.h"
#include "toolkit/TScreen.h"
#include "toolkit/UserInput.h"
#include "toolkit/automation/ControlAutomation.h"
#include "toolkit/automation/RequestWords.h"
#include "toolkit/automation/WindowView.h"

#include <filesystem>

namespace {

using Words = std::vector<std::string>;

struct Usage {
    const char* command;
    std::size_t words; // including the command
    const char* text;
    bool orMore = false; // the last word may repeat
};

const Usage kUsage[] = {
    {"windows", 1, "windows"},
    {"dump", 2, "dump <window>"},
    {"click", 3, "click <window> <component>"},
    {"set", 4, "set <window> <component> <value>"},
    {"sysmenu", 3, "sysmenu <window> \"<item text>\""},
    {"tray", 2, "tray dblclick|click"},
    {"msgbox", 1, "msgbox"},
    {"answer", 2, "answer ok|cancel|yes|no|abort|retry|ignore"},
    {"close", 2, "close <window>"},
    {"idle", 1, "idle"},
    {"screenshot", 3, "screenshot <window> <file.png>"},
    {"key", 3, "key <window> <key>…", true},
    {"type", 3, "type <window> <text>"},
    {"focus", 3, "focus <window> <component>"},
    {"dblclick", 3, "dblclick <window> <component>"},
    {"wheel", 4, "wheel <window> <component> <steps>"},
    {"move", 4, "move <window> <x> <y>"},
    {"resize", 4, "resize <window> <w> <h>"},
    {"state", 3, "state <window> normal|minimized|maximized"},
    {"scroll", 4, "scroll <window> <component> <position>"},
};

// The menu text as a user reads it: without the accelerator marks and the shortcut after a tab.
std::string ShownMenuText(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size() && text[i] != '\t'; ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

} // namespace

AutomationCommands::AutomationCommands(std::shared_ptr<OpenMessageBoxes> boxes)
    : boxes_(std::move(boxes)) {}

void AutomationCommands::Run(const Words& words, AutomationReply& reply) {
    if (words.empty()) {
        reply.error = "empty request";
        return;
    }
    const Usage* usage = nullptr;
    for (const Usage& u : kUsage)
        if (words[0] == u.command)
            usage = &u;
    if (!usage) {
        reply.error = "unknown command " + QuoteText(words[0]);
        return;
    }
    if (words.size() != usage->words && !(usage->orMore && words.size() > usage->words)) {
        reply.error = std::string("usage: ") + usage->text;
        return;
    }
    const std::string& command = words[0];
    if (command == "windows")
        Windows(reply);
    else if (command == "dump")
        Dump(words, reply);
    else if (command == "click")
        Click(words, reply);
    else if (command == "set")
        Set(words, reply);
    else if (command == "sysmenu")
        SystemMenu(words, reply);
    else if (command == "tray")
        Tray(words, reply);
    else if (command == "msgbox")
        reply.lines = boxes_->List();
    else if (command == "answer")
        Answer(words, reply);
    else if (command == "close")
        Close(words, reply);
    else if (command == "idle")
        reply.then = AutomationReply::Then::WaitIdle;
    else if (command == "screenshot")
        Screenshot(words, reply);
    else
        RunInput(words, reply);
}

void AutomationCommands::Windows(AutomationReply& reply) {
    for (int i = 0; i < Screen->FormCount(); ++i)
        reply.lines += WindowLine(Screen->Forms(i)) + "\n";
}

void AutomationCommands::Dump(const Words& words, AutomationReply& reply) {
    if (TCustomForm* form = FindWindow(words[1], reply.error))
        reply.lines = DumpWindow(form);
}

void AutomationCommands::Click(const Words& words, AutomationReply& reply) {
    TControl* control = ReachableControl(words, reply);
    if (!control)
        return;
    if (!UserInput::Click(control)) {
        reply.error = "disabled";
        return;
    }
    reply.then = AutomationReply::Then::Settle;
}

void AutomationCommands::Set(const Words& words, AutomationReply& reply) {
    TControl* control = ReachableControl(words, reply);
    if (!control)
        return;
    const ControlAutomation* entry = FindControlAutomation(control);
    if (!entry || !entry->set) {
        reply.error = std::string("a ") + control->ClassName() + " has no value to set";
        return;
    }
    if (!control->EnabledInParents()) {
        reply.error = "disabled";
        return;
    }
    reply.error = entry->set(control, words[3]);
    reply.then = AutomationReply::Then::Settle;
}

void AutomationCommands::SystemMenu(const Words& words, AutomationReply& reply) {
    TCustomForm* form = FindWindow(words[1], reply.error);
    if (!form)
        return;
    const std::string& text = words[2];
    for (const SystemMenuItem& item : SystemMenuItems(form->Handle())) {
        if (item.separator || (item.text != text && ShownMenuText(item.text) != text))
            continue;
        if (item.grayed || !form->EnabledInParents()) {
            reply.error = "disabled";
            return;
        }
        ChooseSystemMenuCommand(form->Handle(), item.id);
        reply.then = AutomationReply::Then::Settle;
        return;
    }
    reply.error = "no system-menu item " + QuoteText(text);
}

void AutomationCommands::Tray(const Words& words, AutomationReply& reply) {
    std::vector<UINT> mouse;
    if (words[1] == "dblclick")
        mouse = {WM_LBUTTONDBLCLK};
    else if (words[1] == "click")
        mouse = {WM_LBUTTONDOWN, WM_LBUTTONUP};
    else {
        reply.error = "usage: tray dblclick|click";
        return;
    }
    for (UINT message : mouse)
        if (!CurrentNotifyIconService().UserMouse(message)) {
            reply.error = "no notification icon";
            return;
        }
    reply.then = AutomationReply::Then::Settle;
}

void AutomationCommands::Answer(const Words& words, AutomationReply& reply) {
    reply.error = boxes_->Answer(words[1]);
    reply.then = AutomationReply::Then::Settle;
}

void AutomationCommands::Close(const Words& words, AutomationReply& reply) {
    TCustomForm* form = FindWindow(words[1], reply.error);
    if (!form)
        return;
    if (!UserInput::CloseWindow(form)) {
        reply.error = "disabled";
        return;
    }
    reply.then = AutomationReply::Then::Settle;
}

void AutomationCommands::Screenshot(const Words& words, AutomationReply& reply) {
    TCustomForm* form = FindWindow(words[1], reply.error);
    if (!form)
        return;
    IScreenshotService* screenshots = ScreenshotService();
    if (!screenshots) {
        reply.error = "no desktop backend";
        return;
    }
    // The answer names the file written, so that a relative name shows where it went.
    const std::string path = std::filesystem::absolute(words[2]).string();
    std::string why;
    if (!screenshots->SaveWindowPng(form->Handle(), path, why))
        reply.error = why.empty() ? "screenshot failed" : why;
    else
        reply.lines += path + "\n";
}
