#include "sim/protocol/SharedWord.h"

#include <climits>
#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace simcard {

void WaitSharedWord(const volatile std::int32_t* word, std::int32_t expected,
                    std::uint32_t timeoutMs) {
    timespec timeout{static_cast<time_t>(timeoutMs / 1000),
                     static_cast<long>(timeoutMs % 1000) * 1000000L};
    // Not FUTEX_PRIVATE: the word is shared with another process.
    syscall(SYS_futex, const_cast<std::int32_t*>(word), FUTEX_WAIT, expected, &timeout, nullptr, 0);
}

void WakeSharedWord(volatile std::int32_t* word) {
    syscall(SYS_futex, const_cast<std::int32_t*>(word), FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

} // namespace simcard
