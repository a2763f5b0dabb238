#pragma once

#include <string>

// Replaces the content of the file at path with bytes, or creates it. The
// bytes go to a temporary file beside the target, which is then renamed over
// it, so a reader sees either the old or the new content and never half of
// it. Returns false, leaving the old file as it was and no temporary file
// behind, when the folder cannot be written, the target is not a regular
// file, or the target carries no write permission at all (a read-only file
// stays read-only even for a user who could replace it).
// A symbolic link is followed: the file it names is replaced.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes);

// Creates a file at path holding bytes, complete or not at all, and never
// replaces a file that is there: the bytes go to a temporary file beside it,
// which is then linked (or renamed without replacing) to path. Returns
// false, leaving no temporary file behind, when path is taken or the folder
// cannot be written.
bool CreateFileWithoutReplacing(const std::string& path, const std::string& bytes);
