#include "settings/ExeFolder.h"

#include <filesystem>
#include <system_error>

namespace {

std::string& OverriddenFolder()
{
    static std::string folder;
    return folder;
}

}  // namespace

std::string ExeFolder()
{
    if (!OverriddenFolder().empty())
        return OverriddenFolder();
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return ".";
    return exe.parent_path().string();
}

void OverrideExeFolder(const std::string& folder)
{
    OverriddenFolder() = folder;
}

bool ExeFolderOverridden()
{
    return !OverriddenFolder().empty();
}
