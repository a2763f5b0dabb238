#pragma once

#include <set>
#include <string>

// Path and duration helpers shared by the window and the command line.
// Paths are UTF-8 with '/' as separator.

// True when a file or folder of exactly that name exists.
bool PathExists(const std::string& path);

// The path itself when it is free, otherwise the first free one of
// "stem(0).ext", "stem(1).ext", ... built from the path's last '.'.
std::string NextFreeName(const std::string& path);

// The same rule, also stepping over the names in taken: names a batch has
// handed out already but that do not exist yet.
std::string NextFreeName(const std::string& path, const std::set<std::string>& taken);

// "HH:MM:SS.mmm" (hours may have more digits) to milliseconds.
int ParseDuration(const std::string& text);

// Milliseconds to "HH:MM:SS.mmm".
std::string FormatDuration(int ms);

// Text after the path's last '.', or the whole path when it has none.
std::string FileExtension(const std::string& path);

// Position of the '.' that starts the file name's extension (the file
// name's last '.'), or npos when the file name has none.
std::size_t ExtensionDot(const std::string& path);

// File name of a path (text after its last '/') up to its last '.'; the
// whole file name when it has no '.'.
std::string FileStem(const std::string& path);

// The path up to its file name's last '.'; the whole path when the file
// name has none.
std::string WithoutExtension(const std::string& path);

// The file name's extension after its last '.', letter case kept; empty
// when the file name has no '.'.
std::string ExtensionWithoutDot(const std::string& path);

// Final name of a finished output written under a working .mov name: base,
// then '.', then extension (without dot, letter case kept), made free with
// the NextFreeName rule, where the written file itself counts as free. The
// written path stays as it is when it already ends in that extension, or
// when extension is empty: a name ending in a bare '.' is never wanted.
std::string FinalOutputName(const std::string& writtenPath, const std::string& base,
                            const std::string& extension);
// The same with the written path without its extension as base.
std::string FinalOutputName(const std::string& writtenPath, const std::string& extension);

// Whether a file can be written in the folder, tested with a file the test
// creates there, "jlewhqlhqwenqfwk.mp4" (or "jlewhqlhqwenqfwk(1).mp4" and
// on when that name is taken), and removes again. Nothing already there is
// opened, followed or removed.
bool FolderWriteTest(const std::string& folder);
