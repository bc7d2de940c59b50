#include "controls/ExtControls.h"

#include "controls/TExtSpeedButton.h"
#include "toolkit/TForm.h"
#include "toolkit/ToolkitFixture.h"
#include "toolkit/UserInput.h"

#include <string>
#include <vector>

namespace {

template <class T> class BilingualCaptionTest : public ToolkitTest {};

using BilingualClasses = ::testing::Types<TExtLabel, TExtButton, TExtCheckBox, TExtRadioButton,
                                          TExtGroupBox, TExtSpeedButton>;
TYPED_TEST_SUITE(BilingualCaptionTest, BilingualClasses);

TYPED_TEST(BilingualCaptionTest, ShowsTheGermanTextAndCarriesTheEnglishOneAsDataOnly) {
    auto* form = new TForm(&this->app);
    auto* c = new TypeParam(form);
    c->SetParent(form);
    EXPECT_EQ(c->CaptionGerman(), "");
    EXPECT_EQ(c->CaptionEnglish(), "");

    c->SetCaptionGerman(" P&eak Meter");
    c->SetCaptionEnglish(" &Peak Meter");
    EXPECT_EQ(c->Caption(), " P&eak Meter") << "English after German leaves German visible";
    EXPECT_EQ(c->CaptionEnglish(), " &Peak Meter");
    EXPECT_EQ(c->CaptionGerman(), " P&eak Meter");

    c->SetCaptionGerman("");
    EXPECT_EQ(c->Caption(), "") << "an empty German text clears the visible caption";
    EXPECT_EQ(c->CaptionEnglish(), " &Peak Meter");
}

TYPED_TEST(BilingualCaptionTest, AControlBuiltFromADescriptionShowsItsGermanText) {
    auto* form = new TForm(&this->app);
    form->BeginLoading();
    auto* c = new TypeParam(form);
    c->SetParent(form);
    c->SetCaption(" Fa&der");
    c->SetCaptionEnglish(" &Fader");
    c->SetCaptionGerman(" Fa&der");
    form->EndLoading();
    EXPECT_EQ(c->Caption(), " Fa&der");
    EXPECT_EQ(c->CaptionEnglish(), " &Fader");
}

class ExtSpeedButtonTest : public ToolkitTest {
protected:
    ExtSpeedButtonTest() {
        form = new TForm(&app);
        form->Show();
    }
    TExtSpeedButton* Make(const std::string& name, int group) {
        auto* b = new TExtSpeedButton(form);
        b->SetName(name);
        b->SetParent(form);
        b->SetGroupIndex(group);
        b->OnDown = [this](TObject* s) {
            log.push_back(static_cast<TComponent*>(s)->Name() + " down");
        };
        b->OnClick = [this](TObject* s) {
            log.push_back(static_cast<TComponent*>(s)->Name() + " click");
        };
        return b;
    }
    TForm* form;
    std::vector<std::string> log;
};

TEST_F(ExtSpeedButtonTest, ClassNameAndHintsGermanBecomesTheToolTipEnglishNever) {
    auto* b = Make("btnNever", 0);
    EXPECT_STREQ(b->ClassName(), "TExtSpeedButton");
    b->SetHintEnglish("Never monitor");
    EXPECT_EQ(b->Hint(), "");
    b->SetHintGerman("Nie mithören");
    EXPECT_EQ(b->Hint(), "Nie mithören");
    b->SetHintEnglish("Monitor never");
    EXPECT_EQ(b->Hint(), "Nie mithören");
    EXPECT_EQ(b->HintEnglish(), "Monitor never");
    EXPECT_EQ(b->HintGerman(), "Nie mithören");
}

TEST_F(ExtSpeedButtonTest, OwnSetterRaisesOnDownOnlyOnTheWayFromUpToDown) {
    auto* ungrouped = Make("btnLone", 0);
    ungrouped->SetDown(true);
    EXPECT_FALSE(ungrouped->Down()) << "a button without group never stays down";

    auto* b = Make("btnOnRec", 1);
    b->SetAllowAllUp(true);
    b->SetDown(true);
    b->SetDown(true);
    EXPECT_TRUE(b->Down());
    b->SetDown(false);
    EXPECT_FALSE(b->Down());
    b->SetDown(false);
    EXPECT_EQ(log, std::vector<std::string>{"btnOnRec down"})
        << "once for going down; nothing when already down, going up or staying up";
}

TEST_F(ExtSpeedButtonTest, InAGroupOnlyTheButtonGoingDownRaisesOnDown) {
    auto* never = Make("btnNever", 3);
    auto* onRec = Make("btnOnRec", 3);
    auto* onPunch = Make("btnOnPunch", 3);
    never->SetDown(true);
    onRec->SetDown(true);
    EXPECT_FALSE(never->Down());
    EXPECT_TRUE(onRec->Down());
    onRec->SetDown(false);
    EXPECT_TRUE(onRec->Down()) << "without AllowAllUp a down button stays down";
    EXPECT_FALSE(onPunch->Down());
    EXPECT_EQ(log, (std::vector<std::string>{"btnNever down", "btnOnRec down"}));
}

TEST_F(ExtSpeedButtonTest, MouseClickRaisesOnClickThenOnDownAndNothingForADownButton) {
    auto* anaMon = Make("btnAnaMon", 2);
    auto* digMon = Make("btnDigMon", 2);
    anaMon->SetDown(true);
    log.clear();

    ASSERT_TRUE(UserInput::Click(digMon));
    EXPECT_TRUE(digMon->Down());
    EXPECT_FALSE(anaMon->Down());
    EXPECT_EQ(log, (std::vector<std::string>{"btnDigMon click", "btnDigMon down"}));

    log.clear();
    UserInput::Click(digMon);
    EXPECT_TRUE(digMon->Down());
    EXPECT_EQ(log, std::vector<std::string>{"btnDigMon click"}) << "already down: no OnDown";

    log.clear();
    UserInput::MouseDown(anaMon, mbLeft, 0, 5, 5);
    UserInput::MouseUp(anaMon, mbLeft, 0, -20, 5);
    EXPECT_FALSE(anaMon->Down()) << "released beside the button: no click";
    EXPECT_TRUE(log.empty());
}

TEST_F(ExtSpeedButtonTest, MouseReleaseThatLiftsAButtonRaisesNoOnDown) {
    auto* b = Make("btnRoute", 4);
    b->SetAllowAllUp(true);
    UserInput::Click(b);
    log.clear();
    UserInput::Click(b);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(log, std::vector<std::string>{"btnRoute click"});
}

TEST_F(ExtSpeedButtonTest, ThePlainSetterAsARestoreUsesItRaisesNoOnDown) {
    auto* a = Make("btnA", 5);
    auto* b = Make("btnB", 5);
    a->SetDownByRule(true);
    b->SetDownByRule(true);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(log.empty());
}

TEST_F(ExtSpeedButtonTest, NoOnDownWhileLoadingTheDownStateStillArrives) {
    auto* f = new TForm(&app);
    f->BeginLoading();
    auto* b = new TExtSpeedButton(f);
    b->SetParent(f);
    b->SetGroupIndex(1);
    int downs = 0;
    b->OnDown = [&](TObject*) { ++downs; };
    b->SetHintEnglish("Analog");
    b->SetHintGerman("Analog");
    b->SetCaptionEnglish("Analog");
    b->SetCaptionGerman("Analog");
    b->SetDown(true);
    f->EndLoading();
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(downs, 0);
    EXPECT_EQ(b->Caption(), "Analog");
}

} // namespace
