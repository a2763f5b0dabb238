#include "files/NameBack.h"

#include "files/SafeMove.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

bool Exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

NameBack GiveNameBack(const std::string& temporary, const std::string& own,
                      const std::function<int(const std::string&, const std::string&)>& move)
{
    if (temporary == own)
        return {NameBack::kAlreadyBack, 0};
    if (!Exists(temporary)) {
        if (Exists(own))
            return {NameBack::kAlreadyBack, 0};
        return {NameBack::kMissing, ENOENT};
    }
    const int error = move ? move(temporary, own) : MoveWithoutReplacing(temporary, own);
    if (error == 0)
        return {NameBack::kRestored, 0};
    if (error == EEXIST)
        return {NameBack::kOwnNameTaken, EEXIST};
    return {NameBack::kMoveFailed, error};
}
