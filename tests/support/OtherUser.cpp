#include "support/OtherUser.h"

#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace fs = std::filesystem;

std::optional<OtherUser> Nobody(std::string* why) {
    const passwd* nobody = getpwnam("nobody");
    if (!nobody || access("/usr/bin/setpriv", X_OK) != 0) {
        *why = "needs user nobody and setpriv";
        return std::nullopt;
    }
    if (geteuid() != 0) {
        *why = "only root can run a client as another user";
        return std::nullopt;
    }
    return OtherUser{nobody->pw_uid, nobody->pw_gid};
}

Outcome RunProgramAs(const OtherUser& user, const std::string& program,
                     const std::vector<std::string>& arguments,
                     const std::vector<std::string>& environment) {
    TempDir copies(0755, "other-user");
    const std::string copy = copies.Path() + "/" + fs::path(program).filename().string();
    fs::copy_file(program, copy);
    std::vector<std::string> words{"/usr/bin/env"};
    words.insert(words.end(), environment.begin(), environment.end());
    words.insert(words.end(), {"/usr/bin/setpriv", "--reuid=" + std::to_string(user.uid),
                               "--regid=" + std::to_string(user.gid), "--clear-groups", copy});
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int out[2], err[2];
    Outcome outcome;
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return outcome;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    const bool spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    // Both are short; the error text fits the pipe while the output is read.
    outcome.out = ReadAll(out[0]);
    outcome.err = ReadAll(err[0]);
    close(out[0]);
    close(err[0]);
    if (spawned)
        outcome.status = ExitStatus(pid);
    return outcome;
}

int RunAs(const OtherUser& user, const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setresgid(user.gid, user.gid, user.gid) != 0 ||
            setresuid(user.uid, user.uid, user.uid) != 0)
            _exit(126);
        _exit(body());
    }
    return pid < 0 ? -1 : ExitStatus(pid);
}

} // namespace testsupport
