#pragma once
// Waiting for a real process with a deadline: the one way tests wait for something outside them
// (a daemon coming up, a program ending, a window appearing), never for a timer of their own.

#include <chrono>
#include <functional>

namespace testsupport {

// Asks `done` until it answers true or the deadline has passed; true when it did. Between two
// questions it waits `interval`, so a poll does not starve the program it watches.
bool PollUntil(std::chrono::milliseconds deadline, const std::function<bool()>& done,
               std::chrono::milliseconds interval = std::chrono::milliseconds(20));

} // namespace testsupport
