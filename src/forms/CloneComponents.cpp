#include "forms/CloneComponents.h"

#include "controls/ExtControls.h"
#include "controls/TBarGraph.h"
#include "controls/TExtSpeedButton.h"
#include "controls/TLevelMeter.h"
#include "controls/TSlider.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TApplication.h"
#include "toolkit/TBevel.h"
#include "toolkit/TButton.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TGroupBox.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPanel.h"
#include "toolkit/TRadioButton.h"
#include "toolkit/TSpeedButton.h"

#include <vector>

namespace {

void ProcessPendingMessages() {
    if (Application)
        Application->ProcessMessages();
}

// The speed-button properties both speed-button rows copy, up to the hint. The down state is
// never carried over: every copy starts up, and nothing is raised.
void CopySpeedButtonStart(const TSpeedButton& from, TSpeedButton& to) {
    to.SetCaption(from.Caption());
    to.SetFont(from.Font());
    to.SetAllowAllUp(from.AllowAllUp());
    to.SetGroupIndex(from.GroupIndex());
    to.OnClick = from.OnClick;
    to.OnDblClick = from.OnDblClick;
    to.OnMouseDown = from.OnMouseDown;
    to.OnMouseUp = from.OnMouseUp;
    to.SetLayout(from.Layout());
    to.SetMargin(from.Margin());
    to.SetNumGlyphs(from.NumGlyphs());
    to.SetSpacing(from.Spacing());
    to.SetCursor(from.Cursor());
    to.SetShowHint(from.ShowHint());
    to.SetHint(from.Hint());
}

// Check boxes and radio buttons: the checked state arrives before the handlers, so setting it
// raises nothing on the copy.
template <class Button> void CopyChoice(const Button& from, Button& to) {
    to.SetCaption(from.Caption());
    to.SetFont(from.Font());
    to.SetChecked(from.Checked());
    to.OnClick = from.OnClick;
    to.OnEnter = from.OnEnter;
    to.OnExit = from.OnExit;
    to.OnMouseDown = from.OnMouseDown;
    to.OnMouseUp = from.OnMouseUp;
    to.SetShowHint(from.ShowHint());
    to.SetHint(from.Hint());
}

struct Copy {
    TControl* control = nullptr;
    bool container = false;
};

// The copy of `child` by the first class that matches, in this order; a class matches its
// subclasses too. Null for a class that is not copied.
Copy MakeCopy(TControl* child, TComponent* owner) {
    if (auto* from = dynamic_cast<TLabel*>(child)) {
        auto* to = new TLabel(owner);
        to->SetCaption(from->Caption());
        to->SetFont(from->Font());
        to->SetAlignment(from->Alignment());
        to->SetAutoSize(from->AutoSize());
        to->SetTransparent(from->Transparent());
        return {to};
    }
    if (auto* from = dynamic_cast<TButton*>(child)) {
        auto* to = new TButton(owner);
        to->SetCaption(from->Caption());
        to->SetFont(from->Font());
        to->SetShowHint(from->ShowHint());
        to->SetHint(from->Hint());
        to->OnClick = from->OnClick;
        to->OnEnter = from->OnEnter;
        to->OnExit = from->OnExit;
        return {to};
    }
    if (auto* from = dynamic_cast<TExtSpeedButton*>(child)) {
        auto* to = new TExtSpeedButton(owner);
        CopySpeedButtonStart(*from, *to);
        to->SetFlat(from->Flat());
        to->OnDown = from->OnDown;
        return {to};
    }
    if (auto* from = dynamic_cast<TSpeedButton*>(child)) {
        auto* to = new TSpeedButton(owner);
        CopySpeedButtonStart(*from, *to);
        to->SetVisible(from->Visible());
        to->SetFlat(from->Flat());
        return {to};
    }
    if (auto* from = dynamic_cast<TCheckBox*>(child)) {
        auto* to = new TCheckBox(owner);
        CopyChoice<TCheckBox>(*from, *to);
        return {to};
    }
    if (auto* from = dynamic_cast<TExtRadioButton*>(child)) {
        auto* to = new TExtRadioButton(owner);
        CopyChoice<TRadioButton>(*from, *to);
        return {to};
    }
    if (auto* from = dynamic_cast<TRadioButton*>(child)) {
        auto* to = new TRadioButton(owner);
        CopyChoice<TRadioButton>(*from, *to);
        return {to};
    }
    if (auto* from = dynamic_cast<TSlider*>(child)) {
        auto* to = new TSlider(owner);
        to->SetBtnHeight(from->BtnHeight());
        to->SetBtnWidth(from->BtnWidth());
        to->SetMax(from->Max());
        to->SetMin(from->Min());
        to->SetMoveRestriction(from->MoveRestriction());
        to->SetNumber(from->Number());
        to->SetBtnHeight(from->BtnHeight());
        to->SetPosition(from->Position());
        // Last, so that setting the others raises nothing on the copy.
        to->OnChange = from->OnChange;
        return {to};
    }
    if (auto* from = dynamic_cast<TLevelMeter*>(child)) {
        auto* to = new TLevelMeter(owner);
        to->SetNumLumisOrange(from->NumLumisOrange());
        to->SetNumLumisRed(from->NumLumisRed());
        to->SetLumiColor(from->LumiColor());
        to->SetLumiHeight(from->LumiHeight());
        to->SetTimerEnable(from->TimerEnable());
        to->SetTimerInterval(from->TimerInterval());
        to->SetOn(from->On());
        to->SetLevelMax(from->LevelMax());
        to->SetLevelMaxHold(from->LevelMaxHold());
        to->SetLevel(from->Level());
        return {to};
    }
    TCustomPanel* panel = dynamic_cast<TPanel*>(child);
    if (!panel)
        panel = dynamic_cast<TBarGraph*>(child);
    if (panel) {
        auto* to = new TPanel(owner);
        to->SetCaption(panel->Caption());
        to->SetParentColor(panel->ParentColor());
        to->SetFont(panel->Font());
        to->SetAlign(panel->Align());
        to->SetBevelInner(panel->BevelInner());
        to->SetBevelOuter(panel->BevelOuter());
        to->SetBevelWidth(panel->BevelWidth());
        return {to, true};
    }
    if (auto* from = dynamic_cast<TCustomGroupBox*>(child)) {
        auto* to = new TGroupBox(owner);
        to->SetAlign(from->Align());
        to->SetCaption(from->Caption());
        to->SetFont(from->Font());
        to->SetCtl3D(from->Ctl3D());
        to->SetParentCtl3D(from->ParentCtl3D());
        return {to, true};
    }
    if (auto* from = dynamic_cast<TBevel*>(child)) {
        auto* to = new TBevel(owner);
        to->SetAlign(from->Align());
        to->SetShape(from->Shape());
        to->SetStyle(from->Style());
        return {to};
    }
    return {};
}

// The window that holds the source owns the copies, so they go with it.
TComponent* CopyOwner(TWinControl* source) {
    if (TCustomForm* form = GetParentForm(source))
        return form;
    return source->Owner() ? source->Owner() : source;
}

} // namespace

