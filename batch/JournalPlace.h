#pragma once

#include <functional>
#include <string>
#include <vector>

struct RestoredName;

// Where the crash record (the journal of unfinished outputs) lives: beside setting.ini when that
// folder takes new files (a portable copy), otherwise in the user's state
// folder, which is made when missing (every installed copy, whose
// setting.ini lives in the user's config folder).
inline constexpr const char* kJournalFileName = "pending-names.txt";

// The journal for settingsFolder and stateFolder; writable says whether
// files can be created in a folder.
std::string ChooseJournalPath(const std::string& settingsFolder, const std::string& stateFolder,
                              const std::function<bool(const std::string& folder)>& writable);

// The journal this process writes, from the folders of its settings.
std::string JournalPath();

// Every journal that start-up recovery reads: the one beside setting.ini
// and the one in the state folder, whichever exist.
std::vector<std::string> JournalPathsToRecover();

// Runs start-up recovery over every one of those journals: the inputs they
// list get their names back, and the cut-short outputs they list are
// removed (added to removedOutputs). Returns what was found.
std::vector<RestoredName> RecoverAllJournals(std::vector<std::string>* removedOutputs);
