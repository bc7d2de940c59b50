#include "sim/ctl/UiRequest.h"

#include "base/UnixSocket.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
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

std::vector<std::string> UiRequestWords(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size())
                    ++i;
                word += line[i];
            }
            ++i;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                word += line[i++];
        }
        words.push_back(word);
    }
    return words;
}

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
    const base::Connection connection = base::ConnectUnix(socketPath);
    if (connection.fd < 0) {
        error = connection.failure == base::ConnectFailure::NoListener
                    ? "cannot reach the manager: " + connection.error
                    : connection.error;
        return {};
    }
    const int fd = connection.fd;
    timeval timeout{kAnswerSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (!base::SendAll(fd, line + "\n")) {
        error = std::string("the manager closed the connection: ") + std::strerror(errno);
        close(fd);
        return {};
    }
    std::string answer;
    std::string current;
    std::uint8_t buffer[4096];
    while (true) {
        const std::ptrdiff_t n = base::ReceiveSome(fd, buffer);
        if (n <= 0) {
            error = n == 0 ? "the manager closed the connection before answering"
                           : "no answer within " + std::to_string(kAnswerSeconds) + " seconds";
            close(fd);
            return {};
        }
        for (std::ptrdiff_t i = 0; i < n; ++i) {
            if (buffer[i] != '\n') {
                current += static_cast<char>(buffer[i]);
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
