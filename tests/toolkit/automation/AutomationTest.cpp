#include "AutomationClient.h"
#include "ToolkitFixture.h"
#include "platform/NotifyIcon.h"
#include "platform/Screenshot.h"
#include "toolkit/SystemMenu.h"
#include "toolkit/TButton.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TRadioButton.h"
#include "toolkit/TSpeedButton.h"
#include "toolkit/TTimer.h"
#include "toolkit/TTrackBar.h"
#include "toolkit/automation/AutomationEndpoint.h"
#include "toolkit/automation/ControlAutomation.h"

#include <filesystem>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr UINT WM_TRAY = WM_USER + 40;

// A window with one control of each kind a user can act on.
class TTestForm : public TForm {
public:
    explicit TTestForm(TComponent* owner) : TForm(owner) {
        LoadDesign([this] {
            SetName("frmTest");
            SetCaption("Test");
            SetBounds(10, 20, 300, 200);
            chkA = Make<TCheckBox>("chkA", this);
            chkA->SetCaption("Sag \"hallo\"\r\n");
            chkOff = Make<TCheckBox>("chkOff", this);
            chkOff->SetEnabled(false);
            rbA = Make<TRadioButton>("rbA", this);
            rbB = Make<TRadioButton>("rbB", this);
            btnAsk = Make<TButton>("btnAsk", this);
            btnAsk->OnClick = [this](TObject*) {
                const int answer = MessageBoxA(Handle(), "Weiter?", "Frage", MB_YESNO | 0x20);
                lblResult->SetCaption(answer == IDYES ? "ja" : "nein");
            };
            lblResult = Make<TLabel>("lblResult", this);
            edName = Make<TEdit>("edName", this);
            edName->OnExit = [this](TObject*) { ++exits; };
            cbList = Make<TComboBox>("cbList", this);
            cbList->Items().Add("A");
            cbList->Items().Add("B");
            tbVol = Make<TTrackBar>("tbVol", this);
            pages = Make<TPageControl>("pages", this);
            for (int i = 0; i < 2; ++i) {
                auto* sheet = new TTabSheet(this);
                sheet->SetName("sheet" + std::to_string(i));
                sheet->SetPageControl(pages);
            }
            chkHidden = Make<TCheckBox>("chkHidden", pages->Pages(1));
            sbA = Make<TSpeedButton>("sbA", this);
            sbA->SetGroupIndex(1);
            sbA->SetAllowAllUp(true);
        });
        SetMessageHandler(WM_TRAY,
                          [this](TMessage& message) { trayMouse.push_back(message.LParam); });
    }

    const char* ClassName() const override { return "TTestForm"; }

    template <class T> T* Make(const std::string& name, TWinControl* parent) {
        auto* control = new T(this);
        control->SetName(name);
        control->SetParent(parent);
        control->SetBounds(0, 0, 40, 20);
        return control;
    }

    TCheckBox* chkA;
    TCheckBox* chkOff;
    TCheckBox* chkHidden;
    TRadioButton* rbA;
    TRadioButton* rbB;
    TButton* btnAsk;
    TLabel* lblResult;
    TEdit* edName;
    TComboBox* cbList;
    TTrackBar* tbVol;
    TPageControl* pages;
    TSpeedButton* sbA;
    int exits = 0;
    std::vector<LPARAM> trayMouse;
};

class AutomationTest : public ToolkitTest {
protected:
    AutomationTest() {
        path = std::filesystem::temp_directory_path() /
               ("varnel-automation-test-" + std::to_string(getpid()) + ".sock");
        endpoint = std::make_unique<AutomationEndpoint>(path, log);
        // Closing the main form would end the application: the test form is another one.
        TForm* main = nullptr;
        app.CreateForm(main);
        main->SetCaption("Haupt");
        app.CreateForm(form);
        form->Show();
    }
    ~AutomationTest() override { endpoint.reset(); }

    std::vector<std::string> Ask(const std::vector<std::string>& lines) {
        return Converse(path, lines);
    }
    std::string Ask(const std::string& line) { return Ask(std::vector<std::string>{line}).at(0); }
    std::string DumpLine(const std::string& name) {
        std::istringstream dump(Ask("dump Test"));
        for (std::string line; std::getline(dump, line);)
            if (line.find(" " + name + " ") != std::string::npos)
                return line;
        return {};
    }

    std::string path;
    std::ostringstream log;
    std::unique_ptr<AutomationEndpoint> endpoint;
    TTestForm* form = nullptr;
};

