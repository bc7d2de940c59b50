#include "platform/Shell.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <linux/futex.h>
#include <spawn.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

thread_local pid_t lastStarted = 0;

} // namespace

std::string ProgramDirectory() {
    if (const char* dir = std::getenv(kBinDirEnvironment); dir && *dir)
        return dir;
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string exe(path, static_cast<std::size_t>(n));
    auto slash = exe.rfind('/');
    return slash == std::string::npos ? "." : exe.substr(0, slash);
}

namespace {

std::string ProgramName(std::string file) {
    if (file.size() > 4 && strcasecmp(file.c_str() + file.size() - 4, ".exe") == 0)
        file.resize(file.size() - 4);
    return file;
}

std::vector<std::string> SplitAtBlanks(const char* parameters) {
    std::vector<std::string> words;
    std::string word;
    for (const char* p = parameters ? parameters : ""; *p; ++p) {
        if (*p == ' ') {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word += *p;
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

} // namespace

HINSTANCE ShellExecuteA(HWND, const char* verb, const char* file, const char* parameters,
                        const char* directory, int) {
    if (verb && *verb && std::strcmp(verb, "open") != 0)
        return SE_ERR_NOASSOC;
    if (!file || !*file || std::strchr(file, '/'))
        return SE_ERR_FNF;
    std::string path = ProgramDirectory() + "/" + ProgramName(file);
    if (access(path.c_str(), X_OK) != 0)
        return SE_ERR_FNF;

    std::vector<std::string> args = SplitAtBlanks(parameters);
    args.insert(args.begin(), path);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (directory && *directory)
        posix_spawn_file_actions_addchdir_np(&actions, directory);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return SE_ERR_FNF;
    lastStarted = pid;
    return SHELL_STARTED;
}

pid_t LastShellProcess() {
    return lastStarted;
}

bool ShellProcessEnded(pid_t pid) {
    if (pid <= 0)
        return true;
    int status = 0;
    pid_t r = waitpid(pid, &status, WNOHANG);
    return r == pid || (r < 0 && errno == ECHILD);
}

void EndShellProcess(pid_t pid) {
    if (pid <= 0 || ShellProcessEnded(pid))
        return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

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
