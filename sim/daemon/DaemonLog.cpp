#include "sim/daemon/DaemonLog.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace simcard {

namespace {

int OpenAppending(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
}

// The file's size, and a new file once it has reached the limit.
int Rotated(int fd, const std::string& path) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_size < kDaemonLogLimitBytes)
        return fd;
    close(fd);
    std::rename(path.c_str(), (path + ".1").c_str());
    return OpenAppending(path);
}

void Copy(int from, int fd, std::string path) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        fd = Rotated(fd, path);
        if (fd >= 0)
            (void)!write(fd, buffer, static_cast<std::size_t>(n));
    }
}

std::thread gCopier;

// At the process's end the last messages still reach the file: the writers close, the thread
// copies what is left and sees the pipe's end.
void FinishLog() {
    close(1);
    close(2);
    if (gCopier.joinable())
        gCopier.join();
}

} // namespace

bool StartDaemonLog(const std::string& path, std::string* error) {
    const std::filesystem::path directory = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (!directory.empty() && std::filesystem::create_directories(directory, ec))
        chmod(directory.c_str(), 0700);
    int fd = OpenAppending(path);
    if (fd < 0) {
        *error = "cannot open the log " + path + ": " + std::strerror(errno);
        return false;
    }
    fd = Rotated(fd, path);
    int pipeFds[2];
    if (fd < 0 || pipe2(pipeFds, O_CLOEXEC) != 0) {
        *error = "cannot start the log " + path + ": " + std::strerror(errno);
        if (fd >= 0)
            close(fd);
        return false;
    }
    dup2(pipeFds[1], 1);
    dup2(pipeFds[1], 2);
    close(pipeFds[1]);
    gCopier = std::thread(Copy, pipeFds[0], fd, path);
    std::atexit(FinishLog);
    return true;
}

} // namespace simcard
