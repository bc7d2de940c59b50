#pragma once
// The words of an automation request line and the quoting of texts in its answers: words are
// separated by blanks; a word holding blanks or quotes is written in double quotes, with a
// backslash before each quote or backslash inside.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RequestWords {
    std::vector<std::string> words;
    // Empty when the line was well formed; else why not.
    std::string error;
};

RequestWords SplitRequest(std::string_view line);

// A text as an answer shows it: in double quotes, CR, LF, TAB and backslash written as \r, \n, \t
// and \\, and a double quote as \".
std::string QuoteText(std::string_view text);

// A whole decimal number (an optional minus sign); nothing when the word is no number or does not
// fit an int.
std::optional<int> ParseInt(std::string_view word);
