#include "settings/TextEncoding.h"

#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Reads one code point at pos and advances pos; an invalid or truncated
// sequence yields U+FFFD and skips one byte.
char32_t NextCodePoint(const std::string& s, std::size_t& pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos);
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + length > s.size()) {
        ++pos;
        return kReplacement;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += length;
    return cp;
}

std::string Utf16ToUtf8(const std::string& bytes, std::size_t start, bool bigEndian)
{
    const auto unit = [&](std::size_t i) -> char16_t {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
    };
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = start;
    while (i + 1 < bytes.size()) {
        const char16_t u = unit(i);
        i += 2;
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 < bytes.size()) {
                const char16_t low = unit(i);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    i += 2;
                    AppendUtf8(out,
                               0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(low) - 0xDC00));
                    continue;
                }
            }
            AppendUtf8(out, kReplacement);
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, u);
        }
    }
    if (i < bytes.size())
        AppendUtf8(out, kReplacement);
    return out;
}

void AppendUtf16Unit(std::string& out, char16_t u, bool bigEndian)
{
    const auto high = static_cast<char>(u >> 8);
    const auto low = static_cast<char>(u & 0xFF);
    if (bigEndian) {
        out += high;
        out += low;
    } else {
        out += low;
        out += high;
    }
}

std::string Utf8ToUtf16(const std::string& utf8, bool bigEndian)
{
    std::string out;
    out.reserve(utf8.size() * 2 + 2);
    AppendUtf16Unit(out, 0xFEFF, bigEndian);
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = NextCodePoint(utf8, pos);
        if (cp >= 0x10000) {
            AppendUtf16Unit(out, static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)), bigEndian);
            AppendUtf16Unit(out, static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)),
                            bigEndian);
        } else {
            AppendUtf16Unit(out, static_cast<char16_t>(cp), bigEndian);
        }
    }
    return out;
}

bool StartsWith(const std::string& bytes, const char* mark, std::size_t length)
{
    return bytes.size() >= length && bytes.compare(0, length, mark, length) == 0;
}

}  // namespace

DecodedText DecodeText(const std::string& bytes)
{
    if (StartsWith(bytes, "\xEF\xBB\xBF", 3))
        return {bytes.substr(3), TextEncoding::kUtf8Bom};
    if (StartsWith(bytes, "\xFF\xFE", 2))
        return {Utf16ToUtf8(bytes, 2, false), TextEncoding::kUtf16LeBom};
    if (StartsWith(bytes, "\xFE\xFF", 2))
        return {Utf16ToUtf8(bytes, 2, true), TextEncoding::kUtf16BeBom};
    return {bytes, TextEncoding::kUtf8};
}

std::string EncodeText(const std::string& utf8, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::kUtf8:
        return utf8;
    case TextEncoding::kUtf8Bom:
        return "\xEF\xBB\xBF" + utf8;
    case TextEncoding::kUtf16LeBom:
        return Utf8ToUtf16(utf8, false);
    case TextEncoding::kUtf16BeBom:
        return Utf8ToUtf16(utf8, true);
    }
    return utf8;
}

std::string Utf8Prefix(const std::string& utf8, std::size_t maxChars)
{
    std::size_t pos = 0;
    for (std::size_t n = 0; n < maxChars && pos < utf8.size(); ++n)
        NextCodePoint(utf8, pos);
    return utf8.substr(0, pos);
}
