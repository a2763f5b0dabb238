#pragma once

#include <optional>
#include <string>

// Sets [section] key = value in the text of an INI file and touches no other
// line: comments, blank lines, unknown lines, other keys and their order
// stay byte for byte. The line that changes is the one IniDocument reads
// (the first matching key of any block of that section); a missing key is
// added after the last key of the section's first block, a missing section
// at the end of the text.
//
// A value that begins or ends with a blank, or is itself enclosed in double
// quotes, is written in double quotes so that it reads back unchanged.
// Nothing is returned for what no INI line can hold: a line break or a NUL
// in a name or the value, an empty name, ']' in a section name, '=' in a key name.
// Nothing is returned either for a text holding a NUL (say a UTF-16 file
// without its byte-order mark): the reader stops there, so a value added
// after it could never be read back.
std::optional<std::string> SetIniValue(const std::string& text, const std::string& section,
                                       const std::string& key, const std::string& value);
