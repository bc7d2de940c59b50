#include "ToolkitFixture.h"
#include "platform/MultimediaTimers.h"
#include "platform/WindowTable.h"
#include "toolkit/Exceptions.h"
#include "toolkit/SystemMenu.h"
#include "toolkit/TButton.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TPanel.h"
#include "toolkit/TScreen.h"
#include "toolkit/TTimer.h"
#include "toolkit/UserInput.h"
#include "toolkit/WindowPos.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using FormTest = ToolkitTest;

TEST_F(FormTest, CloseRunsOnCloseWhoseActionDecidesAlsoWhenAlreadyHidden) {
    auto* main = new TForm(&app); // keeps "main form" out of the way
    (void)main;
    TForm* f = nullptr;
    app.CreateForm(f);
    app.CreateForm(f);
    EXPECT_NE(app.MainForm(), f);
    TCloseAction next = caNone;
    int closes = 0, shows = 0, destroys = 0;
    f->OnClose = [&](TObject*, TCloseAction& a) {
        ++closes;
        a = next;
    };
    f->OnShow = [&](TObject*) { ++shows; };
    f->OnDestroy = [&](TObject*) { ++destroys; };
    f->Show();
    f->Show();
    EXPECT_EQ(shows, 1);
    f->Close();
    EXPECT_TRUE(f->Visible()) << "caNone refuses";
    next = caHide;
    f->Close();
    EXPECT_FALSE(f->Visible());
    f->Close();
    EXPECT_EQ(closes, 3) << "closing a hidden form still runs OnClose";
    next = caFree;
    f->Show();
    f->Close();
    EXPECT_EQ(destroys, 0) << "freed once the pending messages ran";
    app.ProcessMessages();
    EXPECT_EQ(destroys, 1);
}

TEST_F(FormTest, CreateFormMakesTheFirstTheMainFormAndReportsAnErrorOfOnCreate) {
    struct Failing : TForm {
        explicit Failing(TComponent* o) : TForm(o) {
            LoadDesign([this] { OnCreate = [](TObject*) { throw Exception("Treiber fehlt"); }; });
        }
    };
    struct Aborting : TForm {
        explicit Aborting(TComponent* o) : TForm(o) {
            LoadDesign([this] { OnCreate = [](TObject*) { Abort(); }; });
        }
    };
    Failing* first = nullptr;
    Aborting* second = nullptr;
    app.CreateForm(first);
    app.CreateForm(second);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(app.MainForm(), first);
    ASSERT_EQ(boxes->History().size(), 1u) << "EAbort is silent";
    const auto& shown = boxes->History()[0].request;
    EXPECT_EQ(shown.text, "Treiber fehlt");
    EXPECT_EQ(shown.caption, "Varnel PRO Manager");
    EXPECT_EQ(shown.style, MB_OK | MB_ICONERROR);
}

TEST_F(FormTest, FormsAreTopLevelWindowsAndTheirControlsAreNot) {
    auto* f = new TForm(&app);
    auto* panel = new TPanel(f);
    panel->SetParent(f);
    auto top = WindowTable::Instance().TopLevelWindows();
    EXPECT_NE(std::find(top.begin(), top.end(), f->Handle()), top.end());
    EXPECT_EQ(std::find(top.begin(), top.end(), panel->Handle()), top.end());
}

TEST_F(FormTest, HandlersByMessageNumberPerformAndTheDefaultHandler) {
    auto* f = new TForm(&app);
    std::vector<WPARAM> seen;
    f->SetMessageHandler(WM_USER + 1, [&](TMessage& m) {
        seen.push_back(m.WParam);
        m.Result = 1;
    });
    f->SetMessageHandler(WM_USER + 2, [](TMessage&) { throw Exception("Fehler im Handler"); });
    EXPECT_EQ(f->Perform(WM_USER + 1, 7, 0), 1);
    PostMessageA(f->Handle(), WM_USER + 1, 8, 0);
    PostMessageA(f->Handle(), WM_USER + 2, 0, 0);
    PostMessageA(f->Handle(), WM_USER + 3, 0, 0); // nobody's: the default handler ignores it
    f->Show();
    PostMessageA(f->Handle(), WM_CLOSE, 0, 0);
    app.ProcessMessages();
    EXPECT_EQ(seen, (std::vector<WPARAM>{7, 8}));
    EXPECT_FALSE(f->Visible());
    ASSERT_EQ(boxes->History().size(), 1u) << "a posted message's error is reported, not fatal";
    EXPECT_EQ(boxes->History()[0].request.text, "Fehler im Handler");
}