TEST_F(AutomationTest, ListsTheWindowsAndDumpsTheControlTreeWithTheirStates) {
    auto hwnd = std::to_string(form->Handle());
    const std::string windows = Ask("windows");
    EXPECT_NE(windows.find("\"Haupt\" TForm visible=0"), std::string::npos);
    EXPECT_TRUE(windows.ends_with("\n" + hwnd +
                                  " \"Test\" TTestForm visible=1 x=10 y=20 w=300 h=200 "
                                  "topmost=0 enabled=1 active=1\nok"))
        << windows;
    form->chkA->SetChecked(true);
    form->cbList->SetItemIndex(1);
    const std::string dump = Ask("dump #" + hwnd);
    EXPECT_TRUE(dump.starts_with("TTestForm frmTest tag=0 x=10 y=20 w=300 h=200 visible=1 "
                                 "enabled=1 caption=\"Test\" color=0x8000000F fontcolor=0x80000008 "
                                 "tabstop=0 taborder=-1\n"))
        << dump;
    EXPECT_NE(dump.find("\n  TCheckBox chkA tag=0 x=0 y=0 w=40 h=20 visible=1 enabled=1 "
                        "caption=\"Sag \\\"hallo\\\"\\r\\n\" checked=1 focused=1 color=0x8000000F "
                        "fontcolor=0x80000008 tabstop=1 taborder=0\n"),
              std::string::npos)
        << "texts are quoted and escaped; the window opened with its first Tab stop focused";
    EXPECT_NE(dump.find("\n  TComboBox cbList tag=0 x=0 y=0 w=40 h=20 visible=1 enabled=1 "
                        "index=1 text=\"B\" color="),
              std::string::npos);
    EXPECT_NE(dump.find("\n    TTabSheet sheet1 "), std::string::npos) << "two blanks per level";
    EXPECT_NE(dump.find("\n      TCheckBox chkHidden "), std::string::npos);
    EXPECT_TRUE(dump.ends_with("\nok"));
    EXPECT_EQ(DumpLine("tbVol").substr(DumpLine("tbVol").find("position")),
              "position=0 color=0x80000005 fontcolor=0x80000008 tabstop=1 taborder=7");
}

TEST_F(AutomationTest, ActsAsAUserWouldWhereverTheControlSits) {
    int clicks = 0;
    form->chkA->OnClick = [&](TObject*) { ++clicks; };
    auto answers = Ask({"set Test chkA 1", "click Test chkA", "click Test rbB", "set Test rbA 1",
                        "set Test edName \"Hallo Welt\"", "set Test cbList 1", "set Test tbVol 7",
                        "set Test pages 1", "set Test chkHidden 1", "set Test sbA 1"});
    for (const auto& answer : answers)
        EXPECT_EQ(answer, "ok");
    EXPECT_FALSE(form->chkA->Checked());
    EXPECT_EQ(clicks, 2) << "a user's tick runs the box's reaction";
    EXPECT_TRUE(form->rbA->Checked());
    EXPECT_FALSE(form->rbB->Checked());
    EXPECT_EQ(form->edName->Text(), "Hallo Welt");
    EXPECT_EQ(form->exits, 1) << "the field was typed into and then left";
    EXPECT_EQ(form->cbList->ItemIndex(), 1);
    EXPECT_EQ(form->tbVol->Position(), 7);
    EXPECT_EQ(form->pages->ActivePageIndex(), 1);
    EXPECT_TRUE(form->chkHidden->Checked());
    EXPECT_TRUE(form->sbA->Down());
    EXPECT_EQ(Ask("set Test sbA 0"), "ok");
    EXPECT_FALSE(form->sbA->Down());
}

