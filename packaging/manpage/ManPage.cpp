// Writes a program's manual page (section 1) from its own --help and --version, so that the page
// and what the program prints cannot disagree. The help follows one layout (base/ProgramOptions.h):
// a "Usage:" line, a paragraph, then sections under lines ending in ':', whose entries start two
// blanks in, with their description after two or more blanks or on lines indented further.
//
//   varnel-manpage <program> <release date> <output file> [<see also>...]
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Run(const std::string& program, const char* option) {
    const std::string command = "'" + program + "' " + option;
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        if (pclose(pipe) != 0)
            out.clear();
    }
    return out;
}

// Text as roff reads it: backslashes and hyphens escaped, no line taken for a request.
std::string Roff(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

std::size_t Indent(const std::string& line) {
    return line.find_first_not_of(' ');
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The section's entries: a term two blanks in, its description after two or more blanks or
// below it, indented further; lines indented beyond the description's own start a line of their
// own, as does the line after them; a term right after a term without description shares its
// paragraph.
void Entries(const std::vector<std::string>& lines, std::size_t& i, std::ostream& out) {
    bool termOpen = false;
    bool deeper = false;
    std::size_t bodyIndent = 0;
    for (; i < lines.size() && !lines[i].empty(); ++i) {
        const std::string& line = lines[i];
        const std::size_t indent = Indent(line);
        if (indent == 2) {
            const std::string rest = line.substr(2);
            const std::size_t gap = rest.find("  ");
            const std::string term = Trim(rest.substr(0, gap));
            out << (termOpen ? ".TQ\n" : ".TP\n") << ".B " << Roff(term) << "\n";
            termOpen = gap == std::string::npos;
            bodyIndent = 0;
            deeper = false;
            if (!termOpen) {
                bodyIndent = 2 + rest.find_first_not_of(' ', gap);
                out << Roff(Trim(rest.substr(gap))) << "\n";
            }
            continue;
        }
        // Lines indented beyond the description (a list inside it) stand on lines of their own,
        // and so do the line after them and a line that introduces them.
        if (bodyIndent == 0)
            bodyIndent = indent;
        else if (indent > bodyIndent || deeper || line.back() == ':')
            out << ".br\n";
        deeper = indent > bodyIndent;
        termOpen = false;
        out << Roff(Trim(line)) << "\n";
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr
            << "usage: varnel-manpage <program> <release date> <output file> [<see also>...]\n";
        return 2;
    }
    const std::string program = argv[1];
    const std::string help = Run(program, "--help");
    const std::string version = Run(program, "--version");
    const std::size_t open = version.find(" (");
    const std::size_t close = version.find(") ");
    if (help.rfind("Usage: ", 0) != 0 || open == std::string::npos || close == std::string::npos) {
        std::cerr << "varnel-manpage: " << program << " gives no help or version in the layout\n";
        return 1;
    }
    const std::string name = version.substr(0, open);
    const std::string product = version.substr(open + 2, close - open - 2);
    const std::string number = Trim(version.substr(close + 2, version.find('\n') - close - 2));

    std::vector<std::string> lines;
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);

    std::ostringstream out;
    out << ".TH " << Roff(Upper(name)) << " 1 \"" << argv[2] << "\" \"" << Roff(product) << " "
        << number << "\" \"User Commands\"\n";
    // The name line: the description's first phrase.
    std::string description;
    std::size_t i = 1;
    for (; i < lines.size() && !lines[i].empty(); ++i)
        description += (description.empty() ? "" : " ") + Trim(lines[i]);
    std::string summary = description.substr(0, description.find_first_of(":.;"));
    if (!summary.empty() && summary[0] >= 'A' && summary[0] <= 'Z' && summary[1] >= 'a')
        summary[0] = static_cast<char>(summary[0] - 'A' + 'a');
    out << ".SH NAME\n" << Roff(name) << " \\- " << Roff(summary) << "\n";
    const std::string usage = lines[0].substr(7);
    const std::size_t blank = usage.find(' ');
    out << ".SH SYNOPSIS\n.B " << Roff(usage.substr(0, blank)) << "\n";
    if (blank != std::string::npos)
        out << Roff(usage.substr(blank + 1)) << "\n";
    out << ".SH DESCRIPTION\n" << Roff(description) << "\n";
    for (; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty())
            continue;
        if (Indent(line) == 0 && line.back() == ':') {
            out << ".SH " << Roff(Upper(line.substr(0, line.size() - 1))) << "\n";
            ++i;
            Entries(lines, i, out);
        } else {
            out << ".PP\n" << Roff(Trim(line)) << "\n";
        }
    }
    if (argc > 4) {
        out << ".SH SEE ALSO\n";
        for (int a = 4; a < argc; ++a)
            out << ".BR " << Roff(argv[a]) << " (1)" << (a + 1 < argc ? ",\n" : "\n");
    }
    std::ofstream file(argv[3]);
    file << out.str();
    return file ? 0 : 1;
}
