#include "platform/ConfigPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

} // namespace

std::string ConfigDirectory() {
    // A relative XDG_CONFIG_HOME is invalid by the desktop's rules and is ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/varnel-pro";
    std::string home = HomeDirectory();
    if (home.empty())
        return {};
    return home + "/.config/varnel-pro";
}

std::string ResolveProfilePath(std::string_view fileName) {
    if (fileName.empty())
        return {};
    if (fileName.find('/') != std::string_view::npos)
        return std::string(fileName);
    std::string dir = ConfigDirectory();
    if (dir.empty())
        return {};
    return dir + "/" + std::string(fileName);
}
