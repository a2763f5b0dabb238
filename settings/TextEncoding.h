#pragma once

#include <cstddef>
#include <string>

// How an INI file's bytes were stored, so that a write can store the edited
// text the same way.
enum class TextEncoding {
    kUtf8,  // no byte-order mark
    kUtf8Bom,
    kUtf16LeBom,
    kUtf16BeBom,
};

struct DecodedText {
    std::string utf8;  // without the byte-order mark
    TextEncoding encoding = TextEncoding::kUtf8;
};

// Recognises a UTF-8 or UTF-16 byte-order mark and gives the text as UTF-8.
// Bytes without a mark are taken as UTF-8 as they are. Broken UTF-16
// (a lone surrogate, an odd last byte) becomes U+FFFD.
DecodedText DecodeText(const std::string& bytes);

// The inverse of DecodeText: the mark of the encoding followed by the text.
// Invalid UTF-8 becomes U+FFFD when the target is UTF-16.
std::string EncodeText(const std::string& utf8, TextEncoding encoding);

// The first maxChars characters (code points) of a UTF-8 text; never cuts
// a multi-byte sequence in two.
std::string Utf8Prefix(const std::string& utf8, std::size_t maxChars);