TEST_F(AutomationTest, RefusesWhatAUserCouldNotDoAndBadRequests) {
    form->pages->Pages(1)->SetEnabled(false);
    auto answers = Ask({"click Test chkOff",
                        "set Test chkHidden 1",
                        "frobnicate",
                        "dump Nirgends",
                        "dump #999999",
                        "click Test chkNichts",
                        "set Test chkA ja",
                        "set Test tbVol 11",
                        "set Test cbList x",
                        "set Test cbList 5",
                        "set Test rbA 0",
                        "set Test lblResult 1",
                        "click Test",
                        "dump \"Test",
                        "dump Te\"st\"",
                        "",
                        "tray wink",
                        "answer yes",
                        "screenshot Test /tmp/x.png",
                        "sysmenu Test Nichts"});
    const std::vector<std::string> expected = {
        "error: disabled",
        "error: disabled",
        "error: unknown command \"frobnicate\"",
        "error: no window \"Nirgends\"",
        "error: no window #999999",
        "error: no component \"chkNichts\" in \"Test\"",
        "error: \"ja\" is not 0 or 1",
        "error: 11 is outside 0..10",
        "error: \"x\" is not a whole number",
        "error: no item 5 (the list has 2)",
        "error: a radio button is only checked (1); another one unchecks it",
        "error: a TLabel has no value to set",
        "error: usage: click <window> <component>",
        "error: unterminated quote",
        "error: a quote inside a word",
        "error: empty request",
        "error: usage: tray dblclick|click",
        "error: no message box is open",
        "error: no desktop backend",
        "error: no system-menu item \"Nichts\"",
    };
    EXPECT_EQ(answers, expected);
    EXPECT_FALSE(form->chkHidden->Checked());
    EXPECT_TRUE(Ask("windows").ends_with("enabled=1 active=1\nok")) << "the endpoint keeps serving";
}

TEST_F(AutomationTest, KeysTextFocusAndTheWindowManagerActAsTheUserAndHiddenIsRefused) {
    form->chkA->Hide();
    auto answers =
        Ask({"focus Test edName", "type Test Grüße", "key Test Tab Shift+Tab Ctrl+Shift+Tab",
             "key Test Tab", "key Test Alt+Q", "move Test 30 40", "resize Test 320 210",
             "state Test minimized", "focus Test chkHidden", "click Test chkA", "key Haupt Tab",
             "key Test Nope", "focus Test lblResult", "scroll Test edName 5", "wheel Test edName x",
             "state Test sideways", "type Test"});
    const std::vector<std::string> expected = {
        "ok",
        "ok",
        "ok",
        "ok",
        "ok",
        "ok",
        "ok",
        "ok",
        "ok",
        "error: hidden",
        "error: hidden",
        "error: no key \"Nope\"",
        "error: a TLabel takes no focus",
        "error: a TEdit has no scroll bar",
        "error: \"x\" is not a whole number",
        "error: usage: state <window> normal|minimized|maximized",
        "error: usage: type <window> <text>",
    };
    EXPECT_EQ(answers, expected);
    EXPECT_EQ(form->edName->Text(), "Grüße");
    EXPECT_EQ(form->exits, 2) << "Tab left the field twice";
    EXPECT_EQ(form->pages->ActivePageIndex(), 1) << "the sheet's tab was chosen first";
    EXPECT_NE(DumpLine("chkHidden").find(" focused=1 "), std::string::npos);
    EXPECT_EQ(DumpLine("cbList").find(" focused="), std::string::npos);
    EXPECT_EQ(form->Left(), 30);
    EXPECT_EQ(form->Height(), 210);
    EXPECT_EQ(form->WindowState(), wsMinimized);
}

TEST_F(AutomationTest, AnOverlongLineOrAClientLeavingMidLineLosesOnlyThatLine) {
    std::vector<std::string> answers;
    std::atomic<bool> done{false};
    std::thread client([&] {
        AutomationClient gone(path);
        gone.SendRaw("click Test chkA"); // and goes away before the line ends
        gone.Close();
        AutomationClient connection(path);
        connection.SendRaw(std::string(1 << 20, 'x') + "\nwindows\n");
        answers.push_back(connection.ReadAnswer());
        answers.push_back(connection.ReadAnswer());
        done = true;
        MessageQueue::Instance().Wake();
    });
    while (!done) {
        app.ProcessMessages();
        if (!done)
            MessageQueue::Instance().WaitUntilNotEmpty();
    }
    client.join();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0], "error: line too long");
    EXPECT_TRUE(answers[1].ends_with("\nok")) << answers[1];
    EXPECT_FALSE(form->chkA->Checked());
}

TEST_F(AutomationTest, AMessageBoxStaysOpenUntilARequestAnswersIt) {
    auto answers = Ask({"click Test btnAsk", "msgbox", "answer cancel", "click Test chkA",
                        "answer no", "msgbox", "dump Test"});
    EXPECT_EQ(answers[0], "ok") << "answered as the box opens";
    EXPECT_EQ(answers[1], "\"Frage\" 0x24 \"Weiter?\"\nok");
    EXPECT_EQ(answers[2], "error: the message box has no cancel button");
    // The program runs on and answers while the box waits, but the box's owner takes no input.
    EXPECT_EQ(answers[3], "error: disabled");
    EXPECT_EQ(answers[4], "ok");
    EXPECT_EQ(answers[5], "ok") << "no box is open any more";
    EXPECT_TRUE(form->Enabled()) << "the owner is enabled again";
    EXPECT_NE(answers[6].find("TLabel lblResult tag=0 x=0 y=0 w=24 h=13 visible=1 enabled=1 "
                              "caption=\"nein\""),
              std::string::npos)
        << answers[6];
    EXPECT_FALSE(form->chkA->Checked());
    EXPECT_EQ(log.str(), "msgbox\tFrage\t0x24\tWeiter?\n");
}

