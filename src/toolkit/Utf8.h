#pragma once
// Character counting on UTF-8 text: limits count characters and never split one.

#include <string>

inline bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

inline int Utf8Length(const std::string& text) {
    int count = 0;
    for (char c : text)
        if (!IsUtf8Continuation(c))
            ++count;
    return count;
}

// The text cut to at most `characters` characters.
inline std::string Utf8Truncate(const std::string& text, int characters) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!IsUtf8Continuation(text[i])) {
            if (count == characters)
                return text.substr(0, i);
            ++count;
        }
    return text;
}
