#include "toolkit/TApplication.h"

#include "platform/MessageQueue.h"
#include "platform/SessionEnd.h"
#include "platform/WindowTable.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TScreen.h"

#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>

// Lives to the end of the process: the queue and the forms it refers to may go first at exit.
TApplication* Application = new TApplication();

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
    DestroyComponents();
    if (initialized_) {
        if (&ModalRunner() == this)
            SetModalRunner(nullptr);
        MessageQueue::Instance().SetThreadMessageHandler({});
    }
}

void TApplication::Initialize() {
    auto& queue = MessageQueue::Instance();
    queue.BindToCurrentThread();
    queue.SetThreadMessageHandler([this](const MSG& msg) {
        if (msg.message == WM_QUIT)
            terminated_ = true;
        else if (msg.message == WM_ENDSESSION && msg.wParam != 0)
            EndSession();
    });
    SetModalRunner(this);
    initialized_ = true;
}

// The session's end reached the thread before the program had a window; the main form, if there
// is one by now, ends the program its own way. Without one, nothing is left to close: the program
// ends as soon as its start looks at Ending().
void TApplication::EndSession() {
    if (mainForm_)
        SendMessage(mainForm_->Handle(), WM_ENDSESSION, TRUE, 0);
    else
        BeginEnding();
}

void TApplication::FormCreated(TCustomForm* form) {
    form->AfterConstruction();
    if (!mainForm_)
        mainForm_ = form;
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == mainForm_)
        mainForm_ = nullptr;
}

void TApplication::HandleMessage() {
    if (ending_)
        return;
    try {
        MessageQueue::Instance().Step();
    } catch (...) {
        HandleException(this);
    }
}

void TApplication::ProcessMessages() {
    auto& queue = MessageQueue::Instance();
    MSG msg;
    while (!ending_) {
        try {
            if (!queue.Take(msg))
                break;
            queue.Dispatch(msg);
        } catch (...) {
            HandleException(this);
        }
    }
}

void TApplication::Terminate() {
    PostQuitMessage(0);
}

void TApplication::HandleException(TObject* sender) {
    try {
        throw;
    } catch (const EAbort&) {
    } catch (const std::exception& error) {
        if (OnException)
            OnException(sender, error);
        else
            ShowException(error);
    } catch (...) {
        ShowException(Exception("Unbekannter Fehler"));
    }
}

// The program's own exceptions carry German texts for the user. What the standard library raises
// is English and technical: the user reads a German sentence, the detail goes to stderr.
void TApplication::ShowException(const std::exception& error) {
    std::string text;
    if (dynamic_cast<const Exception*>(&error)) {
        text = error.what();
    } else if (dynamic_cast<const std::bad_alloc*>(&error)) {
        text = "Nicht genügend Arbeitsspeicher.";
    } else {
        std::fprintf(stderr, "internal error: %s\n", error.what());
        text = "Interner Programmfehler.";
    }
    MessageBoxA(0, text.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
}

bool TApplication::Guard(const std::function<void()>& action, TObject* sender) {
    try {
        action();
        return true;
    } catch (...) {
        HandleException(sender ? sender : this);
        return false;
    }
}

void TApplication::SetActive(bool active) {
    if (active == active_)
        return;
    active_ = active;
    if (active && OnActivate)
        OnActivate(this);
    else if (!active && OnDeactivate)
        OnDeactivate(this);
}

void TApplication::RunModal(const std::function<bool()>& finished) {
    while (!finished() && !ending_) {
        HandleMessage();
        if (!finished() && !ending_ && ModalLoopStalled())
            throw std::logic_error("Modale Schleife steht: nichts steht an und kein Timer läuft");
    }
}

std::vector<HWND> TApplication::DisableWindows() {
    std::vector<TCustomForm*> forms;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->Enabled())
            forms.push_back(Screen->Forms(i));
    std::vector<HWND> disabled;
    for (TCustomForm* form : forms) {
        disabled.push_back(form->Handle());
        form->SetEnabled(false);
    }
    return disabled;
}

void TApplication::EnableWindows(const std::vector<HWND>& forms) {
    // By handle: a form may have been freed while the box was open.
    for (HWND handle : forms)
        if (auto* window = dynamic_cast<TCustomForm*>(WindowTable::Instance().Find(handle)))
            window->SetEnabled(true);
}