TEST_F(FormTest, ModalInModalKeepsTimersAndPostedMessagesRunningEachWithItsOwnResult) {
    auto* main = new TForm(&app);
    main->Show();
    auto* dlg = new TForm(&app);
    auto* timer = new TTimer(dlg);
    timer->SetInterval(100);
    int ticks = 0;
    timer->OnTimer = [&](TObject*) { ++ticks; };
    bool postedRan = false, mainDisabledMeanwhile = false;
    int boxAnswer = 0;
    dlg->SetMessageHandler(WM_USER + 5, [&](TMessage&) { postedRan = true; });
    dlg->SetMessageHandler(WM_USER + 1, [&](TMessage&) {
        mainDisabledMeanwhile = !main->Enabled();
        boxes->OnNextShow([&] { PostMessageA(dlg->Handle(), WM_USER + 5, 0, 0); });
        boxes->AnswerWhen([&] { return postedRan && ticks >= 3; }, IDNO);
        boxAnswer = MessageBoxA(dlg->Handle(), "Wirklich?", "Frage", MB_YESNO | MB_ICONQUESTION);
        PostMessageA(dlg->Handle(), WM_USER + 2, 0, 0);
    });
    dlg->SetMessageHandler(WM_USER + 2, [&](TMessage&) { dlg->SetModalResult(mrOk); });
    PostMessageA(dlg->Handle(), WM_USER + 1, 0, 0);

    EXPECT_EQ(dlg->ShowModal(), mrOk);
    EXPECT_EQ(boxAnswer, IDNO);
    EXPECT_GE(ticks, 3);
    EXPECT_GE(timeGetTime(), 300u) << "virtual time ran inside the box's loop";
    EXPECT_TRUE(mainDisabledMeanwhile);
    EXPECT_TRUE(main->Enabled());
    EXPECT_FALSE(dlg->Visible());
    EXPECT_EQ(boxes->History()[0].request.owner, dlg->Handle());
    EXPECT_EQ(Screen->ActiveForm(), main);
}

TEST_F(FormTest, TheProgramsEndClosesOpenBoxesAndModalFormsAndRunsNoFurtherMessage) {
    auto* dlg = new TForm(&app);
    bool lateRan = false;
    int boxAnswer = 0;
    dlg->SetMessageHandler(WM_USER + 5, [&](TMessage&) { app.BeginEnding(); });
    dlg->SetMessageHandler(WM_USER + 6, [&](TMessage&) { lateRan = true; });
    dlg->SetMessageHandler(WM_USER + 1, [&](TMessage&) {
        boxes->OnNextShow([&] {
            PostMessageA(dlg->Handle(), WM_USER + 5, 0, 0);
            PostMessageA(dlg->Handle(), WM_USER + 6, 0, 0);
        });
        boxes->AnswerWhen([] { return false; }, IDOK);
        boxAnswer = MessageBoxA(dlg->Handle(), "Weiter?", "Frage", MB_OKCANCEL);
    });
    PostMessageA(dlg->Handle(), WM_USER + 1, 0, 0);

    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    EXPECT_EQ(boxAnswer, IDCANCEL) << "as if its close box was pressed";
    EXPECT_FALSE(dlg->Visible());
    app.ProcessMessages();
    EXPECT_FALSE(lateRan) << "no message runs once the end has begun";
    EXPECT_EQ(MessageBoxA(0, "Noch?", "Frage", MB_OK), IDOK);
    EXPECT_EQ(boxes->History().size(), 1u) << "a later box is not shown";
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    EXPECT_FALSE(dlg->Visible());
}

