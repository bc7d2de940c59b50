#pragma once
// Driving a running varnel-manager as a script would: `varnelctl ui` requests against the
// automation socket named by VARNEL_AUTOMATION, and reading the lines of its answers and the
// level meters of a window's dump.

#include <string>
#include <vector>

namespace testsupport {

// `varnelctl ui <words>` against the manager; its output, and whether it exited 0.
std::string Ui(const std::string& cardSocket, const std::vector<std::string>& words,
               bool* ok = nullptr);

// Sends `bytes` (request lines) to the automation socket on a connection of its own and reads
// the answers to `answers` requests: each "ok" or "error: ..." line, in order. Fewer when the
// connection ends first.
std::vector<std::string> UiBatch(const std::string& automationSocket, const std::string& bytes,
                                 int answers);

// The line of `text` holding `what`, or "".
std::string LineWith(const std::string& text, const std::string& what);

// True when a dump or windows line carries `key=value` as one of its words, wherever it stands
// among the keys.
bool Carries(const std::string& line, const std::string& keyValue);

struct MeterState {
    std::string name;
    bool visible = false;
    int level = -1;
    int lit = -1;
    int peak = -1;
};

// Every TLevelMeter line of a dump, in dump order.
std::vector<MeterState> MetersOf(const std::string& dump);

} // namespace testsupport
