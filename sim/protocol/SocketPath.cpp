#include "sim/protocol/SocketPath.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace simcard {

std::string CardSocketPath() {
    if (const char* explicitPath = std::getenv("VARNEL_CARD_SOCKET"); explicitPath && *explicitPath)
        return explicitPath;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/varnel-pro/card.sock";
    return "/tmp/varnel-pro-" + std::to_string(getuid()) + "/card.sock";
}

bool PrepareSocketDirectory(const std::string& socketPath, std::string* error) {
    std::size_t slash = socketPath.rfind('/');
    std::string dir = slash == std::string::npos ? "." : socketPath.substr(0, slash);
    if (dir.empty())
        dir = "/";
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        *error = "cannot create " + dir + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *error = dir + " is not a directory";
        return false;
    }
    const char* explicitPath = std::getenv("VARNEL_CARD_SOCKET");
    if (!(explicitPath && *explicitPath)) {
        if (st.st_uid != geteuid()) {
            *error = dir + " belongs to another user";
            return false;
        }
        if ((st.st_mode & 0077) != 0 && chmod(dir.c_str(), 0700) != 0) {
            *error = "cannot make " + dir + " private: " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

} // namespace simcard
