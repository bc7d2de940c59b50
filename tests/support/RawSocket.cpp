#include "support/RawSocket.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

sockaddr_un UnixAddress(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

int RawConnect(const std::string& path) {
    const sockaddr_un address = UnixAddress(path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno; // the caller may want to say why
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool Accepts(const std::string& path) {
    const int fd = RawConnect(path);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

int RawBind(const std::string& path) {
    const sockaddr_un address = UnixAddress(path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace testsupport
