#pragma once
// The automation endpoint: lets a test or a script drive the running program as a user would,
// over a line protocol on a Unix socket (the client is `varnelctl ui`). While it is on, message
// boxes stay open until a request answers them.
//
// The program's main starts it first thing, before anything could show a message box:
//
//     int main() {
//         StartAutomationFromEnvironment();
//         ...
//     }

#include "toolkit/automation/AutomatedMessageBoxes.h"
#include "toolkit/automation/AutomationDispatcher.h"
#include "toolkit/automation/AutomationSocket.h"

#include <iostream>
#include <memory>
#include <ostream>
#include <string>

class AutomationEndpoint {
public:
    // Binds the message queue to the calling thread, which becomes the GUI thread, takes over the
    // message boxes (logged to `log`) and listens at `path`. Throws std::runtime_error when it
    // cannot listen.
    explicit AutomationEndpoint(const std::string& path, std::ostream& log = std::cerr);
    // Answers what is still waiting, stops listening and gives the message boxes back.
    ~AutomationEndpoint();
    AutomationEndpoint(const AutomationEndpoint&) = delete;
    AutomationEndpoint& operator=(const AutomationEndpoint&) = delete;

    const std::string& Path() const { return socket_->Path(); }

private:
    std::shared_ptr<OpenMessageBoxes> boxes_;
    std::unique_ptr<AutomationDispatcher> dispatcher_;
    std::unique_ptr<IMessageBoxService> previousBoxes_;
    std::unique_ptr<AutomationSocket> socket_;
};

// With VARNEL_AUTOMATION=<socket path> set, starts the process's endpoint (it stops at exit) and
// returns true; without it nothing listens. A failure to listen is reported on stderr and the
// program runs on without the endpoint.
bool StartAutomationFromEnvironment();
