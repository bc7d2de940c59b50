#pragma once
// What /proc tells about a running program: its children, its descriptors, its memory.

#include <cstddef>
#include <string>
#include <sys/types.h>

namespace testsupport {

// The state letters of the processes whose parent is `parent` ("" when it has none).
std::string ChildStates(pid_t parent);
// The number of descriptors `pid` holds open.
std::size_t OpenDescriptors(pid_t pid);
// The resident set of `pid` in KiB (VmRSS), or -1 when it cannot be read.
long ResidentKiB(pid_t pid);

} // namespace testsupport
