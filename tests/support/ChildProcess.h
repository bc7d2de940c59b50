#pragma once
// Starting the programs the tests talk to, waiting for them and reading what they wrote, shared
// by the helpers that run programs: the card daemon and varnelctl, and clients run as another
// user.

#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

// Starts `program` with `args` and VARNEL_CARD_SOCKET set to `socket`, its stdout and stderr
// going to `out` and `err` where they are not -1; the child's pid.
pid_t SpawnWithSocket(const std::string& program, const std::vector<std::string>& args,
                      const std::string& socket, int out = -1, int err = -1);

// Waits for `pid` to end; its exit status, or -1 when it did not end normally.
int ExitStatus(pid_t pid);

// Everything `fd` gives until its end.
std::string ReadAll(int fd);

} // namespace testsupport
