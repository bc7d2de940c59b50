#include "toolkit/automation/WindowView.h"

#include "toolkit/TForm.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TScreen.h"
#include "toolkit/automation/ControlAutomation.h"
#include "toolkit/automation/RequestWords.h"

#include <charconv>

std::string WindowLine(TCustomForm* form) {
    std::string line =
        std::to_string(form->Handle()) + " " + QuoteText(form->Caption()) + " " + form->ClassName();
    AddFlag(line, "visible", form->Visible());
    AddAttribute(line, "x", form->Left());
    AddAttribute(line, "y", form->Top());
    AddAttribute(line, "w", form->Width());
    AddAttribute(line, "h", form->Height());
    AddFlag(line, "topmost", form->Topmost());
    AddFlag(line, "enabled", form->Enabled());
    if (form->Active())
        AddFlag(line, "active", true);
    return line;
}

TCustomForm* FindWindow(const std::string& name, std::string& error) {
    if (name.starts_with("#")) {
        HWND hwnd = 0;
        const char* end = name.data() + name.size();
        auto [ptr, ec] = std::from_chars(name.data() + 1, end, hwnd);
        if (name.size() > 1 && ec == std::errc() && ptr == end)
            for (int i = 0; i < Screen->FormCount(); ++i)
                if (Screen->Forms(i)->Handle() == hwnd)
                    return Screen->Forms(i);
        error = "no window " + name;
        return nullptr;
    }
    TCustomForm* hidden = nullptr;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* form = Screen->Forms(i);
        if (form->Caption() != name)
            continue;
        if (form->Visible())
            return form;
        if (!hidden)
            hidden = form;
    }
    if (!hidden)
        error = "no window " + QuoteText(name);
    return hidden;
}

namespace {

TControl* FindInTree(TControl* control, const std::string& name) {
    if (SameText(control->Name(), name))
        return control;
    if (auto* win = dynamic_cast<TWinControl*>(control))
        for (int i = 0; i < win->ControlCount(); ++i)
            if (TControl* found = FindInTree(win->Controls(i), name))
                return found;
    return nullptr;
}

TComponent* FindOwned(TComponent* owner, const std::string& name) {
    if (TComponent* found = owner->FindComponent(name))
        return found;
    for (int i = 0; i < owner->ComponentCount(); ++i)
        if (TComponent* found = FindOwned(owner->Components(i), name))
            return found;
    return nullptr;
}

// An unnamed control (the copies of a strip are left without names) is addressed from its parent,
// by its place among the parent's children: "<parent's address>/<index>". Windows are built once,
// so the address holds while the window lives.
std::string Address(const TControl* control) {
    if (!control->Name().empty() || !control->Parent())
        return control->Name();
    const TWinControl* parent = control->Parent();
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (parent->Controls(i) == control)
            return Address(parent) + "/" + std::to_string(i);
    return control->Name();
}

TControl* FindByAddress(TCustomForm* form, const std::string& address, std::string& error) {
    const std::size_t slash = address.find('/');
    const std::string first = address.substr(0, slash);
    TControl* control = first.empty() ? form : FindControl(form, first, error);
    for (std::size_t at = slash; control && at != std::string::npos;) {
        const std::size_t next = address.find('/', at + 1);
        const std::string step = address.substr(at + 1, next - at - 1);
        auto* win = dynamic_cast<TWinControl*>(control);
        int index = -1;
        auto [end, ec] = std::from_chars(step.data(), step.data() + step.size(), index);
        if (!win || step.empty() || ec != std::errc() || end != step.data() + step.size() ||
            index < 0 || index >= win->ControlCount()) {
            error = "no control " + QuoteText(address) + " in " + QuoteText(form->Caption()) +
                    " (an unnamed control's address is the one dump shows)";
            return nullptr;
        }
        control = win->Controls(index);
        at = next;
    }
    return control;
}

void DumpControl(TControl* control, int depth, std::string& out) {
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
    out += control->ClassName();
    out += ' ';
    out += Address(control);
    AddAttribute(out, "tag", control->Tag());
    AddAttribute(out, "x", control->Left());
    AddAttribute(out, "y", control->Top());
    AddAttribute(out, "w", control->Width());
    AddAttribute(out, "h", control->Height());
    AddFlag(out, "visible", control->Visible());
    AddFlag(out, "enabled", control->Enabled());
    const ControlAutomation* entry = FindControlAutomation(control);
    const std::size_t described = out.size();
    if (entry && entry->describe)
        entry->describe(control, out);
    auto* win = dynamic_cast<TWinControl*>(control);
    if (win && win->Focused())
        AddFlag(out, "focused", true);
    // A shape's describe gives its brush as color= already.
    if (out.find(" color=", described) == std::string::npos)
        AddColor(out, "color", control->Color());
    AddColor(out, "fontcolor", control->Font().Color());
    if (win) {
        AddFlag(out, "tabstop", win->TabStop());
        AddAttribute(out, "taborder", win->TabOrder());
    }
    out += '\n';
    if (!win || (entry && !entry->showsChildren))
        return;
    for (int i = 0; i < win->ControlCount(); ++i)
        DumpControl(win->Controls(i), depth + 1, out);
}

} // namespace

TControl* FindControl(TCustomForm* form, const std::string& name, std::string& error) {
    if (name.empty()) {
        error = "a control is named by its name, or by the address dump shows for it";
        return nullptr;
    }
    if (name.find('/') != std::string::npos)
        return FindByAddress(form, name, error);
    if (TControl* control = FindInTree(form, name))
        return control;
    if (TComponent* component = FindOwned(form, name)) {
        if (auto* control = dynamic_cast<TControl*>(component))
            return control;
        error = QuoteText(name) + " is a " + component->ClassName() + ", not a control";
        return nullptr;
    }
    error = "no component " + QuoteText(name) + " in " + QuoteText(form->Caption());
    return nullptr;
}

bool HiddenFromUser(const TControl* control) {
    const TCustomForm* form = GetParentForm(control);
    if (!form || !form->Visible())
        return true;
    for (const TControl* c = control; c; c = c->Parent()) {
        if (c->Visible())
            continue;
        const auto* sheet = dynamic_cast<const TTabSheet*>(c);
        if (!sheet || !sheet->PageControl() || sheet->PageControl()->ActivePage() == sheet)
            return true;
    }
    return false;
}

std::string DumpWindow(TCustomForm* form) {
    std::string out;
    DumpControl(form, 0, out);
    return out;
}