// Not only its owner: a script or an assistive tool could free the owner through another window.
TEST_F(FormTest, ABoxDisablesEveryFormForItsLifetimeHoweverItEnds) {
    auto* form = new TForm(&app);
    auto* button = new TButton(form);
    button->SetParent(form);
    auto* other = new TForm(&app);
    std::vector<bool> enabledWhileOpen;
    auto look = [&] { enabledWhileOpen.push_back(form->Enabled() || other->Enabled()); };

    boxes->OnNextShow(look);
    EXPECT_EQ(MessageBoxA(button->Handle(), "t", "c", MB_OK), IDOK);
    EXPECT_TRUE(form->Enabled()) << "answered";

    boxes->OnNextShow([&] {
        look();
        throw std::runtime_error("im Kasten");
    });
    EXPECT_THROW(MessageBoxA(form->Handle(), "t", "c", MB_OK), std::runtime_error);
    EXPECT_TRUE(form->Enabled()) << "left by an exception";

    boxes->OnNextShow([&] {
        look();
        app.BeginEnding();
    });
    boxes->AnswerWhen([] { return false; }, IDOK);
    EXPECT_EQ(MessageBoxA(form->Handle(), "t", "c", MB_OKCANCEL), IDCANCEL);
    EXPECT_TRUE(form->Enabled()) << "closed by the program's end";
    EXPECT_TRUE(other->Enabled());
    EXPECT_EQ(enabledWhileOpen, std::vector<bool>(3, false));
}

TEST_F(FormTest, ABoxLeavesADisabledOwnerDisabledAndSurvivesItsOwnerBeingFreed) {
    auto* form = new TForm(&app);
    form->SetEnabled(false);
    MessageBoxA(form->Handle(), "t", "c", MB_OK);
    EXPECT_FALSE(form->Enabled()) << "not enabled by a box that did not disable it";

    form->SetEnabled(true);
    boxes->OnNextShow([&] { delete form; });
    EXPECT_EQ(MessageBoxA(form->Handle(), "t", "c", MB_OK), IDOK);
}

