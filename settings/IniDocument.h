#pragma once

#include <memory>
#include <optional>
#include <string>

// One INI file as read from disk at one moment. Used for a single read, or
// to read many keys of one file (a language file) with one open; callers
// never keep it between reads, so changes to the file are always seen.
class IniDocument
{
public:
    IniDocument();
    ~IniDocument();
    IniDocument(const IniDocument&) = delete;
    IniDocument& operator=(const IniDocument&) = delete;

    // Reads the file; a missing or unreadable file, a folder, or a file too
    // large to be a settings file gives an empty document.
    static std::unique_ptr<IniDocument> Load(const std::string& path);

    // Parses text that is already UTF-8 (byte-order mark allowed).
    void Parse(const std::string& utf8);

    // The value of the first [section] key, names matched without regard
    // to ASCII letter case; a value written in double quotes loses them.
    std::optional<std::string> Value(const std::string& section, const std::string& key) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The whole file as bytes, or nothing when it is missing, not a regular
// file, unreadable, or larger than kMaxIniFileBytes.
std::optional<std::string> ReadIniFileBytes(const std::string& path);

inline constexpr std::size_t kMaxIniFileBytes = 16 * 1024 * 1024;
