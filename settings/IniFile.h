#pragma once

#include <string>
#include <utility>
#include <vector>

class IniDocument;

// Private-profile style access to one INI file. Section and key names match
// without regard to letter case; values keep theirs. Every call opens the
// file again; nothing is cached. Paths and texts are UTF-8.

// The value of [section] key, cut to 999 characters; def when the file or
// the key is missing.
std::string ReadText(const std::string& iniPath, const std::string& section, const std::string& key,
                     const std::string& def);

// The decimal number at the start of the value; def when the key is missing.
int ReadInt(const std::string& iniPath, const std::string& section, const std::string& key,
            int def);

// The same two reads from a document already loaded, for callers that read
// several keys of one file with a single open.
std::string ReadText(const IniDocument& document, const std::string& section,
                     const std::string& key, const std::string& def);
int ReadInt(const IniDocument& document, const std::string& section, const std::string& key,
            int def);

// Sets [section] key = text, creating the file, section and key as needed
// and keeping every other line. Returns false when the file could not be
// written; the old file is then left as it was.
bool WriteText(const std::string& iniPath, const std::string& section, const std::string& key,
               const std::string& text);

// Sets several keys of one section with a single replacement of the file,
// in the given order: the result is that of one WriteText per entry, but
// either every entry is written or none is.
bool WriteTexts(const std::string& iniPath, const std::string& section,
                const std::vector<std::pair<std::string, std::string>>& entries);
