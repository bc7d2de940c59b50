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

std::string_view IniDocument::TextOf(const Line& line) const {
    if (line.edited)
        return edits_[line.begin];
    return std::string_view(source_).substr(line.begin, line.size);
}

std::string_view IniDocument::NameOf(const Line& line) const {
    return TextOf(line).substr(line.nameBegin, line.nameEnd - line.nameBegin);
}

std::string_view IniDocument::ValueOf(const Line& line) const {
    return TextOf(line).substr(line.valueBegin, line.valueEnd - line.valueBegin);
}

std::string_view IniDocument::EolText(Eol eol) {
    switch (eol) {
    case Eol::Lf:
        return "\n";
    case Eol::CrLf:
        return "\r\n";
    case Eol::None:
        break;
    }
    return "";
}

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument doc;
    doc.source_ = std::string(text);
    const std::string_view source = doc.source_;
    doc.lines_.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    bool styleKnown = false;
    std::size_t pos = 0;
    while (pos < source.size()) {
        std::size_t nl = source.find('\n', pos);
        std::size_t end = nl == source.npos ? source.size() : nl;
        Line line;
        if (nl != source.npos) {
            line.eol = (end > pos && source[end - 1] == '\r') ? Eol::CrLf : Eol::Lf;
            if (line.eol == Eol::CrLf)
                --end;
            if (!styleKnown) {
                doc.eol_ = line.eol;
                styleKnown = true;
            }
        }
        line.begin = pos;
        line.size = end - pos;
        Classify(line, source.substr(pos, end - pos), pos == 0);
        doc.lines_.push_back(line);
        pos = nl == source.npos ? source.size() : nl + 1;
    }
    return doc;
}

std::string IniDocument::Text() const {
    std::size_t size = 0;
    for (const Line& line : lines_)
        size += TextOf(line).size() + EolText(line.eol).size();
    std::string out;
    out.reserve(size);
    for (const Line& line : lines_)
        out.append(TextOf(line)).append(EolText(line.eol));
    return out;
}

void IniDocument::Rewrite(Line& line, std::string text, bool first) {
    line.size = text.size();
    if (line.edited) {
        edits_[line.begin] = std::move(text);
    } else {
        line.edited = true;
        line.begin = edits_.size();
        edits_.push_back(std::move(text));
    }
    Classify(line, edits_[line.begin], first);
}

void IniDocument::Classify(Line& line, std::string_view s, bool first) {
    line.nameBegin = line.nameEnd = line.valueBegin = line.valueEnd = 0;
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
        if (lines_[i].kind == Kind::Section && SameName(NameOf(lines_[i]), section))
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
        if (lines_[i].kind == Kind::Key && SameName(NameOf(lines_[i]), key))
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
    return ValueOf(lines_[*at]);
}

std::vector<std::string> IniDocument::SectionNames() const {
    std::vector<std::string> names;
    for (const Line& line : lines_)
        if (line.kind == Kind::Section &&
            std::none_of(names.begin(), names.end(),
                         [&](const std::string& n) { return SameName(n, NameOf(line)); }))
            names.emplace_back(NameOf(line));
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
                         [&](const std::string& n) { return SameName(n, NameOf(lines_[i])); }))
            names.emplace_back(NameOf(lines_[i]));
    return names;
}

void IniDocument::InsertLine(std::size_t at, std::string text) {
    // The line before a new one needs a line end, even when it was the file's unterminated last.
    if (at > 0 && lines_[at - 1].eol == Eol::None)
        lines_[at - 1].eol = eol_;
    Line line;
    line.eol = eol_;
    Rewrite(line, std::move(text), at == 0);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), line);
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
        const std::string_view before = TextOf(line);
        std::string text = std::string(before.substr(0, line.valueBegin)).append(value);
        if (text == before)
            return false;
        Rewrite(line, std::move(text), *at == 0);
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
