#include "toolkit/ModalLoopNotice.h"

namespace {

std::function<void()>& Observer() {
    static std::function<void()> observer;
    return observer;
}

} // namespace

void SetModalLoopObserver(std::function<void()> observer) {
    Observer() = std::move(observer);
}

void NotifyModalLoopBegins() {
    if (Observer())
        Observer()();
}
