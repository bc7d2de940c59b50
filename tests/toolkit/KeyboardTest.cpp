#include "ToolkitFixture.h"
#include "toolkit/KeyboardNavigation.h"
#include "toolkit/ScrollRepeat.h"
#include "toolkit/TButton.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TForm.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TPanel.h"
#include "toolkit/TRadioButton.h"
#include "toolkit/TScrollBox.h"
#include "toolkit/TTrackBar.h"
#include "toolkit/UserInput.h"

#include <string>
#include <vector>

namespace {

class KeyboardTest : public ToolkitTest {
protected:
    KeyboardTest() {
        form = new TForm(&app);
        form->Show();
    }

    template <class T>
    T* Add(TWinControl* parent, const std::string& name, std::string caption = {}) {
        auto* c = new T(form);
        c->SetName(name);
        c->SetParent(parent);
        if (!caption.empty())
            c->SetCaption(caption);
        return c;
    }

    std::string Focused() const {
        return form->ActiveControl() ? form->ActiveControl()->Name() : "-";
    }

    // The names Tab reaches, starting from no focus, once round.
    std::vector<std::string> TabRound(int count, TShiftState shift = 0) {
        std::vector<std::string> seen;
        for (int i = 0; i < count; ++i) {
            UserInput::KeyDown(form, VK_TAB, shift);
            seen.push_back(Focused());
        }
        return seen;
    }

