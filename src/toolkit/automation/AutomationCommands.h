#pragma once
// The requests of the automation protocol, carried out on the GUI thread as a user would act.

#include "toolkit/automation/AutomatedMessageBoxes.h"

#include <memory>
#include <string>
#include <vector>

struct AutomationReply {
    // The answer's lines before its last, each ending in a line feed.
    std::string lines;
    // Set when the request failed: the reason after `error: `.
    std::string error;
    // What the endpoint does before answering `ok`.
    enum class Then {
        Answer,   // nothing
        Settle,   // lets the messages the action posted be handled first
        WaitIdle, // waits until no message is pending and no show (with its restore) runs
    } then = Then::Answer;
};

class TControl;
class TCustomForm;

class AutomationCommands {
public:
    explicit AutomationCommands(std::shared_ptr<OpenMessageBoxes> boxes);
    void Run(const std::vector<std::string>& words, AutomationReply& reply);

private:
    void Windows(AutomationReply& reply);
    void Dump(const std::vector<std::string>& words, AutomationReply& reply);
    void Click(const std::vector<std::string>& words, AutomationReply& reply);
    void Set(const std::vector<std::string>& words, AutomationReply& reply);
    void SystemMenu(const std::vector<std::string>& words, AutomationReply& reply);
    void Tray(const std::vector<std::string>& words, AutomationReply& reply);
    void Answer(const std::vector<std::string>& words, AutomationReply& reply);
    void Close(const std::vector<std::string>& words, AutomationReply& reply);
    void Screenshot(const std::vector<std::string>& words, AutomationReply& reply);

    // The requests of the keyboard, the focus, the wheel and the window manager.
    void RunInput(const std::vector<std::string>& words, AutomationReply& reply);
    void Key(const std::vector<std::string>& words, AutomationReply& reply);
    void Type(const std::vector<std::string>& words, AutomationReply& reply);
    void Focus(const std::vector<std::string>& words, AutomationReply& reply);
    void DblClick(const std::vector<std::string>& words, AutomationReply& reply);
    void Wheel(const std::vector<std::string>& words, AutomationReply& reply);
    void Scroll(const std::vector<std::string>& words, AutomationReply& reply);
    void Window(const std::vector<std::string>& words, AutomationReply& reply);
    // The control words[2] of window words[1] when a user can reach it; else null with the reason
    // (`hidden`, or a lookup's) in the reply.
    static TControl* ReachableControl(const std::vector<std::string>& words,
                                      AutomationReply& reply);
    // The shown window words[1]; else null with the reason in the reply.
    static TCustomForm* ShownWindow(const std::vector<std::string>& words, AutomationReply& reply);

    std::shared_ptr<OpenMessageBoxes> boxes_;
};