TEST_F(FormTest, ModalCloseRefusedByOnCloseKeepsTheLoopRunning) {
    auto* dlg = new TForm(&app);
    int closes = 0;
    dlg->OnClose = [&](TObject*, TCloseAction& a) {
        if (++closes == 1)
            a = caNone;
    };
    PostMessageA(dlg->Handle(), WM_CLOSE, 0, 0);
    PostMessageA(dlg->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    EXPECT_EQ(closes, 2);
}

TEST_F(FormTest, EnterPressesTheDefaultButtonAndEscTheCancelButton) {
    auto* dlg = new TForm(&app);
    auto* ok = new TButton(dlg);
    ok->SetParent(dlg);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = new TButton(dlg);
    cancel->SetParent(dlg);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    int okClicks = 0;
    ok->OnClick = [&](TObject*) { ++okClicks; };
    dlg->SetMessageHandler(WM_USER, [&](TMessage& m) { UserInput::KeyDown(dlg, WORD(m.WParam)); });
    PostMessageA(dlg->Handle(), WM_USER, VK_RETURN, 0);
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    EXPECT_EQ(okClicks, 1);
    PostMessageA(dlg->Handle(), WM_USER, VK_ESCAPE, 0);
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    EXPECT_EQ(okClicks, 1);
}

TEST_F(FormTest, AClickMovesTheFocusFirstAndASetFocusInOnExitWins) {
    auto* f = new TForm(&app);
    f->Show();
    auto* ed = new TEdit(f);
    ed->SetParent(f);
    auto* chk = new TCheckBox(f);
    chk->SetParent(f);
    std::vector<std::string> log;
    bool keepFocus = false;
    ed->OnEnter = [&](TObject*) { log.push_back("ed enter"); };
    ed->OnExit = [&](TObject*) {
        log.push_back("ed exit");
        if (keepFocus)
            ed->SetFocus();
    };
    chk->OnEnter = [&](TObject*) { log.push_back("chk enter"); };
    chk->OnClick = [&](TObject*) { log.push_back("chk click"); };
    ed->SetFocus();
    UserInput::Click(chk);
    EXPECT_EQ(log, (std::vector<std::string>{"ed enter", "ed exit", "chk enter", "chk click"}));
    EXPECT_TRUE(chk->Focused());

    UserInput::Focus(ed);
    keepFocus = true;
    log.clear();
    UserInput::Click(chk);
    EXPECT_TRUE(ed->Focused());
    EXPECT_EQ(log, (std::vector<std::string>{"ed exit", "chk click"}));
    chk->Hide();
    EXPECT_THROW(chk->SetFocus(), EInvalidOperation);
}

TEST_F(FormTest, ActivationMovesBetweenFormsAndTheApplication) {
    auto* a = new TForm(&app);
    auto* b = new TForm(&app);
    std::vector<std::string> log;
    a->OnActivate = [&](TObject*) { log.push_back("a+"); };
    a->OnDeactivate = [&](TObject*) { log.push_back("a-"); };
    b->OnActivate = [&](TObject*) { log.push_back("b+"); };
    app.OnDeactivate = [&](TObject*) { log.push_back("app-"); };
    a->Show();
    b->Show();
    UserInput::ActivateForm(a);
    UserInput::ActivateApplication(false);
    EXPECT_EQ(log, (std::vector<std::string>{"a+", "a-", "b+", "a+", "app-"}));
}

TEST_F(FormTest, SystemMenuItemsAreKeptChosenAsWmSysCommandAndLimitedTo255Characters) {
    auto* f = new TForm(&app);
    std::vector<WPARAM> commands;
    f->SetMessageHandler(WM_SYSCOMMAND, [&](TMessage& m) {
        commands.push_back(m.WParam);
        f->DefaultHandler(m);
    });
    HMENU menu = GetSystemMenu(f->Handle(), FALSE);
    ASSERT_NE(menu, 0u);
    EXPECT_EQ(GetSystemMenu(f->Handle(), FALSE), menu);
    const int standard = GetMenuItemCount(menu);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | MF_CHECKED, 0x1234, " Peak Meter");
    std::string longText;
    for (int i = 0; i < 300; ++i)
        longText += "ä";
    AppendMenuA(menu, MF_STRING, 0x1235, longText.c_str());
    ModifyMenuA(menu, 0x1234, MF_BYCOMMAND | MF_UNCHECKED, 0x1234, " Peak Meter");
    auto items = SystemMenuItems(f->Handle());
    ASSERT_EQ(items.size(), static_cast<size_t>(standard + 3));
    EXPECT_TRUE(items[standard].separator);
    EXPECT_FALSE(items[standard + 1].checked);
    EXPECT_EQ(items[standard + 2].text.size(), 255u * 2) << "255 characters, none split";
    EXPECT_TRUE(UserInput::ChooseSystemMenuItem(f, " Peak Meter"));
    EXPECT_FALSE(UserInput::ChooseSystemMenuItem(f, "gibt es nicht"));
    f->Show();
    UserInput::CloseWindow(f);
    EXPECT_EQ(commands, (std::vector<WPARAM>{0x1234, SC_CLOSE}));
    EXPECT_FALSE(f->Visible());
    GetSystemMenu(f->Handle(), TRUE);
    EXPECT_EQ(GetMenuItemCount(menu), standard);
}

TEST_F(FormTest, SetWindowPosMakesAWindowTopmostAndBackWithoutMovingIt) {
    auto* f = new TForm(&app);
    f->SetBounds(10, 20, 176, 200);
    EXPECT_TRUE(SetWindowPos(f->Handle(), HWND_TOPMOST, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
    EXPECT_TRUE(f->Topmost());
    EXPECT_EQ(f->BoundsRect(), Bounds(10, 20, 176, 200));
    SetWindowPos(f->Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, 0x13);
    EXPECT_FALSE(f->Topmost());
    EXPECT_FALSE(SetWindowPos(987654, HWND_TOPMOST, 0, 0, 0, 0, 0x13));
}

TEST_F(FormTest, TerminatePostsAQuitThatOnlySetsTerminated) {
    app.Terminate();
    EXPECT_FALSE(app.Terminated());
    app.HandleMessage();
    EXPECT_TRUE(app.Terminated());
}

TEST_F(FormTest, ScreenCentreIsAppliedOnTheFirstShow) {
    auto* f = new TForm(&app);
    f->SetBounds(0, 0, 300, 200);
    f->SetPosition(poScreenCenter);
    f->Show();
    EXPECT_EQ(f->Left(), (Screen->Width() - 300) / 2);
    EXPECT_EQ(f->Top(), (Screen->Height() - 200) / 2);
}

} // namespace
