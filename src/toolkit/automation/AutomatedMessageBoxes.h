#pragma once
// Message boxes while the automation endpoint is on: each box is logged as in headless runs and
// then stays open, the program running meanwhile, until a request presses one of its buttons.

#include "platform/MessageBox.h"

#include <atomic>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// The boxes open right now, oldest first; the last one is on top. GUI thread only, except
// Release.
class OpenMessageBoxes {
public:
    struct Box {
        MessageBoxRequest request;
        int answer = 0; // 0 while open
    };

    void Push(Box* box) { boxes_.push_back(box); }
    void Pop(Box* box);
    bool Empty() const { return boxes_.empty(); }

    // One line per box: "<caption>" 0x<style> "<text>".
    std::string List() const;
    // Presses a button (ok, cancel, yes, no, abort, retry, ignore) of the topmost box: "" when
    // done, else the reason.
    std::string Answer(const std::string& button);

    // The endpoint is going away: every box waiting now or later takes its default button.
    void Release() { released_ = true; }
    bool Released() const { return released_; }

private:
    std::vector<Box*> boxes_;
    std::atomic<bool> released_{false};
};

class AutomatedMessageBoxes : public IMessageBoxService {
public:
    AutomatedMessageBoxes(std::shared_ptr<OpenMessageBoxes> boxes, std::ostream& log);
    int Show(const MessageBoxRequest& request, IModalRunner& modal) override;

private:
    std::shared_ptr<OpenMessageBoxes> boxes_;
    std::ostream& log_;
};
