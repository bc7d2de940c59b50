#pragma once
// Starting another program the way the shell does, and the shared word a started process uses to
// say it is done.

#include "base/ProgramDirectory.h"
#include "platform/WinTypes.h"
#include "sim/protocol/SharedWord.h"

#include <cstdint>
#include <string>
#include <sys/types.h>

constexpr int SW_SHOWDEFAULT = 10;
constexpr HINSTANCE SE_ERR_FNF = 2;
constexpr HINSTANCE SE_ERR_OOM = 8;
constexpr HINSTANCE SE_ERR_NOASSOC = 31;
// What a successful start returns; any value above 32 means success.
constexpr HINSTANCE SHELL_STARTED = 42;

// The directory that programs are started from, and where the helper programs are found.
using base::HelperProgramPath;
using base::kBinDirEnvironment;
using base::ProgramDirectory;

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

// The word a started process writes to say it is done.
using simcard::WaitSharedWord;
using simcard::WakeSharedWord;
