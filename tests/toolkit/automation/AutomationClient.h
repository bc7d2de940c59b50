#pragma once
// A test's client of the automation endpoint: a real connection to its socket. Conversations run
// on a thread of their own while the test's thread runs the message loop, as the program's GUI
// thread would.

#include <string>
#include <vector>

class AutomationClient {
public:
    // -1 when the endpoint cannot be reached.
    explicit AutomationClient(const std::string& path);
    ~AutomationClient();
    AutomationClient(const AutomationClient&) = delete;
    AutomationClient& operator=(const AutomationClient&) = delete;

    bool Connected() const { return fd_ >= 0; }
    bool SendRaw(const std::string& bytes);
    // The lines up to and including the next `ok` or `error: …`, joined by line feeds; empty when
    // the endpoint closed the connection first.
    std::string ReadAnswer();
    void Close();

private:
    int fd_ = -1;
    std::string pending_;
};

// Sends each request on one connection, waiting for its answer before the next, while the calling
// thread runs the message loop; returns the answers.
std::vector<std::string> Converse(const std::string& path, const std::vector<std::string>& lines);
