#include "sim/ctl/UiRequest.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace simcard {

namespace {

// Long enough for an action that runs the configuration process; a hung program still ends it.
constexpr int kAnswerSeconds = 60;

std::string Quoted(const std::string& word) {
    if (!word.empty() && word.find_first_of(" \t\"\\") == std::string::npos)
        return word;
    std::string out = "\"";
    for (char c : word) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

bool IsLastLine(const std::string& line) {
    return line == "ok" || line.starts_with("error: ");
}

} // namespace

std::string UiRequestLine(const std::vector<std::string>& words, std::string& error) {
    std::string line;
    for (const std::string& word : words) {
        if (word.find_first_of("\r\n") != std::string::npos) {
            error = "a request is one line: no line breaks in its words";
            return {};
        }
        if (words.size() == 1)
            return word;
        line += (line.empty() ? "" : " ") + Quoted(word);
    }
    return line;
}

std::string UiExchange(const std::string& socketPath, const std::string& line, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        error = "the socket path " + socketPath + " is too long";
        return {};
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error = "cannot reach the manager at " + socketPath + ": " + std::strerror(errno);
        if (fd >= 0)
            close(fd);
        return {};
    }
    timeval timeout{kAnswerSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const std::string request = line + "\n";
    std::size_t sent = 0;
    while (sent < request.size()) {
        ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = std::string("the manager closed the connection: ") + std::strerror(errno);
            close(fd);
            return {};
        }
        sent += static_cast<std::size_t>(n);
    }
    std::string answer;
    std::string current;
    char buffer[4096];
    while (true) {
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n == 0 ? "the manager closed the connection before answering"
                           : "no answer within " + std::to_string(kAnswerSeconds) + " seconds";
            close(fd);
            return {};
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] != '\n') {
                current += buffer[i];
                continue;
            }
            answer += current + "\n";
            if (IsLastLine(current)) {
                close(fd);
                return answer;
            }
            current.clear();
        }
    }
}

} // namespace simcard