void CloneComponents(TWinControl* source, TWinControl* destination, int offsetX, int offsetY,
                     const TCloneCallback& callback, TObject* context) {
    if (!source || !destination)
        return;
    TComponent* owner = CopyOwner(source);
    std::vector<TControl*> copies;

    for (int i = 0; i < source->ControlCount(); ++i) {
        ProcessPendingMessages();
        if (i >= source->ControlCount())
            break;
        TControl* child = source->Controls(i);
        if (child->Name().empty())
            continue;

        Copy made = MakeCopy(child, owner);
        if (!made.control)
            throw EComponentError("CloneComponents: Komponentenklasse von " + child->Name() +
                                  " nicht implementiert.");
        TControl* copy = made.control;
        copy->SetBounds(child->Left() + offsetX, child->Top() + offsetY, child->Width(),
                        child->Height());
        copy->SetTag(child->Tag());
        copy->SetAccessibleName(child->AccessibleName());

        if (callback)
            callback(context, copy);
        if (!copy)
            continue;
        copies.push_back(copy);
        auto* container = dynamic_cast<TWinControl*>(copy);
        if (made.container && container)
            CloneComponents(dynamic_cast<TWinControl*>(child), container, 0, 0, callback, context);
    }

    for (TControl* copy : copies) {
        copy->SetParent(destination);
        ProcessPendingMessages();
    }
}
