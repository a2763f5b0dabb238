#include "settings/IniFile.h"

#include "files/DurableFile.h"
#include "settings/IniDocument.h"
#include "settings/IniLineEditor.h"
#include "settings/TextEncoding.h"

#include <climits>
#include <optional>
#include <sys/stat.h>

namespace {

// Texts are read into a buffer of 1000 characters, terminator included.
constexpr std::size_t kMaxTextChars = 999;

bool SomethingAt(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

std::string ReadText(const std::string& iniPath, const std::string& section, const std::string& key,
                     const std::string& def)
{
    return ReadText(*IniDocument::Load(iniPath), section, key, def);
}

int ReadInt(const std::string& iniPath, const std::string& section, const std::string& key, int def)
{
    return ReadInt(*IniDocument::Load(iniPath), section, key, def);
}

std::string ReadText(const IniDocument& document, const std::string& section,
                     const std::string& key, const std::string& def)
{
    const std::optional<std::string> value = document.Value(section, key);
    return Utf8Prefix(value ? *value : def, kMaxTextChars);
}

int ReadInt(const IniDocument& document, const std::string& section, const std::string& key,
            int def)
{
    const std::string text = ReadText(document, section, key, "");
    if (text.empty())
        return def;
    std::size_t pos = 0;
    bool negative = false;
    if (text[pos] == '-' || text[pos] == '+')
        negative = text[pos++] == '-';
    // Digits beyond the range of int give its limit rather than a number
    // that has wrapped around.
    long long value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos++] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

bool WriteText(const std::string& iniPath, const std::string& section, const std::string& key,
               const std::string& text)
{
    return WriteTexts(iniPath, section, {{key, text}});
}

bool WriteTexts(const std::string& iniPath, const std::string& section,
                const std::vector<std::pair<std::string, std::string>>& entries)
{
    DecodedText current;
    if (const auto bytes = ReadIniFileBytes(iniPath)) {
        current = DecodeText(*bytes);
    } else if (SomethingAt(iniPath)) {
        // There but unreadable (or far too large): rewriting it from
        // nothing would lose every other key.
        return false;
    }
    std::string text = std::move(current.utf8);
    for (const auto& [key, value] : entries) {
        std::optional<std::string> edited = SetIniValue(text, section, key, value);
        if (!edited)
            return false;
        text = std::move(*edited);
    }
    return ReplaceFileAtomically(iniPath, EncodeText(text, current.encoding));
}
