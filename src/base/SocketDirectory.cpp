#include "base/SocketDirectory.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace base {

namespace {

std::string DirectoryOf(const std::string& socketPath) {
    const std::size_t slash = socketPath.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : socketPath.substr(0, slash);
}

std::string Reason() {
    return std::strerror(errno);
}

// Checked through a descriptor of the directory itself, so that a name swapped for a link between
// the check and the change cannot redirect the change.
bool MakePrivate(const std::string& dir, std::string* error, std::string* notice) {
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *error = errno == ENOTDIR || errno == ELOOP ? dir + " is not a directory"
                                                    : "cannot open " + dir + ": " + Reason();
        return false;
    }
    struct stat st {};
    bool ok = fstat(fd, &st) == 0;
    if (!ok)
        *error = "cannot inspect " + dir + ": " + Reason();
    else if (st.st_uid != geteuid()) {
        *error = dir + " belongs to another user (uid " + std::to_string(st.st_uid) +
                 "); refusing to put a socket there";
        ok = false;
    } else if ((st.st_mode & 0077) != 0) {
        if (fchmod(fd, 0700) != 0) {
            *error = "cannot make " + dir + " private: " + Reason();
            ok = false;
        } else {
            *notice = dir + " was open to other users; made it private (0700)";
        }
    }
    close(fd);
    return ok;
}

} // namespace

std::string RuntimeDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/varnel-pro";
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp && *tmp ? tmp : "/tmp";
    return base + "/varnel-pro-" + std::to_string(geteuid());
}

bool PrepareSocketDirectory(const std::string& socketPath, std::string* error,
                            std::string* notice) {
    const std::string dir = DirectoryOf(socketPath);
    notice->clear();
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        *error = "cannot create " + dir + ": " + Reason();
        return false;
    }
    if (dir == RuntimeDirectory())
        return MakePrivate(dir, error, notice);
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = dir + " is not a directory";
        return false;
    }
    return true;
}

} // namespace base
