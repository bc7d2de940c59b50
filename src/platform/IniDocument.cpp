#include "platform/IniDocument.h"

#include <algorithm>

namespace {

// A '\r' counts as a blank too, so that a last line ending in a lone '\r' reads like any other.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::size_t SkipBlanks(std::string_view s, std::size_t from, std::size_t to) {
    while (from < to && IsBlank(s[from]))
        ++from;
    return from;
}

std::size_t TrimEnd(std::string_view s, std::size_t from, std::size_t to) {
    while (to > from && IsBlank(s[to - 1]))
        --to;
    return to;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

bool HasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos;
}

bool HasOuterBlanks(std::string_view s) {
    return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back()));
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string_view IniDocument::Line::Name() const {
    return std::string_view(text).substr(nameBegin, nameEnd - nameBegin);
}

std::string_view IniDocument::Line::Value() const {
    return std::string_view(text).substr(valueBegin, valueEnd - valueBegin);
}

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument doc;
    bool styleKnown = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::size_t end = nl == text.npos ? text.size() : nl;
        std::string eol;
        if (nl != text.npos) {
            eol = (end > pos && text[end - 1] == '\r') ? "\r\n" : "\n";
            end -= eol.size() - 1;
            if (!styleKnown) {
                doc.eol_ = eol;
                styleKnown = true;
            }
        }
        doc.lines_.push_back(
            MakeLine(std::string(text.substr(pos, end - pos)), std::move(eol), pos == 0));
        pos = nl == text.npos ? text.size() : nl + 1;
    }
    return doc;
}

std::string IniDocument::Text() const {
    std::string out;
    std::size_t size = 0;
    for (const Line& line : lines_)
        size += line.text.size() + line.eol.size();
    out.reserve(size);
    for (const Line& line : lines_)
        out.append(line.text).append(line.eol);
    return out;
}

IniDocument::Line IniDocument::MakeLine(std::string text, std::string eol, bool first) {
    Line line;
    line.text = std::move(text);
    line.eol = std::move(eol);
    Classify(line, first);
    return line;
}

void IniDocument::Classify(Line& line, bool first) {
    std::string_view s = line.text;
    std::size_t start = 0;
    if (first && s.starts_with(kByteOrderMark))
        start = kByteOrderMark.size();
    start = SkipBlanks(s, start, s.size());
    if (start == s.size()) {
        line.kind = Kind::Blank;
        return;
    }
    char c = s[start];
    if (c == ';' || c == '#') {
        line.kind = Kind::Comment;
        return;
    }
    if (c == '[') {
        std::size_t close = s.find(']', start + 1);
        if (close == s.npos) {
            line.kind = Kind::UnnamedSection;
            return;
        }
        line.kind = Kind::Section;
        line.nameBegin = SkipBlanks(s, start + 1, close);
        line.nameEnd = TrimEnd(s, line.nameBegin, close);
        return;
    }
    std::size_t eq = s.find('=', start);
    if (eq == s.npos) {
        line.kind = Kind::Other;
        return;
    }
    line.kind = Kind::Key;
    line.nameBegin = start;
    line.nameEnd = TrimEnd(s, start, eq);
    line.valueBegin = SkipBlanks(s, eq + 1, s.size());
    line.valueEnd = TrimEnd(s, line.valueBegin, s.size());
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Section && SameName(lines_[i].Name(), section))
            return i;
    return std::nullopt;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && !lines_[i].OpensSection())
        ++i;
    return i;
}

std::optional<std::size_t> IniDocument::FindKey(std::size_t header, std::string_view key) const {
    std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key && SameName(lines_[i].Name(), key))
            return i;
    return std::nullopt;
}

std::optional<std::string_view> IniDocument::Find(std::string_view section,
                                                  std::string_view key) const {
    auto header = FindSection(section);
    if (!header)
        return std::nullopt;
    auto at = FindKey(*header, key);
    if (!at)
        return std::nullopt;
    return lines_[*at].Value();
}

std::vector<std::string> IniDocument::SectionNames() const {
    std::vector<std::string> names;
    for (const Line& line : lines_)
        if (line.kind == Kind::Section &&
            std::none_of(names.begin(), names.end(),
                         [&](const std::string& n) { return SameName(n, line.Name()); }))
            names.emplace_back(line.Name());
    return names;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    auto header = FindSection(section);
    if (!header)
        return names;
    std::size_t end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key &&
            std::none_of(names.begin(), names.end(),
                         [&](const std::string& n) { return SameName(n, lines_[i].Name()); }))
            names.emplace_back(lines_[i].Name());
    return names;
}

void IniDocument::InsertLine(std::size_t at, std::string text) {
    // The line before a new one needs a line end, even when it was the file's unterminated last.
    if (at > 0 && lines_[at - 1].eol.empty())
        lines_[at - 1].eol = eol_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  MakeLine(std::move(text), eol_, at == 0));
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    auto header = FindSection(section);
    if (!header) {
        if (!lines_.empty() && lines_.back().kind != Kind::Blank)
            InsertLine(lines_.size(), "");
        std::string headerLine = "[";
        headerLine.append(section).append("]");
        InsertLine(lines_.size(), std::move(headerLine));
        InsertLine(lines_.size(), std::string(key) + "=" + std::string(value));
        return true;
    }
    if (auto at = FindKey(*header, key)) {
        Line& line = lines_[*at];
        std::string text = line.text.substr(0, line.valueBegin) + std::string(value);
        if (text == line.text)
            return false;
        line.text = std::move(text);
        Classify(line, *at == 0);
        return true;
    }
    std::size_t after = *header;
    std::size_t end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key)
            after = i;
    InsertLine(after + 1, std::string(key) + "=" + std::string(value));
    return true;
}

bool IniDocument::RemoveKey(std::string_view section, std::string_view key) {
    auto header = FindSection(section);
    if (!header)
        return false;
    auto at = FindKey(*header, key);
    if (!at)
        return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*at));
    return true;
}

bool IniDocument::RemoveSection(std::string_view section) {
    auto header = FindSection(section);
    if (!header)
        return false;
    auto first = lines_.begin() + static_cast<std::ptrdiff_t>(*header);
    lines_.erase(first, lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(*header)));
    return true;
}

bool IniDocument::IsValidSectionName(std::string_view name) {
    return !HasLineBreakOrNul(name) && !HasOuterBlanks(name) && name.find(']') == name.npos;
}

bool IniDocument::IsValidKeyName(std::string_view name) {
    return !name.empty() && !HasLineBreakOrNul(name) && !HasOuterBlanks(name) &&
           name.find('=') == name.npos && name.front() != '[' && name.front() != ';' &&
           name.front() != '#';
}

bool IniDocument::IsValidValue(std::string_view value) {
    return !HasLineBreakOrNul(value);
}

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    std::size_t pos = SkipBlanks(text, 0, text.size());
    std::size_t end = TrimEnd(text, pos, text.size());
    bool negative = false;
    if (pos < end && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (end - pos >= 2 && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    } else if (pos < end && text[pos] == '$') {
        base = 16;
        pos += 1;
    }
    if (pos == end)
        return std::nullopt;
    // One past the largest magnitude, so that the negative end of the range fits.
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 31;
    std::uint64_t magnitude = 0;
    for (; pos < end; ++pos) {
        int digit = HexDigit(text[pos]);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        magnitude =
            magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (magnitude > kLimit)
            return std::nullopt;
    }
    if (negative)
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
    if (magnitude == kLimit)
        return std::nullopt;
    return static_cast<std::int32_t>(magnitude);
}
