#include "settings/HelpFile.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string ReadmePath(const AppFolders& folders)
{
    if (folders.portable)
        return folders.settings + "/README.md";
    const fs::path data = fs::path(folders.data).lexically_normal();
    // "…/share/FennexAVConverter/" normalises with an empty last part.
    const fs::path folder = data.has_filename() ? data : data.parent_path();
    if (folder.parent_path().filename() == "share")
        return (folder.parent_path() / "doc" / folder.filename() / "README.md").string();
    return (folder / "README.md").string();
}

std::string HelpTarget(const AppFolders& folders, const std::string& languageUrl,
                       const std::function<bool(const std::string&)>& isFile)
{
    const std::string readme = ReadmePath(folders);
    if (isFile(readme) || languageUrl.empty())
        return readme;
    return languageUrl;
}

std::string HelpTarget(const std::string& languageUrl)
{
    return HelpTarget(CurrentAppFolders(), languageUrl, [](const std::string& path) {
        std::error_code error;
        return fs::is_regular_file(path, error);
    });
}
