#include "forms/AboutBox.h"

#include "controls/ExtControls.h"

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(TComponent* owner) : TForm(owner) {
    LoadDesign([this] {
        Design();
        OnCreate = [this](TObject* sender) { FormCreate(sender); };
    });
}

// The version is a fixed text: it names this program, not the installed driver or card.
void TAboutBox::FormCreate(TObject*) {
    lbName->SetCaption("Varnel PRO");
    lbVersion->SetCaption("Version 3.00");
    lbSys->SetCaptionGerman("für Windows 95/98 (TM)");
}
