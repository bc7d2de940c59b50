#include "platform/MessageBox.h"

#include "platform/MessageQueue.h"
#include "platform/TimerScheduler.h"
#include "platform/VirtualClock.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <stdexcept>

std::vector<int> MessageBoxButtons(UINT style) {
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    default:
        return {IDOK};
    }
}

int MessageBoxDefaultButton(UINT style) {
    auto buttons = MessageBoxButtons(style);
    std::size_t index = (style & MB_DEFMASK) >> 8;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

int MessageBoxDismissButton(UINT style) {
    auto buttons = MessageBoxButtons(style);
    for (int id : {IDCANCEL, IDOK})
        if (std::find(buttons.begin(), buttons.end(), id) != buttons.end())
            return id;
    return MessageBoxDefaultButton(style);
}

std::string EscapeMessageBoxText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string MessageBoxLogLine(const MessageBoxRequest& request) {
    char style[16];
    std::snprintf(style, sizeof style, "0x%02X", request.style);
    return "msgbox\t" + EscapeMessageBoxText(request.caption) + "\t" + style + "\t" +
           EscapeMessageBoxText(request.text);
}

bool ModalLoopStalled() {
    return MessageQueue::Instance().Empty() && !Clock().NextDue() &&
           dynamic_cast<VirtualClock*>(&Clock()) != nullptr;
}

namespace {

class QueueModalRunner : public IModalRunner {
public:
    void RunModal(const std::function<bool()>& finished) override {
        auto& queue = MessageQueue::Instance();
        while (!finished()) {
            if (!queue.Step() && ModalLoopStalled() && !finished())
                throw std::logic_error(
                    "Modale Schleife steht: nichts steht an und kein Timer läuft");
        }
    }
};

IModalRunner* g_runner = nullptr;

std::unique_ptr<IMessageBoxService>& ServiceSlot() {
    static std::unique_ptr<IMessageBoxService> service = std::make_unique<HeadlessMessageBoxes>();
    return service;
}

} // namespace

IModalRunner& DefaultModalRunner() {
    static QueueModalRunner runner;
    return runner;
}

void SetModalRunner(IModalRunner* runner) {
    g_runner = runner;
}

IModalRunner& ModalRunner() {
    return g_runner ? *g_runner : DefaultModalRunner();
}

std::unique_ptr<IMessageBoxService>
InstallMessageBoxService(std::unique_ptr<IMessageBoxService> service) {
    auto previous = std::move(ServiceSlot());
    ServiceSlot() = service ? std::move(service) : std::make_unique<HeadlessMessageBoxes>();
    return previous;
}

IMessageBoxService& MessageBoxService() {
    return *ServiceSlot();
}

HeadlessMessageBoxes::HeadlessMessageBoxes(std::ostream& out) : out_(out) {}
HeadlessMessageBoxes::HeadlessMessageBoxes() : out_(std::cerr) {}

int HeadlessMessageBoxes::Show(const MessageBoxRequest& request, IModalRunner&) {
    out_ << MessageBoxLogLine(request) << '\n' << std::flush;
    return MessageBoxDefaultButton(request.style);
}

void ScriptedMessageBoxes::Answer(int button) {
    script_.push_back(Step{{}, button});
}

void ScriptedMessageBoxes::AnswerWhen(std::function<bool()> condition, int button) {
    script_.push_back(Step{std::move(condition), button});
}

void ScriptedMessageBoxes::OnNextShow(std::function<void()> action) {
    onShow_.push_back(std::move(action));
}

int ScriptedMessageBoxes::Show(const MessageBoxRequest& request, IModalRunner& modal) {
    std::size_t index = shown_.size();
    shown_.push_back(Shown{request, 0});
    ++open_;
    struct Closing {
        int& open;
        ~Closing() { --open; }
    } closing{open_};
    if (!onShow_.empty()) {
        auto action = std::move(onShow_.front());
        onShow_.pop_front();
        action();
    }
    int answer = MessageBoxDefaultButton(request.style);
    if (!script_.empty()) {
        Step step = std::move(script_.front());
        script_.pop_front();
        if (step.condition)
            modal.RunModal(step.condition);
        answer = modal.Ended() ? MessageBoxDismissButton(request.style) : step.button;
    }
    shown_[index].answer = answer;
    return answer;
}

ScopedScriptedMessageBoxes::ScopedScriptedMessageBoxes() {
    auto boxes = std::make_unique<ScriptedMessageBoxes>();
    boxes_ = boxes.get();
    previous_ = InstallMessageBoxService(std::move(boxes));
}

ScopedScriptedMessageBoxes::~ScopedScriptedMessageBoxes() {
    InstallMessageBoxService(std::move(previous_));
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style) {
    MessageBoxRequest request{owner, text ? text : "", caption ? caption : "", style};
    IModalRunner& modal = ModalRunner();
    if (modal.Ended())
        return MessageBoxDismissButton(style);
    struct WindowsLock {
        IModalRunner& modal;
        std::vector<HWND> disabled;
        ~WindowsLock() { modal.EnableWindows(disabled); }
    } lock{modal, modal.DisableWindows()};
    return MessageBoxService().Show(request, modal);
}
