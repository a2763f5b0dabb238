#pragma once

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

// A file this run created. Its device and inode tell it apart from anything
// that may later appear under the same name, so removing it can never hit a
// file that is not ours. The file stays open while any copy of the record
// lives, so that its inode number cannot be handed to another file.
struct OwnedFile {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    std::shared_ptr<const int> hold;  // the open descriptor
};

// Creates an empty file under the first free name for wanted (the
// NextFreeName rule), exclusively, so that no other file and no other run can
// take the name between the choice and the write. nullopt, with the reason in
// error, when the file cannot be created.
std::optional<OwnedFile> ReserveFreeName(const std::string& wanted, std::string& error);

// True while file.path still names the file we created.
bool IsStillOurs(const OwnedFile& file);

// Removes file.path when it is still ours; anything else is left alone.
// Returns whether it removed something.
bool RemoveIfOurs(const OwnedFile& file);

// Moves the file to FinalOutputName(file.path, extension), never replacing
// an existing file; updates file.path. False, with the reason in error, when
// it stays where it is.
bool MoveToFinalName(OwnedFile& file, const std::string& extension, std::string& error);
