#pragma once
// The messages of a detached daemon, kept in a file of bounded size: standard output and error go
// into a pipe whose thread appends them to the file; once the file passes its limit it becomes
// FILE.1 (replacing the older part) and a new FILE starts. So a daemon started on demand leaves
// its messages where its user can read them, and never fills the disk.

#include <string>

namespace simcard {

constexpr long kDaemonLogLimitBytes = 256 * 1024;

// Makes the file's directory (0700), points standard output and error at the pipe and starts the
// thread. False with the reason when the file cannot be opened; the streams are then unchanged.
bool StartDaemonLog(const std::string& path, std::string* error);

} // namespace simcard
