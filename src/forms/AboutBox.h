#pragma once
// The about box: the small modal dialog that names the product and its version. One instance
// lives from program start to its end; every channel window shows it from its system menu.

#include "toolkit/TForm.h"

class TBevel;
class TButton;
class TExtLabel;
class TImage;
class TLabel;
class TPanel;

class TAboutBox : public TForm {
public:
    explicit TAboutBox(TComponent* owner);
    const char* ClassName() const override { return "TAboutBox"; }

    TPanel* Panel1 = nullptr; // the raised outer frame
    TPanel* Panel2 = nullptr; // the lowered inner plate holding the texts
    TLabel* lbName = nullptr;
    TBevel* Bevel1 = nullptr;
    TLabel* lbsytem = nullptr;
    TExtLabel* lbSys = nullptr;
    TLabel* lbVersion = nullptr;
    TBevel* Bevel2 = nullptr;
    TExtLabel* ExtLabel2 = nullptr;
    TImage* Image1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* lbMaker = nullptr;
    TLabel* Label1 = nullptr;
    TExtLabel* ExtLabel1 = nullptr;
    TLabel* lbmail = nullptr;
    TButton* OKButton = nullptr;

private:
    // The designed layout (AboutBoxDesign.cpp).
    void Design();
    void FormCreate(TObject* Sender);
};

// The program's about box, null until it is created.
extern TAboutBox* AboutBox;
