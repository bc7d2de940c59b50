#pragma once
// Tells an observer when a modal loop begins (a message box opens, a window is shown modally):
// from then on the program waits for the user. The automation endpoint listens, so that a request
// whose action opened the box is answered instead of waiting for the box to close.
//
// It also knows whether the program is still settling: a window's show is under way (with the
// restore of its saved state, which opens further windows and lets messages run meanwhile). A
// modal loop that begins inside a show is the user's turn, not work in progress: only shows begun
// inside the innermost modal loop count.

#include <functional>

// Null removes the observer.
void SetModalLoopObserver(std::function<void()> observer);
void NotifyModalLoopBegins();

// Held for the time a modal loop runs; its start notifies the observer above.
class ModalLoopScope {
public:
    ModalLoopScope();
    ~ModalLoopScope();
    ModalLoopScope(const ModalLoopScope&) = delete;
    ModalLoopScope& operator=(const ModalLoopScope&) = delete;
};

// Held for the time a form's show runs.
class ShowScope {
public:
    ShowScope();
    ~ShowScope();
    ShowScope(const ShowScope&) = delete;
    ShowScope& operator=(const ShowScope&) = delete;
};

bool Settling();
// Called (on the GUI thread) whenever the last show under way ends; null removes it.
void SetSettledObserver(std::function<void()> observer);