    TForm* form;
};

using Names = std::vector<std::string>;

TEST_F(KeyboardTest, TabFollowsTabOrderThroughContainersAndSkipsWhatCannotTakeTheFocus) {
    auto* a = Add<TEdit>(form, "a");
    auto* panel = Add<TPanel>(form, "panel");
    Add<TButton>(panel, "p1");
    auto* p2 = Add<TCheckBox>(panel, "p2");
    auto* b = Add<TEdit>(form, "b");
    auto* off = Add<TEdit>(form, "off");
    off->SetEnabled(false);
    auto* noStop = Add<TEdit>(form, "noStop");
    noStop->SetTabStop(false);
    b->SetTabOrder(0); // b first, then a, then the panel's children
    p2->SetTabOrder(0);
    EXPECT_EQ(a->TabOrder(), 1);
    EXPECT_EQ(TabRound(5), (Names{"b", "a", "p2", "p1", "b"}));
    EXPECT_EQ(TabRound(2, ssShift), (Names{"p1", "p2"}));

    panel->Hide();
    EXPECT_EQ(TabRound(3), (Names{"b", "a", "b"}));
}

TEST_F(KeyboardTest, EnterAndExitRunForContainersTooAndAnOnExitThatRefocusesKeepsTheFocus) {
    auto* left = Add<TPanel>(form, "left");
    auto* rate = Add<TEdit>(left, "rate");
    auto* right = Add<TPanel>(form, "right");
    auto* other = Add<TEdit>(right, "other");
    Names log;
    for (TWinControl* c : std::vector<TWinControl*>{left, rate, right, other}) {
        c->OnEnter = [&log, c](TObject*) { log.push_back(c->Name() + " enter"); };
        c->OnExit = [&log, c](TObject*) { log.push_back(c->Name() + " exit"); };
    }
    UserInput::Focus(rate);
    UserInput::KeyDown(form, VK_TAB);
    EXPECT_EQ(log, (Names{"left enter", "rate enter", "rate exit", "left exit", "right enter",
                          "other enter"}));

    // A field whose check fails takes the focus back in its OnExit: Tab leaves it there.
    log.clear();
    UserInput::Focus(rate);
    rate->OnExit = [&](TObject*) {
        log.push_back("rate check");
        rate->SetFocus();
    };
    log.clear();
    UserInput::KeyDown(form, VK_TAB);
    EXPECT_EQ(Focused(), "rate");
    EXPECT_EQ(log, (Names{"rate check"}));
}

TEST_F(KeyboardTest, ARadioGroupIsOneTabStopAndArrowsCheckEachButtonOnTheWay) {
    auto* first = Add<TEdit>(form, "first");
    auto* group = Add<TPanel>(form, "group");
    auto* r1 = Add<TRadioButton>(group, "r1");
    auto* r2 = Add<TRadioButton>(group, "r2");
    auto* r3 = Add<TRadioButton>(group, "r3");
    Names clicks;
    for (TRadioButton* r : {r1, r2, r3})
        r->OnClick = [&clicks, r](TObject*) { clicks.push_back(r->Name()); };
    UserInput::Focus(first);
    EXPECT_EQ(TabRound(2), (Names{"r1", "first"})) << "none checked: the first is the stop";
    r2->SetChecked(true);
    clicks.clear();
    EXPECT_EQ(TabRound(2), (Names{"r2", "first"}));

    UserInput::Focus(r2);
    UserInput::KeyDown(form, VK_DOWN);
    UserInput::KeyDown(form, VK_RIGHT);
    EXPECT_EQ(Focused(), "r1") << "the arrows wrap round the group";
    EXPECT_TRUE(r1->Checked());
    EXPECT_FALSE(r3->Checked());
    r3->SetEnabled(false);
    UserInput::KeyDown(form, VK_UP);
    EXPECT_EQ(Focused(), "r2") << "a disabled button is passed over";
    EXPECT_EQ(clicks, (Names{"r3", "r1", "r2"}));
}

TEST_F(KeyboardTest, SpacePressesEnterPrefersTheFocusedButtonAndCtrlTabTurnsPages) {
    auto* box = Add<TCheckBox>(form, "box");
    auto* apply = Add<TButton>(form, "apply");
    auto* ok = Add<TButton>(form, "ok");
    ok->SetDefault(true);
    Names clicks;
    apply->OnClick = [&](TObject*) { clicks.push_back("apply"); };
    ok->OnClick = [&](TObject*) { clicks.push_back("ok"); };
    UserInput::Focus(box);
    UserInput::KeyDown(form, VK_SPACE);
    EXPECT_TRUE(box->Checked());
    UserInput::KeyDown(form, VK_RETURN);
    UserInput::Focus(apply);
    UserInput::KeyDown(form, VK_SPACE);
    UserInput::KeyDown(form, VK_RETURN);
    EXPECT_EQ(clicks, (Names{"ok", "apply", "apply"}));

    auto* pages = Add<TPageControl>(form, "pages");
    auto* one = new TTabSheet(form);
    one->SetPageControl(pages);
    auto* two = new TTabSheet(form);
    two->SetPageControl(pages);
    auto* three = new TTabSheet(form);
    three->SetPageControl(pages);
    three->SetTabVisible(false);
    auto* field = Add<TEdit>(one, "field");
    pages->SetActivePageIndex(0);
    UserInput::Focus(field);
    UserInput::KeyDown(form, VK_TAB, ssCtrl);
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    EXPECT_EQ(Focused(), "pages") << "the focus left with its sheet";
    UserInput::KeyDown(form, VK_TAB, ssCtrl);
    EXPECT_EQ(pages->ActivePageIndex(), 0) << "a sheet without a tab is passed over";
    UserInput::KeyDown(form, VK_TAB, ssCtrl | ssShift);
    EXPECT_EQ(pages->ActivePageIndex(), 1);

    // Ctrl+Tab leaves a field as Tab does: a field whose check takes the focus back keeps its page.
    pages->SetActivePageIndex(0);
    UserInput::Focus(field);
    field->OnExit = [&](TObject*) { field->SetFocus(); };
    UserInput::KeyDown(form, VK_TAB, ssCtrl);
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    EXPECT_EQ(Focused(), "field");
}

TEST_F(KeyboardTest, ADropDownListChoosesByArrowsHomeEndAndLettersAndOpensAndClosesByKeys) {
    auto* list = Add<TComboBox>(form, "list");
    for (const char* item :
         {"Kein Gerät verfügbar", "Analog Playback ", "ADAT Playback 1-2", "ADAT Playback 3-4"})
        list->Items().Add(item);
    list->SetItemIndex(1);
    auto* ok = Add<TButton>(form, "ok");
    ok->SetDefault(true);
    Names log;
    list->OnChange = [&](TObject*) { log.push_back(std::to_string(list->ItemIndex())); };
    ok->OnClick = [&](TObject*) { log.push_back("ok"); };
    UserInput::Focus(list);
    for (WORD key : {VK_UP, VK_UP, VK_DOWN, VK_END, VK_DOWN, VK_HOME})
        UserInput::KeyDown(form, key);
    EXPECT_EQ(log, (Names{"0", "1", "3", "0"})) << "each move a choice, none beyond an end";
    log.clear();
    for (char letter : {'a', 'A', 'a', 'k', 'x'})
        UserInput::KeyPress(form, letter);
    EXPECT_EQ(log, (Names{"1", "2", "3", "0"})) << "the next item beginning with the letter";

    log.clear();
    UserInput::KeyDown(form, VK_F1 + 3);
    EXPECT_TRUE(list->DroppedDown());
    UserInput::KeyDown(form, VK_RETURN);
    EXPECT_FALSE(list->DroppedDown());
    UserInput::KeyDown(form, VK_DOWN, ssAlt);
    EXPECT_TRUE(list->DroppedDown());
    UserInput::KeyDown(form, VK_ESCAPE);
    EXPECT_FALSE(list->DroppedDown());
    EXPECT_EQ(log, Names{}) << "Enter and Esc close an open list and do nothing else";
    UserInput::KeyDown(form, VK_RETURN);
    EXPECT_EQ(log, Names{"ok"}) << "with the list closed Enter is the dialog's again";
}

TEST_F(KeyboardTest, AWindowThatOpensFocusesItsActiveControlElseItsFirstTabStop) {
    auto* other = new TForm(&app);
    auto* hidden = new TEdit(other);
    hidden->SetParent(other);
    hidden->Hide();
    auto* first = new TEdit(other);
    first->SetName("first");
    first->SetParent(other);
    auto* second = new TEdit(other);
    second->SetParent(other);
    other->Show();
    EXPECT_EQ(other->ActiveControl(), first);
    ASSERT_TRUE(UserInput::Focus(second));
    other->Hide();
    other->Show();
    EXPECT_EQ(other->ActiveControl(), second) << "shown again where it was left";
}

TEST_F(KeyboardTest, AltLetterActsOnTheFirstReachableControlCarryingIt) {
    auto* pages = Add<TPageControl>(form, "pages");
    auto* front = new TTabSheet(form);
    front->SetPageControl(pages);
    auto* back = new TTabSheet(form);
    back->SetPageControl(pages);
    pages->SetActivePageIndex(0);
    auto* hiddenBox = Add<TCheckBox>(back, "hiddenBox", "&Optimiertes");
    auto* ok = Add<TButton>(form, "ok", "&Ok");
    auto* again = Add<TCheckBox>(form, "again", "&Optimiertes Cursor Handling");
    auto* settings = Add<TCheckBox>(form, "settings", "&Einstellungen");
    auto* amp = Add<TCheckBox>(form, "amp", "R&&B");
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetCaption("&Rate");
    auto* rate = Add<TEdit>(form, "rate");
    label->SetFocusControl(rate);
    int okClicks = 0;
    ok->OnClick = [&](TObject*) { ++okClicks; };

    UserInput::KeyDown(form, 'O', ssAlt);
    EXPECT_EQ(okClicks, 1) << "the first of two carrying the letter wins";
    EXPECT_FALSE(again->Checked());
    EXPECT_FALSE(hiddenBox->Checked()) << "an inactive sheet never answers";
    EXPECT_EQ(Focused(), "-") << "a button's accelerator does not move the focus";

    UserInput::KeyDown(form, 'e', ssAlt);
    EXPECT_TRUE(settings->Checked());
    EXPECT_EQ(Focused(), "settings");
    UserInput::KeyDown(form, 'B', ssAlt);
    EXPECT_FALSE(amp->Checked()) << "&& is a plain ampersand";
    UserInput::KeyDown(form, 'R', ssAlt);
    EXPECT_EQ(Focused(), "rate");

    ok->SetEnabled(false);
    UserInput::KeyDown(form, 'O', ssAlt);
    EXPECT_TRUE(again->Checked());
}

TEST_F(KeyboardTest, TrackBarKeysStepByLineAndPageAndJumpToTheEnds) {
    auto* bar = Add<TTrackBar>(form, "bar");
    bar->SetMax(20);
    bar->SetPosition(10);
    bar->SetPageSize(5);
    std::vector<int> seen;
    bar->OnChange = [&](TObject*) { seen.push_back(bar->Position()); };
    UserInput::Focus(bar);
    for (WORD key :
         {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_DOWN, VK_PRIOR, VK_NEXT, VK_END, VK_NEXT, VK_HOME})
        UserInput::KeyDown(form, key);
    EXPECT_EQ(seen, (std::vector<int>{9, 8, 9, 10, 11, 6, 11, 20, 0}));
    EXPECT_EQ(Focused(), "bar") << "the arrows stay on the bar";
}

TEST_F(KeyboardTest, AControlFocusedOutsideAScrollBoxViewIsScrolledIntoIt) {
    form->SetBounds(0, 0, 400, 400);
    auto* box = Add<TScrollBox>(form, "box");
    box->SetBounds(0, 0, 200, 100);
    auto* strip = Add<TPanel>(box, "strip");
    strip->SetBounds(0, 0, 150, 400);
    auto* top = Add<TEdit>(strip, "top");
    top->SetBounds(0, 0, 50, 20);
    auto* low = Add<TEdit>(strip, "low");
    low->SetBounds(0, 300, 50, 20);
    UserInput::Focus(top);
    UserInput::KeyDown(form, VK_TAB);
    EXPECT_EQ(Focused(), "low");
    EXPECT_EQ(box->VertScrollBar().Position(), 320 - box->ClientHeight());
    UserInput::KeyDown(form, VK_TAB, ssShift);
    EXPECT_EQ(box->VertScrollBar().Position(), 0);
}

TEST_F(KeyboardTest, AHeldScrollArrowRepeatsAfter400MsThenEvery50MsUntilLetGo) {
    form->SetBounds(0, 0, 400, 400);
    auto* box = Add<TScrollBox>(form, "box");
    box->SetBounds(0, 0, 200, 100);
    Add<TPanel>(box, "strip")->SetBounds(0, 0, 150, 1000);
    auto& bar = box->VertScrollBar();
    const int line = bar.Increment();
    auto wait = [&](unsigned ms) {
        clock->Advance(ms);
        app.ProcessMessages();
        return bar.Position() / line;
    };
    ASSERT_TRUE(ScrollRepeat::Press(bar, scLineDown));
    EXPECT_EQ(bar.Position(), line);
    EXPECT_EQ(wait(399), 1);
    EXPECT_EQ(wait(1), 2);
    EXPECT_EQ(wait(49), 2);
    EXPECT_EQ(wait(1), 3);
    EXPECT_EQ(wait(50), 4);
    ScrollRepeat::Release();
    EXPECT_EQ(wait(500), 4);

    ASSERT_TRUE(ScrollRepeat::Press(bar, scLineUp));
    box->Free(); // the window goes while the arrow is held
    clock->Advance(1000);
    app.ProcessMessages();
    EXPECT_FALSE(ScrollRepeat::Holding());
}

} // namespace