TEST_F(AutomationTest, AModalWindowAnswersTheRequestThatOpenedItAndDisablesTheOthers) {
    TForm* dialog = nullptr;
    app.CreateForm(dialog);
    dialog->SetCaption("Dialog");
    TTimer timer(form); // keeps the modal loop from counting as stalled under the virtual clock
    timer.SetInterval(1000);
    TModalResult result = mrNone;
    form->btnAsk->OnClick = [&](TObject*) { result = dialog->ShowModal(); };
    auto answers = Ask({"click Test btnAsk", "click Test chkA", "close Dialog", "click Test chkA"});
    EXPECT_EQ(answers, (std::vector<std::string>{"ok", "error: disabled", "ok", "ok"}));
    EXPECT_EQ(result, mrCancel);
    EXPECT_TRUE(form->chkA->Checked());
}

TEST_F(AutomationTest, SystemMenuTrayCloseAndIdle) {
    auto previous = InstallNotifyIconService(std::make_unique<RecordingNotifyIcon>());
    EXPECT_EQ(Ask("tray dblclick"), "error: no notification icon");
    NOTIFYICONDATAA icon;
    icon.hWnd = form->Handle();
    icon.uFlags = NIF_MESSAGE;
    icon.uCallbackMessage = WM_TRAY;
    Shell_NotifyIconA(NIM_ADD, &icon);
    HMENU menu = GetSystemMenu(form->Handle(), FALSE);
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 0x100, "Gesperrt");
    for (int i = 0; i < 3; ++i)
        PostMessageA(form->Handle(), WM_TRAY, 0, 0);
    auto answers = Ask({"idle", "tray dblclick", "tray click", "sysmenu Test Gesperrt",
                        "sysmenu Test Schließen", "windows"});
    InstallNotifyIconService(std::move(previous));
    EXPECT_EQ(form->trayMouse,
              (std::vector<LPARAM>{0, 0, 0, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONUP}));
    EXPECT_EQ(answers[3], "error: disabled");
    EXPECT_EQ(answers[4], "ok");
    EXPECT_NE(answers[5].find("\"Test\" TTestForm visible=0"), std::string::npos) << answers[5];
    form->Show();
    EXPECT_EQ(Ask("close Test"), "ok");
    EXPECT_FALSE(form->Visible());
}

TEST_F(AutomationTest, AScreenshotGoesToTheDesktopsServiceAndNeedsOne) {
    struct Recorder : IScreenshotService {
        std::string saved;
        bool SaveWindowPng(HWND hwnd, const std::string& path, std::string& error) override {
            saved = std::to_string(hwnd) + " " + path;
            error = path.ends_with(".bmp") ? "not a PNG file" : "";
            return error.empty();
        }
    } recorder;
    EXPECT_EQ(Ask("screenshot Test /tmp/x.png"), "error: no desktop backend");
    auto* previous = InstallScreenshotService(&recorder);
    EXPECT_EQ(Ask("screenshot Test \"/tmp/mit blank.png\""), "/tmp/mit blank.png\nok");
    EXPECT_EQ(recorder.saved, std::to_string(form->Handle()) + " /tmp/mit blank.png");
    // A name relative to the program's directory, answered as the file written.
    const std::string here = std::filesystem::current_path().string();
    EXPECT_EQ(Ask("screenshot Test x.png"), here + "/x.png\nok");
    EXPECT_EQ(Ask("screenshot Test /tmp/x.bmp"), "error: not a PNG file");
    InstallScreenshotService(previous);
}

TEST_F(AutomationTest, TheSocketIsPrivateAndALiveOneIsNotTakenOver) {
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_THROW(AutomationEndpoint second(path, log), std::runtime_error);
    endpoint.reset();
    EXPECT_FALSE(std::filesystem::exists(path)) << "the socket goes with the endpoint";
}

TEST(AutomationStart, NothingListensWithoutTheVariable) {
    unsetenv("VARNEL_AUTOMATION");
    EXPECT_FALSE(StartAutomationFromEnvironment());
}

} // namespace
