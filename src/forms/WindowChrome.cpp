#include "forms/WindowChrome.h"

#include "toolkit/Exceptions.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TPanel.h"
#include "toolkit/Types.h"
#include "toolkit/WindowPos.h"

#include <algorithm>
#include <vector>

namespace {

const char* const kPanelItem = " Fenstersteuerung anzeigen";
const char* const kAboutItem = " Info...";

// Item ids step by 16, as system commands do (the platform keeps the low four bits of a command
// for itself), and stop short of the first system command.
constexpr UINT kFirstItemId = 0x0010;
constexpr UINT kItemIdStep = 0x0010;
constexpr UINT kItemIdLimit = SC_SIZE;

// The ids a window's system-menu items carry, kept as an unnamed component of the window so that
// the table lives exactly as long as the window and its menu. An object keeps its id when the menu
// is built again.
class TSystemMenuIds : public TComponent {
public:
    explicit TSystemMenuIds(TComponent* owner) : TComponent(owner) {}
    const char* ClassName() const override { return "TSystemMenuIds"; }

    static TSystemMenuIds* Of(const TCustomForm* window) {
        if (!window)
            return nullptr;
        for (int i = 0; i < window->ComponentCount(); ++i)
            if (auto* ids = dynamic_cast<TSystemMenuIds*>(window->Components(i)))
                return ids;
        return nullptr;
    }

    UINT IdOf(const TObject* target) const {
        auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const Entry& e) { return e.target == target; });
        return it == entries_.end() ? 0 : it->id;
    }

    TObject* TargetOf(UINT command) const {
        auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const Entry& e) { return e.id == command; });
        return it == entries_.end() ? nullptr : it->target;
    }

    UINT Assign(TObject* target) {
        if (UINT id = IdOf(target))
            return id;
        UINT id = kFirstItemId + static_cast<UINT>(entries_.size()) * kItemIdStep;
        if (id >= kItemIdLimit)
            throw EInvalidOperation("Zu viele Einträge im Systemmenü");
        entries_.push_back({target, id});
        return id;
    }

private:
    struct Entry {
        TObject* target;
        UINT id;
    };
    std::vector<Entry> entries_;
};

UINT CheckFlag(bool checked) {
    return checked ? MF_CHECKED : MF_UNCHECKED;
}

// The check boxes among the panel's direct children in menu order: by left, then by top. Boxes at
// the same place keep their child order.
std::vector<TCheckBox*> BoxesInMenuOrder(const TWinControl* panel) {
    std::vector<TCheckBox*> boxes;
    for (int i = 0; i < panel->ControlCount(); ++i)
        if (auto* box = dynamic_cast<TCheckBox*>(panel->Controls(i)))
            boxes.push_back(box);
    std::stable_sort(boxes.begin(), boxes.end(), [](const TCheckBox* a, const TCheckBox* b) {
        if (a->Left() != b->Left())
            return a->Left() < b->Left();
        return a->Top() < b->Top();
    });
    return boxes;
}

TCustomForm* WindowOf(TControl* control) {
    if (auto* form = dynamic_cast<TCustomForm*>(control))
        return form;
    return GetParentForm(control);
}

} // namespace

HMENU BuildSystemMenu(TWinControl* panel, TObject* aboutBox, int extraSeparator) {
    TCustomForm* window = panel ? GetParentForm(panel) : nullptr;
    if (!window)
        return 0;
    HMENU menu = GetSystemMenu(window->Handle(), FALSE);
    auto* ids = TSystemMenuIds::Of(window);
    if (!ids)
        ids = new TSystemMenuIds(window);

    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    for (TCheckBox* box : BoxesInMenuOrder(panel))
        AppendMenuA(menu, MF_STRING | CheckFlag(box->Checked()), ids->Assign(box),
                    box->Caption().c_str());
    if (extraSeparator != 0)
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | CheckFlag(panel->Visible()), ids->Assign(panel), kPanelItem);
    if (aboutBox) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, ids->Assign(aboutBox), kAboutItem);
    }
    return menu;
}

void UpdateSystemMenuItem(TControl* control) {
    if (!control)
        return;
    TCustomForm* window = WindowOf(control);
    UINT id = SystemMenuItemId(window, control);
    if (id == 0)
        return;
    HMENU menu = GetSystemMenu(window->Handle(), FALSE);
    if (auto* box = dynamic_cast<TCheckBox*>(control))
        ModifyMenuA(menu, id, MF_BYCOMMAND | MF_STRING | CheckFlag(box->Checked()), id,
                    box->Caption().c_str());
    else if (dynamic_cast<TCustomPanel*>(control))
        ModifyMenuA(menu, id, MF_BYCOMMAND | MF_STRING | CheckFlag(control->Visible()), id,
                    kPanelItem);
}

UINT SystemMenuItemId(const TCustomForm* window, const TObject* target) {
    auto* ids = TSystemMenuIds::Of(window);
    return ids && target ? ids->IdOf(target) : 0;
}

TObject* SystemMenuItemTarget(const TCustomForm* window, UINT command) {
    auto* ids = TSystemMenuIds::Of(window);
    return ids && command != 0 ? ids->TargetOf(command) : nullptr;
}

void SetStayOnTop(TCustomForm* window, bool onTop) {
    if (!window)
        return;
    SetWindowPos(window->Handle(), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
