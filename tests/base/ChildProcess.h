#pragma once
// Waiting for a child the tests started and reading what it wrote, shared by the helpers that run
// programs: the card daemon and varnelctl, and clients run as another user.

#include <cerrno>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

// Waits for `pid` to end; its exit status, or -1 when it did not end normally.
inline int ExitStatus(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Everything `fd` gives until its end.
inline std::string ReadAll(int fd) {
    std::string text;
    char chunk[4096];
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<std::size_t>(n));
    return text;
}

} // namespace testsupport
