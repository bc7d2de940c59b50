#pragma once
// Message boxes under their classic name. A box is modal: the installed service decides how it is
// answered (a desktop dialog, a stderr line in headless runs, a script in tests) and may run the
// installed modal runner, which keeps posted messages and timers going until the box is answered.

#include "platform/WinTypes.h"

#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_DEFMASK = 0x00000F00;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct MessageBoxRequest {
    HWND owner = 0;
    std::string text;
    std::string caption;
    UINT style = MB_OK;
};

// The buttons a style offers, in their order on the box.
std::vector<int> MessageBoxButtons(UINT style);
// The button Enter presses: the one MB_DEFBUTTONn names, the first when it names none.
int MessageBoxDefaultButton(UINT style);
// What closing a box without pressing a button answers: Cancel where the box has it, else OK
// where it has it, else its default button.
int MessageBoxDismissButton(UINT style);
// CR, LF, TAB and backslash written as \r, \n, \t and \\.
std::string EscapeMessageBoxText(std::string_view text);
// msgbox<TAB><caption><TAB>0x<style, at least 2 hex digits><TAB><text>
std::string MessageBoxLogLine(const MessageBoxRequest& request);

// The modal message loop: dispatches posted messages and due timers until `finished` says so,
// or until the program begins to end.
class IModalRunner {
public:
    virtual void RunModal(const std::function<bool()>& finished) = 0;
    // True once the program is ending: every modal loop returns at once and a box still waiting
    // for its answer takes the one its close box gives (MessageBoxDismissButton).
    virtual bool Ended() const { return false; }
    // While a box is open no window of the program takes input, as under a modal window: a
    // script or an assistive tool that could reach one might otherwise free the box's owner under
    // it. DisableWindows disables every window that is enabled and returns their handles;
    // EnableWindows enables again those of them that still exist.
    virtual std::vector<HWND> DisableWindows() { return {}; }
    virtual void EnableWindows(const std::vector<HWND>&) {}

protected:
    ~IModalRunner() = default;
};

// The runner used while nothing else is installed: the bare message queue. With the virtual
// clock it refuses to spin forever: when nothing is pending and no timer is due, nothing could
// ever finish the loop, and it throws std::logic_error.
IModalRunner& DefaultModalRunner();
// The runner message boxes use; the toolkit installs its application here. Null: the default.
void SetModalRunner(IModalRunner* runner);
IModalRunner& ModalRunner();
// True when a modal loop can never make progress: nothing pending, no timer left, virtual clock.
bool ModalLoopStalled();

class IMessageBoxService {
public:
    virtual ~IMessageBoxService() = default;
    // Shows the box and returns the pressed button's id; `modal` keeps the program running while
    // the box waits for its answer.
    virtual int Show(const MessageBoxRequest& request, IModalRunner& modal) = 0;
};

// Installs a service (null: back to the headless one) and returns the previous one.
std::unique_ptr<IMessageBoxService>
InstallMessageBoxService(std::unique_ptr<IMessageBoxService> service);
IMessageBoxService& MessageBoxService();

// Headless runs: one stderr line per box, answered at once with its default button.
class HeadlessMessageBoxes : public IMessageBoxService {
public:
    explicit HeadlessMessageBoxes(std::ostream& out);
    HeadlessMessageBoxes();
    int Show(const MessageBoxRequest& request, IModalRunner& modal) override;

private:
    std::ostream& out_;
};

// Tests: records every box and answers from a script. A scripted answer can wait, inside the
// box's modal loop, until a condition holds (so timers and posted messages run meanwhile). With
// the script empty a box gets its default button.
class ScriptedMessageBoxes : public IMessageBoxService {
public:
    struct Shown {
        MessageBoxRequest request;
        int answer = 0;
    };

    void Answer(int button);
    void AnswerWhen(std::function<bool()> condition, int button);
    // Runs `action` when the next box opens, before it is answered (the action sees it open).
    void OnNextShow(std::function<void()> action);

    int Show(const MessageBoxRequest& request, IModalRunner& modal) override;

    const std::vector<Shown>& History() const { return shown_; }
    int OpenCount() const { return open_; }
    std::size_t PendingAnswers() const { return script_.size(); }

private:
    struct Step {
        std::function<bool()> condition;
        int button = 0;
    };
    std::deque<Step> script_;
    std::deque<std::function<void()>> onShow_;
    std::vector<Shown> shown_;
    int open_ = 0;
};

// Installs a scripted service for the guard's lifetime, then restores the previous one.
class ScopedScriptedMessageBoxes {
public:
    ScopedScriptedMessageBoxes();
    ~ScopedScriptedMessageBoxes();
    ScopedScriptedMessageBoxes(const ScopedScriptedMessageBoxes&) = delete;
    ScopedScriptedMessageBoxes& operator=(const ScopedScriptedMessageBoxes&) = delete;

    ScriptedMessageBoxes* operator->() const { return boxes_; }
    ScriptedMessageBoxes& operator*() const { return *boxes_; }

private:
    ScriptedMessageBoxes* boxes_;
    std::unique_ptr<IMessageBoxService> previous_;
};

// Once the modal runner has ended, a new box is not shown and answers as if dismissed. Whatever
// answers it, the program's windows are disabled through the modal runner for the box's lifetime,
// also when the box ends by an exception.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style);
