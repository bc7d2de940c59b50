#include "AutomationClient.h"

#include "platform/MessageQueue.h"
#include "support/RawSocket.h"
#include "toolkit/TApplication.h"

#include <atomic>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

AutomationClient::AutomationClient(const std::string& path) : fd_(testsupport::RawConnect(path)) {}

AutomationClient::~AutomationClient() {
    Close();
}

void AutomationClient::Close() {
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

bool AutomationClient::SendRaw(const std::string& bytes) {
    std::size_t sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return fd_ >= 0;
}

std::string AutomationClient::ReadAnswer() {
    std::string answer;
    while (fd_ >= 0) {
        std::size_t end = pending_.find('\n');
        if (end == std::string::npos) {
            char buffer[4096];
            ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0)
                return {};
            pending_.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        answer += answer.empty() ? line : "\n" + line;
        if (line == "ok" || line.starts_with("error: "))
            return answer;
    }
    return {};
}

std::vector<std::string> Converse(const std::string& path, const std::vector<std::string>& lines) {
    std::vector<std::string> answers;
    std::atomic<bool> done{false};
    std::thread client([&] {
        AutomationClient connection(path);
        for (const std::string& line : lines) {
            if (!connection.SendRaw(line + "\n"))
                break;
            answers.push_back(connection.ReadAnswer());
        }
        done = true;
        MessageQueue::Instance().Wake();
    });
    while (!done) {
        Application->ProcessMessages();
        if (!done)
            MessageQueue::Instance().WaitUntilNotEmpty();
    }
    client.join();
    return answers;
}
