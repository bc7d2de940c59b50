#pragma once
// Whole-file reads and atomic replacement for small settings files.
//
// A replacement writes a temporary file beside the original, syncs it, and renames it over the
// original, so that at every moment the file on disk is either the old one or the new one, whole.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// What identifies one version of a file on disk; a changed stamp means someone wrote it.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t mtimeSec = 0, mtimeNsec = 0;

    bool operator==(const FileStamp&) const = default;
};

struct FileSnapshot {
    enum class State {
        Missing,   // no such file: read as empty, a write creates it
        Read,      // `content` holds the whole file
        Unreadable // exists but cannot be read whole (`error` says why): never replaced
    };
    State state = State::Missing;
    std::string content;
    std::string error;
    FileStamp stamp;
};

// Files larger than this are not settings files; they are left alone rather than read.
constexpr std::uint64_t kMaxSettingsFileSize = 64ull * 1024 * 1024;

FileStamp StampOf(const std::string& path);
FileSnapshot ReadSettingsFile(const std::string& path);

// Replaces (or creates) the file at `path` with `content`. Missing directories are created with
// mode 0700; an existing file keeps its permissions and, where allowed, its owner; a symbolic link
// keeps pointing at the file it names, which is the one replaced. An existing file this user may
// not write (read-only) is not replaced. On failure nothing on disk changes, the temporary file is
// removed and `error` says why.
bool ReplaceSettingsFile(const std::string& path, std::string_view content, std::string& error);

// Test seam: runs after the temporary file is written and synced, just before it is renamed over
// the target. Returning false makes the replacement fail as a failed rename would. An empty
// function removes the hook.
using SettingsReplaceHook =
    std::function<bool(const std::string& tempPath, const std::string& targetPath)>;
void SetSettingsReplaceHookForTesting(SettingsReplaceHook hook);
