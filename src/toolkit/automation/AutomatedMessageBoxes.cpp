#include "toolkit/automation/AutomatedMessageBoxes.h"

#include "platform/MessageQueue.h"
#include "toolkit/ModalLoopNotice.h"
#include "toolkit/automation/RequestWords.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

const std::pair<const char*, int> kButtons[] = {
    {"ok", IDOK},       {"cancel", IDCANCEL}, {"yes", IDYES},       {"no", IDNO},
    {"abort", IDABORT}, {"retry", IDRETRY},   {"ignore", IDIGNORE},
};

} // namespace

void OpenMessageBoxes::Pop(Box* box) {
    auto it = std::find(boxes_.begin(), boxes_.end(), box);
    if (it != boxes_.end())
        boxes_.erase(it);
}

std::string OpenMessageBoxes::List() const {
    std::string out;
    for (const Box* box : boxes_) {
        if (box->answer != 0)
            continue;
        char style[16];
        std::snprintf(style, sizeof style, "0x%02X", box->request.style);
        out += QuoteText(box->request.caption) + " " + style + " " + QuoteText(box->request.text) +
               "\n";
    }
    return out;
}

std::string OpenMessageBoxes::Answer(const std::string& button) {
    int id = 0;
    for (const auto& [word, value] : kButtons)
        if (button == word)
            id = value;
    if (id == 0)
        return "no button " + QuoteText(button) + " (ok, cancel, yes, no, abort, retry or ignore)";
    // A box answered already closes once its loop runs again; the one above it is the next.
    auto top = std::find_if(boxes_.rbegin(), boxes_.rend(), [](Box* b) { return b->answer == 0; });
    if (top == boxes_.rend())
        return "no message box is open";
    auto buttons = MessageBoxButtons((*top)->request.style);
    if (std::find(buttons.begin(), buttons.end(), id) == buttons.end())
        return "the message box has no " + button + " button";
    (*top)->answer = id;
    return {};
}

AutomatedMessageBoxes::AutomatedMessageBoxes(std::shared_ptr<OpenMessageBoxes> boxes,
                                             std::ostream& log)
    : boxes_(std::move(boxes)), log_(log) {}

int AutomatedMessageBoxes::Show(const MessageBoxRequest& request, IModalRunner& modal) {
    log_ << MessageBoxLogLine(request) << '\n' << std::flush;
    if (boxes_->Released())
        return MessageBoxDefaultButton(request.style);
    OpenMessageBoxes::Box box{request, 0};
    boxes_->Push(&box);
    struct Closing {
        OpenMessageBoxes& boxes;
        OpenMessageBoxes::Box* box;
        ~Closing() { boxes.Pop(box); }
    } closing{*boxes_, &box};
    const ModalLoopScope modalLoop;
    // Runs what is pending, then waits for the next message: nothing but a request may ever
    // answer the box, so an empty queue is no stalled loop here.
    auto& queue = MessageQueue::Instance();
    auto done = [&] { return box.answer != 0 || boxes_->Released() || modal.Ended(); };
    while (!done()) {
        modal.RunModal([&] { return done() || queue.Empty(); });
        if (!done())
            queue.WaitUntilNotEmpty();
    }
    if (box.answer != 0)
        return box.answer;
    return modal.Ended() ? MessageBoxDismissButton(request.style)
                         : MessageBoxDefaultButton(request.style);
}
