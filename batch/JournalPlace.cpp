#include "JournalPlace.h"

#include "AppFolders.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace {

// Makes the folder and the folders above it, for the user alone.
void MakeFolders(const std::string& folder)
{
    std::error_code error;
    if (std::filesystem::is_directory(folder, error))
        return;
    const std::filesystem::path parent = std::filesystem::path(folder).parent_path();
    if (!parent.empty() && parent != folder)
        MakeFolders(parent.string());
    ::mkdir(folder.c_str(), 0700);
}

}  // namespace

std::string ChooseJournalPath(const std::string& settingsFolder, const std::string& stateFolder,
                              const std::function<bool(const std::string& folder)>& writable)
{
    if (!settingsFolder.empty() && writable(settingsFolder))
        return settingsFolder + "/" + kJournalFileName;
    MakeFolders(stateFolder);
    return stateFolder + "/" + kJournalFileName;
}

std::string JournalPath()
{
    // The one place that says which folders the journal may use. An
    // installed copy keeps it with the user's other state, never among the
    // settings.
    const AppFolders folders = CurrentAppFolders();
    return ChooseJournalPath(folders.portable ? folders.settings : std::string(), folders.state,
                             IsWritableFolder);
}

std::vector<std::string> JournalPathsToRecover()
{
    const AppFolders folders = CurrentAppFolders();
    std::vector<std::string> paths{folders.settings + "/" + kJournalFileName};
    const std::string inState = folders.state + "/" + kJournalFileName;
    if (inState != paths.front())
        paths.push_back(inState);
    return paths;
}
