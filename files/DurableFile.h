#pragma once

#include <string>

// Small files that must survive a crash whole: setting.ini and the journal
// of a running batch. Every sync the program makes is made here.

// Replaces the content of the file at path with bytes, or creates it. The
// bytes go to a temporary file beside the target, which is synced and then
// renamed over it, and the folder is synced, so a reader sees either the old
// or the new content and never half of it. Returns false, leaving the old
// file as it was and no temporary file behind, when the folder cannot be
// written, the target is not a regular file, or the target carries no write
// permission at all (a read-only file stays read-only even for a user who
// could replace it). A symbolic link is followed: the file it names is
// replaced.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes);

// For tests: called by ReplaceFileAtomically between the synced temporary
// file and its rename (a crash there is what the tests stage). Null: none.
void SetBeforeReplaceRename(void (*hook)(const std::string& tempPath));

// Creates a file at path holding bytes, complete or not at all, and never
// replaces a file that is there: the bytes go to a synced temporary file
// beside it, which is then moved to path without replacing. Returns false,
// leaving no temporary file behind, when path is taken or the folder cannot
// be written.
bool CreateFileWithoutReplacing(const std::string& path, const std::string& bytes);

// Makes the data written to fd durable. Returns 0 or the errno value.
int SyncData(int fd);

// Makes the entries of the folder holding path durable (a file just
// created, renamed or removed there). Failing is not reported: it does not
// undo what was done.
void SyncFolderOf(const std::string& path);
