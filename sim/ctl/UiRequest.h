#pragma once
// `varnelctl ui`: one request to the manager's automation endpoint and its answer.

#include <string>
#include <vector>

namespace simcard {

// The words of a request line: blanks separate them, a word in double quotes may hold blanks
// and `\"` or `\\`.
std::vector<std::string> UiRequestWords(const std::string& line);

// The request line for the words given on the command line: a single word is the whole line as
// typed; several are joined by blanks, each holding a blank, a quote or a backslash (or none at
// all) written in double quotes with \" and \\ escapes. Empty with `error` set when a word holds
// a line break.
std::string UiRequestLine(const std::vector<std::string>& words, std::string& error);

// Sends the line to the endpoint at `socketPath` and returns the answer's lines (each ending in
// a line feed, the last `ok` or `error: …`); empty with `error` set when there is no answer.
std::string UiExchange(const std::string& socketPath, const std::string& line, std::string& error);

} // namespace simcard
