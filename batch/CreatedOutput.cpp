#include "CreatedOutput.h"

#include "FileNames.h"
#include "SafeMove.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

bool IsStillCreatedFile(const CreatedFile& file)
{
    struct stat info {};
    return !file.path.empty() && ::lstat(file.path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           static_cast<std::uint64_t>(info.st_dev) == file.device &&
           static_cast<std::uint64_t>(info.st_ino) == file.inode;
}

bool RemoveCreatedFile(const CreatedFile& file)
{
    return IsStillCreatedFile(file) && ::unlink(file.path.c_str()) == 0;
}

int MoveToFinalName(CreatedFile& file, const std::string& base, const std::string& extension)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (!IsStillCreatedFile(file))
            return ENOENT;
        const std::string target = FinalOutputName(file.path, base, extension);
        if (target == file.path)
            return 0;
        // A file that appeared under target after the free-name check is
        // never replaced: the next free name is tried instead.
        const int error = MoveWithoutReplacing(file.path, target);
        if (error == 0) {
            file.path = target;
            return 0;
        }
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}
