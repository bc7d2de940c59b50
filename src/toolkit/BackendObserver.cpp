#include "toolkit/BackendObserver.h"

namespace {
IBackendObserver* g_observer = nullptr;
}

void SetBackendObserver(IBackendObserver* observer) {
    g_observer = observer;
}
IBackendObserver* BackendObserver() {
    return g_observer;
}
