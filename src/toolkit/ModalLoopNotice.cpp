#include "toolkit/ModalLoopNotice.h"

#include <vector>

namespace {

std::function<void()>& Observer() {
    static std::function<void()> observer;
    return observer;
}

std::function<void()>& SettledObserver() {
    static std::function<void()> observer;
    return observer;
}

// GUI thread only: the shows under way, and for each modal loop running the count when it began.
int g_shows = 0;
std::vector<int> g_modalBaselines;

} // namespace

void SetModalLoopObserver(std::function<void()> observer) {
    Observer() = std::move(observer);
}

void NotifyModalLoopBegins() {
    if (Observer())
        Observer()();
}

ModalLoopScope::ModalLoopScope() {
    g_modalBaselines.push_back(g_shows);
    NotifyModalLoopBegins();
}

ModalLoopScope::~ModalLoopScope() {
    g_modalBaselines.pop_back();
}

ShowScope::ShowScope() {
    ++g_shows;
}

ShowScope::~ShowScope() {
    --g_shows;
    if (!Settling() && SettledObserver())
        SettledObserver()();
}

bool Settling() {
    return g_shows > (g_modalBaselines.empty() ? 0 : g_modalBaselines.back());
}

void SetSettledObserver(std::function<void()> observer) {
    SettledObserver() = std::move(observer);
}
