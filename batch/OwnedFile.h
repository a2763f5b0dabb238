#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <sys/types.h>

// A file this run wrote. Its device and inode tell it apart from anything
// that may later appear under the same name, so removing it can never hit a
// file that is not ours. The file stays open while any copy of the record
// lives, so that its inode number cannot be handed to another file.
struct OwnedFile {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    std::shared_ptr<const int> hold;  // a read-only descriptor of the file
};

// The first name for wanted under the NextFreeName rule (wanted, then
// "stem(0).ext", "stem(1).ext", ...) that names no existing file and is not
// in taken; it is added to taken, so that no two outputs of a run share a
// name. Nothing is created: the worker creates the file itself. (Letting it
// truncate a file made in advance, even an empty one, makes ext4 flush the
// whole output when it is closed, which costs about a copy's time.)
std::string ChooseFreeName(const std::string& wanted, std::set<std::string>& taken);

// Takes hold of the file the worker wrote at path, once the worker has moved
// past it: a plain file changed no earlier than `since` (the start of the
// batch, less the coarsest file-system time step). nullopt when there is
// none, or when what is there cannot be ours.
std::optional<OwnedFile> ClaimWrittenFile(const std::string& path, std::time_t since);

// True while file.path still names the file we hold.
bool IsStillOurs(const OwnedFile& file);

// Removes file.path when it is still ours; anything else is left alone.
// Returns whether it removed something.
bool RemoveIfOurs(const OwnedFile& file);

// Moves the file to FinalOutputName(file.path, extension), never replacing
// an existing file; updates file.path. False, with the reason in error, when
// it stays where it is.
bool MoveToFinalName(OwnedFile& file, const std::string& extension, std::string& error);
