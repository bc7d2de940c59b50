#include "platform/SettingsFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

SettingsReplaceHook& ReplaceHook() {
    static SettingsReplaceHook hook;
    return hook;
}

std::string Describe(const std::string& what, const std::string& path, int err) {
    return what + " " + path + ": " + std::strerror(err);
}

FileStamp StampFrom(const struct stat& st) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.mtimeSec = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    stamp.mtimeNsec = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return stamp;
}

// Closes the descriptor when the scope ends, whatever way it ends.
class FdGuard {
public:
    explicit FdGuard(int fd) : fd_(fd) {}
    ~FdGuard() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

std::string ParentOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Desktop configuration directories are private to their user, so missing ones are made 0700.
bool EnsureDirectory(const std::string& dir, std::string& error) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        error = "not a directory: " + dir;
        return false;
    }
    if (errno != ENOENT) {
        error = Describe("cannot reach directory", dir, errno);
        return false;
    }
    std::string parent = ParentOf(dir);
    if (parent != dir && !EnsureDirectory(parent, error))
        return false;
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        error = Describe("cannot create directory", dir, errno);
        return false;
    }
    return true;
}

// Follows a symbolic link so that the link stays and the file it names is replaced.
bool ResolveTarget(const std::string& path, std::string& target, std::string& error) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        target = path;
        return true;
    }
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        error = Describe("cannot follow link", path, errno);
        return false;
    }
    target = resolved;
    return true;
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

int CreateTemporary(const std::string& target, std::string& tempPath) {
    static unsigned counter = 0;
    std::string dir = ParentOf(target);
    std::string base = target.substr(target.find_last_of('/') + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = dir + "/." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
                   std::to_string(++counter);
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

void SyncDirectory(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // The rename has happened; a failed directory sync only weakens durability after a power
    // loss, which the caller cannot repair, so it is not reported.
    ::fsync(fd);
    ::close(fd);
}

} // namespace

FileStamp StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return FileStamp{};
    return StampFrom(st);
}

FileSnapshot ReadSettingsFile(const std::string& path) {
    FileSnapshot snap;
    // Non-blocking, so that a pipe in place of the file cannot hang the open.
    FdGuard fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.Get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return snap;
        snap.state = FileSnapshot::State::Unreadable;
        snap.error = Describe("cannot open", path, errno);
        return snap;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        snap.state = FileSnapshot::State::Unreadable;
        snap.error = Describe("cannot inspect", path, errno);
        return snap;
    }
    snap.stamp = StampFrom(st);
    snap.state = FileSnapshot::State::Unreadable;
    if (!S_ISREG(st.st_mode)) {
        snap.error = "not a regular file: " + path;
        return snap;
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxSettingsFileSize) {
        snap.error = "too large for a settings file: " + path;
        return snap;
    }
    snap.content.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[64 * 1024];
    for (;;) {
        ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            snap.error = Describe("cannot read", path, errno);
            snap.content.clear();
            return snap;
        }
        if (n == 0)
            break;
        snap.content.append(buffer, static_cast<std::size_t>(n));
        if (snap.content.size() > kMaxSettingsFileSize) {
            snap.error = "too large for a settings file: " + path;
            snap.content.clear();
            return snap;
        }
    }
    snap.state = FileSnapshot::State::Read;
    return snap;
}

bool ReplaceSettingsFile(const std::string& path, std::string_view content, std::string& error) {
    std::string target;
    if (!ResolveTarget(path, target, error))
        return false;
    std::string dir = ParentOf(target);
    if (!EnsureDirectory(dir, error))
        return false;

    struct stat old {};
    bool existed = ::stat(target.c_str(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode)) {
        error = "not a regular file: " + target;
        return false;
    }
    // The rename below would replace a file its owner made read-only as long as the directory is
    // writable; a file this user may not write is left as it is.
    if (existed && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        error = Describe("cannot write", target, errno);
        return false;
    }

    std::string tempPath;
    FdGuard fd(CreateTemporary(target, tempPath));
    if (fd.Get() < 0) {
        error = Describe("cannot create a file in", dir, errno);
        return false;
    }
    auto fail = [&](const std::string& what, int err) {
        error = Describe(what, tempPath, err);
        ::close(fd.Release());
        ::unlink(tempPath.c_str());
        return false;
    };
    if (existed) {
        if (::fchmod(fd.Get(), old.st_mode & 07777) != 0)
            return fail("cannot set permissions of", errno);
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(fd.Get(), old.st_uid, old.st_gid) != 0) {
            // Only a privileged writer can hand the file back to its owner; anyone else already
            // is the owner or cannot be, so a refusal here is expected and harmless.
        }
    }
    if (!WriteAll(fd.Get(), content))
        return fail("cannot write", errno);
    if (::fsync(fd.Get()) != 0)
        return fail("cannot sync", errno);
    if (::close(fd.Release()) != 0) {
        error = Describe("cannot write", tempPath, errno);
        ::unlink(tempPath.c_str());
        return false;
    }
    if (auto& hook = ReplaceHook(); hook && !hook(tempPath, target)) {
        error = "cannot replace " + target + ": refused by the test hook";
        ::unlink(tempPath.c_str());
        return false;
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        error = Describe("cannot replace", target, errno);
        ::unlink(tempPath.c_str());
        return false;
    }
    SyncDirectory(dir);
    return true;
}

void SetSettingsReplaceHookForTesting(SettingsReplaceHook hook) {
    ReplaceHook() = std::move(hook);
}
