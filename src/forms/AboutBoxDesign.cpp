// The designed layout of the about box: its controls and their properties, nothing computed.

#include "controls/ExtControls.h"
#include "forms/AboutBox.h"
#include "forms/AboutLogo.h"
#include "toolkit/TBevel.h"
#include "toolkit/TButton.h"
#include "toolkit/TImage.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPanel.h"

namespace {

template <class T>
T* Add(TComponent* owner, TWinControl* parent, const char* name, int left, int top) {
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    control->SetLeft(left);
    control->SetTop(top);
    return control;
}

TLabel* CentredLabel(TComponent* owner, TWinControl* parent, const char* name, int top,
                     int height) {
    auto* label = Add<TLabel>(owner, parent, name, 6, top);
    label->SetAutoSize(false);
    label->SetBounds(6, top, 257, height);
    label->SetAlignment(taCenter);
    return label;
}

TBevel* Line(TComponent* owner, TWinControl* parent, const char* name, int top) {
    auto* bevel = Add<TBevel>(owner, parent, name, 6, top);
    bevel->SetBounds(6, top, 257, 9);
    bevel->SetShape(bsBottomLine);
    return bevel;
}

} // namespace

void TAboutBox::Design() {
    SetName("AboutBox");
    SetCaption("Info");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(294);
    SetClientHeight(296);
    Font().SetName("MS Sans Serif");
    Font().SetHeight(-11);

    Panel1 = Add<TPanel>(this, this, "Panel1", 4, 2);
    Panel1->SetBounds(4, 2, 285, 257);
    Panel1->SetBevelInner(bvRaised);
    Panel1->SetBevelOuter(bvLowered);
    Panel1->SetParentColor(true);

    Panel2 = Add<TPanel>(this, Panel1, "Panel2", 8, 8);
    Panel2->SetBounds(8, 8, 269, 241);
    Panel2->SetBevelInner(bvLowered);
    Panel2->SetBevelOuter(bvNone);
    Panel2->SetColor(0xE1E1E1);

    lbName = CentredLabel(this, Panel2, "lbName", 8, 25);
    lbName->Font().SetName("Arial");
    lbName->Font().SetHeight(-24);
    lbName->Font().SetStyle(fsBold | fsItalic);
    lbName->Font().SetColor(clNavy);
    lbName->SetCaption("Varnel PRO");

    Bevel1 = Line(this, Panel2, "Bevel1", 32);

    lbsytem = Add<TLabel>(this, Panel2, "lbsytem", 20, 44);
    lbsytem->Font().SetHeight(-13);
    lbsytem->SetCaption("Sound System");

    lbSys = Add<TExtLabel>(this, Panel2, "lbSys", 112, 44);
    lbSys->Font().SetHeight(-13);
    lbSys->SetCaption("für Windows 95/98 (TM)");
    lbSys->SetCaptionEnglish("for Windows 95/98 (TM)");
    lbSys->SetCaptionGerman("für Windows 95/98 (TM)");

    lbVersion = CentredLabel(this, Panel2, "lbVersion", 64, 16);
    lbVersion->SetCaption("Version 3.00");

    Bevel2 = Line(this, Panel2, "Bevel2", 80);

    // The credits block: who built the program, with its logo.
    ExtLabel2 = Add<TExtLabel>(this, Panel2, "ExtLabel2", 82, 96);
    ExtLabel2->SetCaption("Entwickelt und gepflegt von");
    ExtLabel2->SetCaptionEnglish("Developed and maintained by");
    ExtLabel2->SetCaptionGerman("Entwickelt und gepflegt von");

    Image1 = Add<TImage>(this, Panel2, "Image1", 75, 112);
    Image1->SetBounds(75, 112, kAboutLogoWidth, kAboutLogoHeight);
    Image1->SetPicture(AboutLogoPicture());

    Label2 = Add<TLabel>(this, Panel2, "Label2", 96, 152);
    Label2->SetCaption("Treiber und Mischpult:");

    lbMaker = Add<TLabel>(this, Panel2, "lbMaker", 82, 170);
    lbMaker->Font().SetStyle(fsBold);
    lbMaker->SetCaption("Varnel Audiotechnik");

    Label1 = Add<TLabel>(this, Panel2, "Label1", 58, 190);
    Label1->SetCaption("Entwicklung: das Varnel-Team");

    ExtLabel1 = Add<TExtLabel>(this, Panel2, "ExtLabel1", 58, 220);
    ExtLabel1->SetCaption("Kontakt:");
    ExtLabel1->SetCaptionEnglish("Contact:");
    ExtLabel1->SetCaptionGerman("Kontakt:");

    // Shown for copying by hand: it reacts to no click.
    lbmail = Add<TLabel>(this, Panel2, "lbmail", 102, 220);
    lbmail->Font().SetColor(clBlue);
    lbmail->Font().SetStyle(fsUnderline);
    lbmail->SetCaption("support@varnel-pro.example");

    OKButton = Add<TButton>(this, this, "OKButton", 110, 266);
    OKButton->SetBounds(110, 266, 75, 25);
    OKButton->SetCaption("OK");
    OKButton->SetDefault(true);
    OKButton->SetModalResult(mrOk);
}
