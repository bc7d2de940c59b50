#include "platform/Shell.h"

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

thread_local pid_t lastStarted = 0;

// The processes ShellExecuteA started that have not ended yet. Each one gets a thread of its own
// that waits for its end and reaps it, so that no started process stays a zombie, whichever way
// its caller leaves it (done, failed, abandoned after a time limit), and no caller ever waits
// for a reap.
class StartedProcesses {
public:
    // False when no reaper could be started: the process is then ended and reaped at once.
    bool Add(pid_t pid) {
        {
            std::lock_guard lock(mutex_);
            running_.insert(pid);
        }
        // The reaper starts with every signal blocked, so that signals meant for the program
        // reach the program's own threads.
        sigset_t all, previous;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &previous);
        bool started = true;
        try {
            std::thread([this, pid] { Reap(pid); }).detach();
        } catch (const std::system_error&) {
            started = false;
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        if (!started) {
            kill(pid, SIGKILL);
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
            std::lock_guard lock(mutex_);
            running_.erase(pid);
        }
        return started;
    }

    bool Ended(pid_t pid) {
        std::lock_guard lock(mutex_);
        return running_.count(pid) == 0;
    }

    // Kills the process and returns once it has stopped running. While it is listed it has not
    // been reaped, so its pid cannot have been given to another process.
    void End(pid_t pid) {
        std::unique_lock lock(mutex_);
        if (running_.count(pid) == 0)
            return;
        kill(pid, SIGKILL);
        ended_.wait(lock, [&] { return running_.count(pid) == 0; });
    }

private:
    void Reap(pid_t pid) {
        siginfo_t info{};
        // Waits for the end without reaping, so that End can still signal the pid safely.
        while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0 &&
               errno == EINTR) {
        }
        {
            std::lock_guard lock(mutex_);
            running_.erase(pid);
        }
        ended_.notify_all();
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }

    std::mutex mutex_;
    std::condition_variable ended_;
    std::set<pid_t> running_;
};

// Never destroyed: a reaper may still run while the program ends.
StartedProcesses& Started() {
    static auto* started = new StartedProcesses;
    return *started;
}

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
    const std::string name = ProgramName(file);
    std::string path = HelperProgramPath(name);
    if (access(path.c_str(), X_OK) != 0) {
        // The caller's own failure path may well be silent: one line says what is missing.
        std::fprintf(stderr, "%s: cannot start %s: no executable %s\n",
                     program_invocation_short_name, name.c_str(), path.c_str());
        std::fflush(stderr);
        return SE_ERR_FNF;
    }

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
    if (rc != 0) {
        std::fprintf(stderr, "%s: cannot start %s: %s\n", program_invocation_short_name,
                     path.c_str(), std::strerror(rc));
        std::fflush(stderr);
        return SE_ERR_FNF;
    }
    if (!Started().Add(pid))
        return SE_ERR_OOM;
    lastStarted = pid;
    return SHELL_STARTED;
}

pid_t LastShellProcess() {
    return lastStarted;
}

bool ShellProcessEnded(pid_t pid) {
    return Started().Ended(pid);
}

void EndShellProcess(pid_t pid) {
    Started().End(pid);
}
