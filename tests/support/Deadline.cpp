#include "support/Deadline.h"

#include <thread>

namespace testsupport {

bool PollUntil(std::chrono::milliseconds deadline, const std::function<bool()>& done,
               std::chrono::milliseconds interval) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (true) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(interval);
    }
}

} // namespace testsupport
