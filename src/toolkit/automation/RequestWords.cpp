#include "toolkit/automation/RequestWords.h"

#include "platform/MessageBox.h"

#include <charconv>

RequestWords SplitRequest(std::string_view line) {
    RequestWords result;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i == line.size())
            return result;
        std::string word;
        if (line[i] != '"') {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
                if (line[i] == '"') {
                    result.error = "a quote inside a word";
                    return result;
                }
                word += line[i++];
            }
            result.words.push_back(std::move(word));
            continue;
        }
        ++i;
        bool closed = false;
        while (i < line.size()) {
            char c = line[i++];
            if (c == '"') {
                closed = true;
                break;
            }
            if (c == '\\') {
                if (i == line.size() || (line[i] != '"' && line[i] != '\\')) {
                    result.error = "a backslash escapes only \\\" and \\\\";
                    return result;
                }
                c = line[i++];
            }
            word += c;
        }
        if (!closed) {
            result.error = "unterminated quote";
            return result;
        }
        if (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            result.error = "no blank after a quoted word";
            return result;
        }
        result.words.push_back(std::move(word));
    }
}

std::string QuoteText(std::string_view text) {
    std::string out = "\"";
    for (char c : EscapeMessageBoxText(text)) {
        if (c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::optional<int> ParseInt(std::string_view word) {
    int value = 0;
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    if (word.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}
