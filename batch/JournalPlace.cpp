#include "batch/JournalPlace.h"

#include "batch/NameJournal.h"
#include "settings/AppFolders.h"
#include "settings/UserSettings.h"

std::string ChooseJournalPath(const std::string& settingsFolder, const std::string& stateFolder,
                              const std::function<bool(const std::string& folder)>& writable)
{
    if (!settingsFolder.empty() && writable(settingsFolder))
        return settingsFolder + "/" + kJournalFileName;
    MakeUserFolders(stateFolder);
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

std::vector<RestoredName> RecoverAllJournals(std::vector<std::string>* removedOutputs)
{
    std::vector<RestoredName> found;
    for (const std::string& path : JournalPathsToRecover()) {
        std::vector<RestoredName> names = RecoverPendingNames(path, removedOutputs);
        found.insert(found.end(), names.begin(), names.end());
    }
    return found;
}
