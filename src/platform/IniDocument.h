#pragma once
// The text of an INI file as a list of lines: lookups by section and key, and edits that change
// only the lines they must, so that comments, unknown lines and line ends stay byte for byte.
//
// Reading rules:
// - Only '\n' ends a line; a '\r' before it belongs to the line end. A line's kind comes from its
//   first character that is not a blank or tab: '[' opens a section, ';' or '#' starts a comment,
//   and a line with a '=' is a key. Anything else is kept but means nothing.
// - A section name runs from '[' to the first ']'; a '[' without a ']' opens a section that no
//   name reaches, so its keys are never taken for keys of the section above it.
// - Keys before the first section belong to no section.
// - Names and values are trimmed of blanks and tabs; section and key names compare
//   case-insensitively (ASCII letters only).
// - Where a section or a key appears twice, the first one counts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IniDocument {
public:
    static IniDocument Parse(std::string_view text);
    std::string Text() const;

    // The trimmed value of the first matching key of the first matching section.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;

    // Each edit returns whether the text changed. An existing key keeps its spelling, the blanks
    // around its '=' and its line end; a new key goes after the last key of its section, a new
    // section at the end of the file, after a blank line. New lines end like the file's first
    // line (with "\n" in a file that has none yet). Names must pass IsValidSectionName and
    // IsValidKeyName and the value IsValidValue; the caller checks.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    bool RemoveKey(std::string_view section, std::string_view key);
    bool RemoveSection(std::string_view section);

    // Names and values that read back as written and cannot change the file's structure.
    static bool IsValidSectionName(std::string_view name);
    static bool IsValidKeyName(std::string_view name);
    static bool IsValidValue(std::string_view value);

private:
    enum class Kind : std::uint8_t { Blank, Comment, Section, UnnamedSection, Key, Other };
    enum class Eol : std::uint8_t { None, Lf, CrLf };
    // A line points into the text as read, so that reading a large file costs no allocation per
    // line; a line made or changed since holds its text in edits_. Name and value are offsets
    // into the line's text.
    struct Line {
        std::size_t begin = 0, size = 0; // in source_, or the index in edits_ when edited
        bool edited = false;
        Eol eol = Eol::None; // None only for a last line without a line end
        Kind kind = Kind::Other;
        std::size_t nameBegin = 0, nameEnd = 0;
        std::size_t valueBegin = 0, valueEnd = 0;

        bool OpensSection() const { return kind == Kind::Section || kind == Kind::UnnamedSection; }
    };

    std::string_view TextOf(const Line& line) const;
    std::string_view NameOf(const Line& line) const;
    std::string_view ValueOf(const Line& line) const;
    static std::string_view EolText(Eol eol);
    static void Classify(Line& line, std::string_view text, bool first);
    // Gives `line` the text `text`, kept in edits_.
    void Rewrite(Line& line, std::string text, bool first);

    std::optional<std::size_t> FindSection(std::string_view section) const;
    // The line after the last line of the section whose header is at `header`.
    std::size_t SectionEnd(std::size_t header) const;
    std::optional<std::size_t> FindKey(std::size_t header, std::string_view key) const;
    void InsertLine(std::size_t at, std::string text);

    std::string source_;
    std::vector<std::string> edits_;
    std::vector<Line> lines_;
    Eol eol_ = Eol::Lf;
};

// An integer as the INI file holds it: blanks and tabs around it, an optional sign, then decimal
// digits, or hexadecimal digits after "0x" or "$". Anything else, and any number outside the
// 32-bit signed range, is no integer.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);
