#pragma once
// The application object: the message loop steps, the forms it creates (the first is the main
// form), activation, and the standard report of errors that escape event handlers.

#include "platform/MessageBox.h"
#include "toolkit/TForm.h"

#include <exception>
#include <functional>
#include <string>

class TApplication : public TComponent, public IModalRunner {
public:
    TApplication();
    ~TApplication() override;
    const char* ClassName() const override { return "TApplication"; }

    // Binds the message queue to this thread, takes its thread messages and becomes the modal
    // runner of message boxes.
    void Initialize();

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    TCustomForm* MainForm() const { return mainForm_; }

    // Creates a form owned by the application. The variable holds the form before its OnCreate
    // runs (handlers may use it); the first form created becomes the main form.
    template <class T> void CreateForm(T*& reference) {
        TCustomForm::deferNextCreate_ = true;
        try {
            reference = new T(this);
        } catch (...) {
            TCustomForm::deferNextCreate_ = false;
            throw;
        }
        FormCreated(reference);
    }

    // The single-message step: handles one pending message, or runs the idle work and waits for
    // the next message or due timer. Does nothing once the program is ending.
    void HandleMessage();
    // Handles every message pending now, without waiting; stops as soon as the program is ending.
    void ProcessMessages();
    // The program is ending (its card goes away, the desktop session ends): from now on no
    // message is handled, every modal loop returns (a message box as if dismissed, a modal form
    // with mrCancel), and code resuming after one must not carry on its action. Only the
    // program's own loop, which asked for the end, tears the windows down.
    void BeginEnding() { ending_ = true; }
    bool Ending() const { return ending_; }
    // Posts the quit message; Terminated() is true once it has been handled.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The standard report of the exception being handled: silent for EAbort, else OnException
    // or a message box with the message, the title as caption and the error icon.
    void HandleException(TObject* sender);
    void ShowException(const std::exception& error);
    std::function<void(TObject* sender, const std::exception& error)> OnException;

    // Runs `action` and reports an exception escaping it; true when none escaped.
    bool Guard(const std::function<void()>& action, TObject* sender = nullptr);

    // Activation of the application as a whole by the desktop.
    bool Active() const { return active_; }
    void SetActive(bool active);
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    // The modal loop of message boxes and modal forms.
    void RunModal(const std::function<bool()>& finished) override;
    bool Ended() const override { return ending_; }
    // Every form, shown or hidden (a hidden one may be shown while the box waits), that is not
    // disabled already.
    std::vector<HWND> DisableWindows() override;
    void EnableWindows(const std::vector<HWND>& forms) override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void FormCreated(TCustomForm* form);
    void EndSession();

    std::string title_;
    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool ending_ = false;
    bool active_ = true;
    bool initialized_ = false;
};

// The process's application object; tests may point it at one of their own.
extern TApplication* Application;
