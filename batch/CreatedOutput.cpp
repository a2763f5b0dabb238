#include "batch/CreatedOutput.h"

#include "batch/FileNames.h"
#include "files/SafeMove.h"

#include <cerrno>

int MoveToFinalName(CreatedFile& file, const std::string& base, const std::string& extension)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (!file.StillThere())
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
