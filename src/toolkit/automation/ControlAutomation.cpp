#include "toolkit/automation/ControlAutomation.h"

#include "toolkit/automation/RequestWords.h"
#include "toolkit/automation/ToolkitClasses.h"

#include <cstdio>
#include <deque>
#include <mutex>

namespace {

std::mutex registryMutex;

std::deque<ControlAutomation>& Entries() {
    // A deque keeps the entries in place as more are added: FindControlAutomation hands them out.
    static std::deque<ControlAutomation> entries = ToolkitClassAutomation();
    return entries;
}

} // namespace

void RegisterControlAutomation(ControlAutomation entry) {
    std::lock_guard lock(registryMutex);
    Entries().push_back(std::move(entry));
}

const ControlAutomation* FindControlAutomation(const TControl* control) {
    std::lock_guard lock(registryMutex);
    auto& entries = Entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->matches(control))
            return &*it;
    return nullptr;
}

void AddAttribute(std::string& out, std::string_view key, long long value) {
    out += ' ';
    out += key;
    out += '=';
    out += std::to_string(value);
}

void AddFlag(std::string& out, std::string_view key, bool value) {
    AddAttribute(out, key, value ? 1 : 0);
}

void AddText(std::string& out, std::string_view key, std::string_view text) {
    out += ' ';
    out += key;
    out += '=';
    out += QuoteText(text);
}

void AddColor(std::string& out, std::string_view key, int color) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(color));
    out += ' ';
    out += key;
    out += '=';
    out += text;
}

std::string NotANumber(const std::string& value) {
    return QuoteText(value) + " is not a whole number";
}

std::string NotAFlag(const std::string& value) {
    return QuoteText(value) + " is not 0 or 1";
}
