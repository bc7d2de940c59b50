#pragma once
// Tells an observer when a modal loop begins (a message box opens, a window is shown modally):
// from then on the program waits for the user. The automation endpoint listens, so that a request
// whose action opened the box is answered instead of waiting for the box to close.

#include <functional>

// Null removes the observer.
void SetModalLoopObserver(std::function<void()> observer);
void NotifyModalLoopBegins();
