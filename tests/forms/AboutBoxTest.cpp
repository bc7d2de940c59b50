#include "forms/AboutBox.h"

#include "FormsFixture.h"
#include "controls/ExtControls.h"
#include "forms/AboutLogo.h"
#include "platform/MessageQueue.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TBevel.h"
#include "toolkit/TButton.h"
#include "toolkit/TImage.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPanel.h"
#include "toolkit/UserInput.h"

#include <algorithm>

namespace {

class AboutBoxTest : public FormsTest {
protected:
    AboutBoxTest() { app.CreateForm(AboutBox); }
    ~AboutBoxTest() override { AboutBox = nullptr; }

    // Presses a key in the box once its modal run has started.
    void PressWhenShown(WORD key) {
        AboutBox->SetMessageHandler(WM_USER + 3, [](TMessage& m) {
            UserInput::KeyDown(AboutBox, static_cast<WORD>(m.WParam));
        });
        PostMessageA(AboutBox->Handle(), WM_USER + 3, key, 0);
    }
};

TEST_F(AboutBoxTest, CreationSetsTheProductTextsInTheDesignedDialog) {
    ASSERT_NE(AboutBox, nullptr);
    EXPECT_EQ(AboutBox->Caption(), "Info");
    EXPECT_EQ(AboutBox->BorderStyle(), bsDialog);
    EXPECT_EQ(AboutBox->ClientWidth(), 294);
    EXPECT_EQ(AboutBox->ClientHeight(), 296);
    EXPECT_EQ(AboutBox->lbName->Caption(), "Varnel PRO");
    EXPECT_EQ(AboutBox->lbVersion->Caption(), "Version 3.00");
    EXPECT_EQ(AboutBox->lbSys->Caption(), "für Windows 95/98 (TM)");
    EXPECT_EQ(AboutBox->lbSys->CaptionGerman(), "für Windows 95/98 (TM)");
    EXPECT_EQ(AboutBox->lbsytem->Caption(), "Sound System");
    EXPECT_EQ(AboutBox->ExtLabel1->Caption(), "Kontakt:");
    EXPECT_EQ(AboutBox->ExtLabel1->CaptionEnglish(), "Contact:");
    EXPECT_FALSE(AboutBox->lbmail->Caption().empty());
    EXPECT_EQ(AboutBox->lbmail->Font().Color(), clBlue);

    EXPECT_EQ(AboutBox->Panel1->BoundsRect(), Bounds(4, 2, 285, 257));
    EXPECT_EQ(AboutBox->Panel2->Parent(), AboutBox->Panel1);
    EXPECT_EQ(AboutBox->Panel2->BoundsRect(), Bounds(8, 8, 269, 241));
    EXPECT_EQ(AboutBox->Panel2->Color(), 0xE1E1E1);
    EXPECT_EQ(AboutBox->lbName->BoundsRect(), Bounds(6, 8, 257, 25));
    EXPECT_EQ(AboutBox->lbName->Font().Name(), "Arial");
    EXPECT_EQ(AboutBox->lbName->Font().Style(), fsBold | fsItalic);
    EXPECT_EQ(AboutBox->Bevel2->Shape(), bsBottomLine);
    EXPECT_EQ(AboutBox->ExtLabel1->Left(), 58);
    EXPECT_EQ(AboutBox->lbmail->Left(), 102);
    for (TControl* credit :
         std::initializer_list<TControl*>{AboutBox->ExtLabel2, AboutBox->Image1, AboutBox->Label2,
                                          AboutBox->lbMaker, AboutBox->Label1}) {
        EXPECT_GE(credit->Top(), 96) << credit->Name();
        EXPECT_LE(credit->Top(), 190) << credit->Name();
        EXPECT_FALSE(credit->Caption().empty() && credit != AboutBox->Image1) << credit->Name();
    }

    EXPECT_EQ(AboutBox->DefaultButton(), AboutBox->OKButton);
    EXPECT_EQ(AboutBox->OKButton->Caption(), "OK");
    EXPECT_EQ(AboutBox->OKButton->BoundsRect(), Bounds(110, 266, 75, 25));
}

TEST_F(AboutBoxTest, TheLogoIsAPictureOfItsDesignedSize) {
    const TPicture& logo = AboutBox->Image1->Picture();
    EXPECT_EQ(logo.width, 119);
    EXPECT_EQ(logo.height, 33);
    EXPECT_EQ(AboutBox->Image1->Width(), 119);
    EXPECT_EQ(AboutBox->Image1->Height(), 33);
    auto opaque = std::count_if(logo.pixels.begin(), logo.pixels.end(),
                                [](std::uint32_t p) { return (p >> 24) == 0xFF; });
    EXPECT_GT(opaque, 119 * 33 - 10);
    EXPECT_EQ(logo.Pixel(-1, 0), 0u);
    EXPECT_EQ(logo.Pixel(119, 0), 0u);
    EXPECT_THROW(AboutBox->Image1->SetPicture(TPicture{2, 2, {1, 2, 3}}), EInvalidOperation);
}

TEST_F(AboutBoxTest, OkEnterOrTheCloseBoxEndTheModalRunAndTheBoxIsTheSameEachTime) {
    TAboutBox* first = AboutBox;
    PressWhenShown(VK_RETURN);
    EXPECT_EQ(AboutBox->ShowModal(), mrOk);
    EXPECT_FALSE(AboutBox->Visible());
    EXPECT_EQ(AboutBox->Left(), (1024 - AboutBox->Width()) / 2) << "centred on the screen";

    AboutBox->SetMessageHandler(WM_USER + 4,
                                [](TMessage&) { UserInput::Click(AboutBox->OKButton); });
    PostMessageA(AboutBox->Handle(), WM_USER + 4, 0, 0);
    EXPECT_EQ(AboutBox->ShowModal(), mrOk);

    AboutBox->SetMessageHandler(WM_USER + 5, [](TMessage&) { UserInput::CloseWindow(AboutBox); });
    PostMessageA(AboutBox->Handle(), WM_USER + 5, 0, 0);
    EXPECT_NE(AboutBox->ShowModal(), mrOk);

    EXPECT_EQ(AboutBox, first);
    EXPECT_EQ(AboutBox->lbVersion->Caption(), "Version 3.00");
    EXPECT_EQ(AboutBox->lbName->Caption(), "Varnel PRO");
}

} // namespace
