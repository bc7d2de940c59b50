#pragma once
// Starting another program the way the shell does, and the shared word a started process uses to
// say it is done.

#include "platform/WinTypes.h"

#include <cstdint>
#include <string>
#include <sys/types.h>

constexpr int SW_SHOWDEFAULT = 10;
constexpr HINSTANCE SE_ERR_FNF = 2;
constexpr HINSTANCE SE_ERR_OOM = 8;
constexpr HINSTANCE SE_ERR_NOASSOC = 31;
// What a successful start returns; any value above 32 means success.
constexpr HINSTANCE SHELL_STARTED = 42;

// The environment variable naming the directory that programs are started from; by default the
// directory of the running executable.
constexpr const char* kBinDirEnvironment = "VARNEL_BIN_DIR";
std::string ProgramDirectory();

// The helper program `name` (rundll, varnel-cardd): in $VARNEL_BIN_DIR when that is set, else
// beside the running executable (the build tree, and the helpers among themselves), else in the
// installed helper directory relative to it (bin/../libexec/varnel-pro). The second form looks
// from `programDirectory` and ignores the environment. When neither place holds an executable,
// the path beside the executable, so that an error names it.
std::string HelperProgramPath(const std::string& name);
std::string HelperProgramPath(const std::string& name, const std::string& programDirectory);

// Starts `file` (a trailing ".exe" is dropped) from where HelperProgramPath finds it, with
// `parameters` split at blanks as its arguments. Returns a value above 32 when the process started,
// 2 when the file does not exist, 31 for a verb other than the default "open", 8 when the system
// has no room for the process. Every started process is reaped when it ends, whatever its caller
// does.
HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                        const char* directory, int show);

// The process that the last successful ShellExecuteA of this thread started (0 before any).
pid_t LastShellProcess();
// True once that process has ended; also for a pid that ShellExecuteA did not start.
bool ShellProcessEnded(pid_t pid);
// Ends a started process that no longer answers; returns once it has stopped running.
void EndShellProcess(pid_t pid);

// Waits at most timeoutMs while *word still equals `expected`; a process that writes the word
// and calls WakeSharedWord ends the wait at once. The word may live in shared memory.
void WaitSharedWord(const volatile std::int32_t* word, std::int32_t expected,
                    std::uint32_t timeoutMs);
void WakeSharedWord(volatile std::int32_t* word);
