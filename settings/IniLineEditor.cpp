#include "settings/IniLineEditor.h"

#include <cstddef>
#include <vector>

namespace {

// The rules of a line mirror SimpleIni's parser, so that the line edited
// here is the line the reader finds.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& s)
{
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && IsBlank(s[begin]))
        ++begin;
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

struct Line {
    std::string content;  // without its line ending
    std::string ending;   // "\n", "\r\n", "\r" or "" for the last line
};

std::vector<Line> SplitLines(const std::string& text)
{
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        Line line{text.substr(pos, end - pos), ""};
        if (end < text.size()) {
            if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
                line.ending = "\r\n";
            else
                line.ending = std::string(1, text[end]);
        }
        pos = end + line.ending.size();
        lines.push_back(std::move(line));
    }
    return lines;
}

enum class Kind {
    kOther,
    kSection,
    kKey
};

struct Parsed {
    Kind kind = Kind::kOther;
    std::string name;        // section or key name, trimmed
    std::size_t indent = 0;  // blanks before the name
};

Parsed ParseLine(const std::string& content)
{
    Parsed parsed;
    std::size_t pos = 0;
    while (pos < content.size() && IsBlank(content[pos]))
        ++pos;
    parsed.indent = pos;
    if (pos == content.size() || content[pos] == ';' || content[pos] == '#')
        return parsed;
    if (content[pos] == '[') {
        const std::size_t close = content.find(']', pos + 1);
        if (close == std::string::npos)
            return parsed;
        parsed.kind = Kind::kSection;
        parsed.name = Trim(content.substr(pos + 1, close - pos - 1));
        return parsed;
    }
    const std::size_t equals = content.find('=', pos);
    if (equals == std::string::npos || equals == pos)
        return parsed;
    parsed.kind = Kind::kKey;
    parsed.name = Trim(content.substr(pos, equals - pos));
    return parsed;
}

// Line breaks would split the entry; a NUL ends the text for the reader.
bool HasLineBreak(const std::string& s)
{
    return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

std::string StoredValue(const std::string& value)
{
    const bool blankAtEdge = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    if (blankAtEdge || quoted)
        return '"' + value + '"';
    return value;
}

}  // namespace

std::optional<std::string> SetIniValue(const std::string& text, const std::string& section,
                                       const std::string& key, const std::string& value)
{
    const std::string sectionName = Trim(section);
    const std::string keyName = Trim(key);
    if (sectionName.empty() || keyName.empty() || HasLineBreak(section) || HasLineBreak(key) ||
        HasLineBreak(value) || sectionName.find(']') != std::string::npos ||
        keyName.find('=') != std::string::npos || keyName.front() == ';' ||
        keyName.front() == '#' || keyName.front() == '[' || text.find('\0') != std::string::npos)
        return std::nullopt;

    std::vector<Line> lines = SplitLines(text);
    const std::string stored = StoredValue(value);

    // New lines take the file's own line ending.
    std::string newline = "\n";
    for (const Line& line : lines) {
        if (!line.ending.empty()) {
            newline = line.ending;
            break;
        }
    }

    bool inSection = false;
    bool seenSection = false;
    std::size_t insertAfter = 0;  // last line of the first block of the section
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Parsed parsed = ParseLine(lines[i].content);
        if (parsed.kind == Kind::kSection) {
            const bool wasFirstBlock = inSection && !seenSection;
            if (wasFirstBlock)
                seenSection = true;
            inSection = SameName(parsed.name, sectionName);
            if (inSection && !seenSection)
                insertAfter = i;
        } else if (parsed.kind == Kind::kKey && inSection) {
            if (SameName(parsed.name, keyName)) {
                lines[i].content =
                    lines[i].content.substr(0, parsed.indent) + parsed.name + '=' + stored;
                std::string out;
                for (const Line& line : lines)
                    out += line.content + line.ending;
                return out;
            }
            if (!seenSection)
                insertAfter = i;
        }
    }
    if (inSection)
        seenSection = true;

    std::string out;
    const std::string entry = keyName + '=' + stored;
    if (seenSection) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            out += lines[i].content;
            if (i == insertAfter) {
                out += lines[i].ending.empty() ? newline : lines[i].ending;
                out += entry;
                out += lines[i].ending.empty() ? "" : newline;
                continue;
            }
            out += lines[i].ending;
        }
        return out;
    }

    out = text;
    if (!lines.empty()) {
        if (lines.back().ending.empty())
            out += newline;
        if (!Trim(lines.back().content).empty())
            out += newline;
    }
    out += '[' + sectionName + ']' + newline + entry + newline;
    return out;
}
