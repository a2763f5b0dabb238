#pragma once

#include <cstdint>
#include <string>

// A file this program created, known by what the system says of it right
// after creation: its device, inode and birth time, read from the very
// descriptor it was created with. Whatever else appears under its name
// later (after a move, a removal, another program's new file that reuses a
// freed inode number) is never taken for it, and so never moved or removed
// in its place.
struct CreatedFile {
    std::string path;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t born = 0;  // birth time in ns; 0 where the file system keeps none

    // True while path names that very file.
    bool StillThere() const;
    // Removes path when it still names that very file; anything else is
    // left alone. Returns whether it removed it.
    bool RemoveIfStillOurs() const;
};

// Creates a new file at path and opens it (accessFlags: O_WRONLY or O_RDWR),
// with mode 0666 less the umask. A name that exists is never opened, so
// nothing that was there is truncated or written into. Returns 0 with fd
// and file filled in, or the errno value of the failure (EEXIST when the
// name is taken); fd is then -1.
int CreateExclusively(const std::string& path, int accessFlags, CreatedFile& file, int& fd);
