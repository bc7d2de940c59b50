#pragma once
// The options every program of the system answers alike, as command-line programs do: `--help`
// (or `-h`) prints the program's help on stdout, `--version` its name and the project's version;
// both end the program with 0 before it starts anything. An option a program does not know gets
// the first line of its help (the usage line) on stderr and exit code 2.
//
// A program's help is the one text its manual page is generated from: a `Usage:` line, a
// paragraph saying what it does, then sections each under a line ending in ':', whose entries
// start two blanks in (an option or command, with its description after two or more blanks or on
// lines indented further).

#include <string>
#include <string_view>

namespace base {

// The exit code of a command line the program cannot run.
constexpr int kUsageExit = 2;

// "<program> (Varnel PRO Manager) <version>" and a line feed.
std::string VersionText(std::string_view program);

// When `arg` is --help, -h or --version: prints the answer on stdout and returns true.
bool AnswerStandardOption(std::string_view arg, std::string_view program, std::string_view help);

// "<program>: <reason>" and the help's usage line on stderr; returns kUsageExit.
int UsageError(std::string_view program, std::string_view help, std::string_view reason);

} // namespace base
