#include "platform/Screenshot.h"

#include <atomic>

namespace {
std::atomic<IScreenshotService*> g_service{nullptr};
}

IScreenshotService* InstallScreenshotService(IScreenshotService* service) {
    return g_service.exchange(service);
}

IScreenshotService* ScreenshotService() {
    return g_service.load();
}
