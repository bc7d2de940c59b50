#pragma once
// The shared word a started process (the configuration process) writes to say it is done, and on
// which its caller waits. The word may live in shared memory.

#include <cstdint>

namespace simcard {

// Waits at most timeoutMs while *word still equals `expected`; a process that writes the word
// and calls WakeSharedWord ends the wait at once.
void WaitSharedWord(const volatile std::int32_t* word, std::int32_t expected,
                    std::uint32_t timeoutMs);
void WakeSharedWord(volatile std::int32_t* word);

} // namespace simcard
