#include "toolkit/MessageBoxOwner.h"

#include "toolkit/TForm.h"

MessageBoxOwnerLock::MessageBoxOwnerLock(HWND owner) {
    auto* control =
        owner ? dynamic_cast<TWinControl*>(WindowTable::Instance().Find(owner)) : nullptr;
    TCustomForm* form = control ? GetParentForm(control) : nullptr;
    if (!form || !form->Enabled())
        return;
    form->SetEnabled(false);
    disabled_ = form->Handle();
}

MessageBoxOwnerLock::~MessageBoxOwnerLock() {
    if (!disabled_)
        return;
    if (auto* form = dynamic_cast<TCustomForm*>(WindowTable::Instance().Find(disabled_)))
        form->SetEnabled(true);
}
