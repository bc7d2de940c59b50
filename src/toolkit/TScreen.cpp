#include "toolkit/TScreen.h"

#include "toolkit/TForm.h"

#include <algorithm>

TScreen* Screen = new TScreen(); // lives to the end of the process, past every form

void TScreen::SetSize(int width, int height) {
    width_ = width;
    height_ = height;
}

void TScreen::AddForm(TCustomForm* form) {
    forms_.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form) {
    std::erase(forms_, form);
    std::erase(activation_, form);
    if (activeForm_ == form)
        activeForm_ = nullptr;
}

void TScreen::SetActiveForm(TCustomForm* form) {
    if (form == activeForm_)
        return;
    TCustomForm* previous = activeForm_;
    activeForm_ = form;
    if (form) {
        std::erase(activation_, form);
        activation_.push_back(form);
    }
    if (previous) {
        previous->DoDeactivate();
        previous->Changed(TControlProperty::Focus);
    }
    // A deactivation handler may have activated yet another form.
    if (form && activeForm_ == form) {
        form->DoActivate();
        // The window's active control has the focus again.
        if (activeForm_ == form)
            form->Changed(TControlProperty::Focus);
    }
}

TCustomForm* TScreen::LastActiveVisibleForm(const TCustomForm* except) const {
    for (auto it = activation_.rbegin(); it != activation_.rend(); ++it)
        if (*it != except && (*it)->Visible())
            return *it;
    for (auto* f : forms_)
        if (f != except && f->Visible())
            return f;
    return nullptr;
}

std::vector<TCustomForm*> TScreen::DisableOtherForms(const TCustomForm* except) {
    std::vector<TCustomForm*> disabled;
    for (auto* f : forms_)
        if (f != except && f->Visible() && f->Enabled()) {
            f->SetEnabled(false);
            disabled.push_back(f);
        }
    return disabled;
}

void TScreen::EnableForms(const std::vector<TCustomForm*>& forms) {
    for (auto* f : forms)
        if (std::find(forms_.begin(), forms_.end(), f) != forms_.end())
            f->SetEnabled(true);
}

int TScreen::NextDefaultOffset() {
    // The desktop cascades windows it places by one caption height, eight steps, then starts over.
    int offset = (defaultPlacements_ % 8) * 22;
    ++defaultPlacements_;
    return offset;
}
