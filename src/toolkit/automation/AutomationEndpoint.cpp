#include "toolkit/automation/AutomationEndpoint.h"

#include "platform/MessageQueue.h"
#include "toolkit/ModalLoopNotice.h"

#include <cstdlib>
#include <exception>

AutomationEndpoint::AutomationEndpoint(const std::string& path, std::ostream& log)
    : boxes_(std::make_shared<OpenMessageBoxes>()) {
    MessageQueue::Instance().BindToCurrentThread();
    dispatcher_ = std::make_unique<AutomationDispatcher>(boxes_);
    socket_ = std::make_unique<AutomationSocket>(
        path, [this](const std::string& line) { return dispatcher_->Submit(line); });
    previousBoxes_ = InstallMessageBoxService(std::make_unique<AutomatedMessageBoxes>(boxes_, log));
    SetModalLoopObserver([this] { dispatcher_->ModalLoopBegins(); });
    SetSettledObserver([this] { dispatcher_->SettledNow(); });
}

AutomationEndpoint::~AutomationEndpoint() {
    SetModalLoopObserver({});
    SetSettledObserver({});
    dispatcher_->Stop();
    socket_.reset();
    InstallMessageBoxService(std::move(previousBoxes_));
    dispatcher_.reset();
}

namespace {

AutomationEndpoint* g_endpoint = nullptr;

void StopAtExit() {
    delete g_endpoint;
    g_endpoint = nullptr;
}

} // namespace

bool StartAutomationFromEnvironment() {
    const char* path = std::getenv("VARNEL_AUTOMATION");
    if (!path || !*path || g_endpoint)
        return g_endpoint != nullptr;
    try {
        g_endpoint = new AutomationEndpoint(path);
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n' << std::flush;
        return false;
    }
    // Registered after the queue and the services were made, so it runs before they go.
    std::atexit(StopAtExit);
    return true;
}
