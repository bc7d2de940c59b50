#include "ToolkitFixture.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TGroupBox.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TPanel.h"
#include "toolkit/TRadioButton.h"
#include "toolkit/TSpeedButton.h"
#include "toolkit/TTrackBar.h"
#include "toolkit/UserInput.h"

#include <string>
#include <vector>

namespace {

class ControlsTest : public ToolkitTest {
protected:
    ControlsTest() {
        form = new TForm(&app);
        form->Show();
    }
    template <class T> T* Make(TWinControl* parent, const std::string& name) {
        auto* c = new T(form);
        c->SetName(name);
        c->SetParent(parent);
        c->OnClick = [this](TObject* s) { log.push_back(static_cast<TComponent*>(s)->Name()); };
        return c;
    }
    TForm* form;
    std::vector<std::string> log;
};

TEST_F(ControlsTest, CheckBoxRunsItsClickOnEveryChangeFromCodeAndOnAUserClick) {
    auto* chk = Make<TCheckBox>(form, "chkPeakMeter");
    chk->SetChecked(true);
    chk->SetChecked(true);
    chk->SetChecked(false);
    EXPECT_EQ(log.size(), 2u) << "once per change, none when unchanged";
    UserInput::Click(chk);
    EXPECT_TRUE(chk->Checked());
    EXPECT_EQ(log.size(), 3u);
    chk->SetEnabled(false);
    EXPECT_FALSE(UserInput::Click(chk)) << "a user cannot click a disabled box";
    EXPECT_TRUE(chk->Checked());
    chk->SetChecked(false);
    EXPECT_EQ(log.size(), 4u) << "from code it reacts even when disabled";
}

TEST_F(ControlsTest, RadioButtonReactsOnlyWhenItBecomesCheckedNeverForUncheckedSiblings) {
    auto* grp = Make<TGroupBox>(form, "grpClock");
    auto* b1 = Make<TRadioButton>(grp, "btnClock1");
    auto* b2 = Make<TRadioButton>(grp, "btnClock2");
    auto* other = Make<TRadioButton>(form, "btnElsewhere");
    other->SetChecked(true);
    log.clear();
    b1->SetChecked(true);
    b2->SetChecked(true);
    EXPECT_FALSE(b1->Checked());
    EXPECT_TRUE(other->Checked()) << "another parent is another group";
    EXPECT_EQ(log, (std::vector<std::string>{"btnClock1", "btnClock2"}));
    b2->SetChecked(false);
    EXPECT_EQ(log.size(), 2u) << "unchecking runs nothing";
    b2->SetChecked(true);
    log.clear();
    UserInput::Click(b2);
    EXPECT_TRUE(log.empty()) << "clicking the checked button changes nothing";
    UserInput::Click(b1);
    EXPECT_EQ(log, std::vector<std::string>{"btnClock1"});
    EXPECT_FALSE(b2->Checked());
}

TEST_F(ControlsTest, TrackBarClampsAndReportsEveryChangeAlsoFromCode) {
    auto* bar = Make<TTrackBar>(form, "barGain");
    int changes = 0;
    bar->OnChange = [&](TObject*) { ++changes; };
    bar->SetMax(100);
    bar->SetPosition(60);
    EXPECT_EQ(changes, 1);
    bar->SetPosition(60);
    bar->SetPosition(500);
    EXPECT_EQ(bar->Position(), 100);
    EXPECT_EQ(changes, 2);
    bar->SetMax(50);
    EXPECT_EQ(bar->Position(), 50) << "a narrower range moves the position";
    EXPECT_EQ(changes, 3);
    UserInput::MoveTrackBar(bar, 20);
    EXPECT_EQ(changes, 4);
    EXPECT_TRUE(bar->Focused());
    bar->SetFrequency(10);
    EXPECT_EQ(bar->Ticks(), (std::vector<int>{0, 10, 20, 30, 40, 50}));
}

TEST_F(ControlsTest, ComboBoxReportsOnlyTheUsersSelection) {
    auto* box = Make<TComboBox>(form, "boxDevices");
    box->SetStyle(csDropDownList);
    int changes = 0;
    box->OnChange = [&](TObject*) { ++changes; };
    box->Items().Add("Analog");
    box->Items().Add("Digital");
    box->SetItemIndex(1);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(box->Text(), "Digital");
    box->SetItemIndex(7);
    EXPECT_EQ(box->ItemIndex(), -1);
    UserInput::SelectItem(box, 0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(box->Text(), "Analog");
    box->Items().Clear();
    EXPECT_EQ(box->ItemIndex(), -1);
}

TEST_F(ControlsTest, EditReportsEveryTextChangeAndTypingReplacesTheText) {
    auto* ed = Make<TEdit>(form, "edDefaultRate1");
    std::vector<std::string> texts;
    ed->OnChange = [&](TObject*) { texts.push_back(ed->Text()); };
    ed->SetText("44100");
    UserInput::TypeText(ed, "4ä");
    EXPECT_EQ(texts, (std::vector<std::string>{"44100", "4", "4ä"}));
    char backspace = '\b';
    UserInput::KeyPress(form, backspace);
    EXPECT_EQ(ed->Text(), "4") << "backspace removes a whole character";
    ed->SetMaxLength(3);
    ed->SetText("123456");
    EXPECT_EQ(ed->Text(), "123");
}

// A speed button subclass as the program builds one: its own Down getter and setter and its own
// release handling, reporting each passage from up to down.
struct DownReportingButton : TSpeedButton {
    using TSpeedButton::TSpeedButton;
    std::vector<std::string>* log = nullptr;
    bool Down() const override { return TSpeedButton::Down(); }
    void SetDown(bool value) override {
        bool before = Down();
        SetDownByRule(value);
        if (Down() && !before)
            log->push_back(Name() + " down");
    }
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
        bool before = Down();
        TSpeedButton::MouseUp(b, s, x, y);
        if (Down() && !before)
            log->push_back(Name() + " down");
    }
};

TEST_F(ControlsTest, SpeedButtonsFollowTheGroupRuleAndReactOnlyToTheMouse) {
    auto* panel = Make<TPanel>(form, "pnRoute");
    auto* a = Make<TSpeedButton>(panel, "btnA");
    auto* b = Make<TSpeedButton>(panel, "btnB");
    auto* lone = Make<TSpeedButton>(panel, "btnLone");
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    lone->SetDown(true);
    EXPECT_FALSE(lone->Down()) << "a button without group never stays down";
    a->SetDown(true);
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
    b->SetDown(false);
    EXPECT_TRUE(b->Down()) << "without AllowAllUp a down button stays down";
    EXPECT_TRUE(log.empty()) << "setting Down from code runs no reaction";

    UserInput::Click(a);
    EXPECT_TRUE(a->Down());
    EXPECT_FALSE(b->Down());
    UserInput::Click(a);
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(log, (std::vector<std::string>{"btnA", "btnA"})) << "a click runs OnClick anyway";
    b->SetAllowAllUp(true);
    EXPECT_TRUE(a->AllowAllUp()) << "classic: the group shares AllowAllUp";
    UserInput::Click(a);
    EXPECT_FALSE(a->Down());

    log.clear();
    UserInput::MouseDown(lone, mbLeft, 0, 5, 5);
    UserInput::MouseUp(lone, mbLeft, 0, 100, 100);
    EXPECT_TRUE(log.empty()) << "released outside the button: no click";
}

TEST_F(ControlsTest, SubclassedSpeedButtonSeesItsOwnDownHandling) {
    auto* panel = Make<TPanel>(form, "pnRoute");
    auto* a = new DownReportingButton(form);
    auto* b = new DownReportingButton(form);
    for (auto [btn, name] : {std::pair{a, "btnA"}, std::pair{b, "btnB"}}) {
        btn->SetName(name);
        btn->SetParent(panel);
        btn->SetGroupIndex(3);
        btn->log = &log;
        btn->OnClick = [this, btn](TObject*) { log.push_back(btn->Name() + " click"); };
    }
    a->SetDown(true);
    b->SetDown(true);
    UserInput::Click(a);
    UserInput::Click(a);
    EXPECT_EQ(log, (std::vector<std::string>{"btnA down", "btnB down", "btnA click", "btnA down",
                                             "btnA click"}));
}

TEST_F(ControlsTest, PageControlShowsOnlyTheActiveSheetAndReportsOnlyTheUsersChoice) {
    auto* pages = Make<TPageControl>(form, "pcSettings");
    auto* clock = new TTabSheet(form);
    clock->SetCaption("Clock");
    clock->SetPageControl(pages);
    auto* devices = new TTabSheet(form);
    devices->SetCaption("Geräte");
    devices->SetPageControl(pages);
    int changes = 0;
    pages->OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    EXPECT_FALSE(devices->Visible());
    pages->SetActivePageIndex(1);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(devices->Visible());
    EXPECT_FALSE(clock->Visible());
    pages->OnChanging = [](TObject*, bool& allow) { allow = false; };
    EXPECT_FALSE(UserInput::SelectPage(pages, 0));
    pages->OnChanging = nullptr;
    EXPECT_TRUE(UserInput::SelectPage(pages, 0));
    EXPECT_EQ(changes, 1);
    devices->Free();
    EXPECT_EQ(pages->PageCount(), 1);
}

} // namespace
