#pragma once
// Running a client as another user, as the security tests need: user nobody, which only root can
// become. Programs are run from copies in a directory every user may read, since the build tree
// may be closed to others.

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

struct OtherUser {
    uid_t uid;
    gid_t gid;
};

// Nobody, when this process may become it; otherwise nullopt and `why` says what is missing.
std::optional<OtherUser> Nobody(std::string* why);

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a copy of `program` as `user` with `arguments` and the extra `environment` (NAME=value).
Outcome RunProgramAs(const OtherUser& user, const std::string& program,
                     const std::vector<std::string>& arguments,
                     const std::vector<std::string>& environment);

// Runs `body` in a child process that has become `user`; its return value is the exit status.
int RunAs(const OtherUser& user, const std::function<int()>& body);

} // namespace testsupport
