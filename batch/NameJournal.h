#pragma once

#include <map>
#include <string>
#include <vector>

// The inputs of a batch that are under a temporary name, kept in a small
// file so that a killed process does not leave a user's file under a name
// the user never chose. An entry is written durably before its input is
// moved, and released once the input has its own name again; the next
// start of the program moves every input still listed back.
//
// Several instances of the program may share the file: each holds a shared
// lock on it while it has entries, and recovery only runs when it can take
// the file for itself, so it never moves an input away from a batch that is
// still running in another instance.
class NameJournal
{
public:
    explicit NameJournal(std::string path);
    ~NameJournal();
    NameJournal(const NameJournal&) = delete;
    NameJournal& operator=(const NameJournal&) = delete;

    // Records that ownName is about to be moved to temporaryName; returns
    // only when the entry is on disk. False when the file cannot be written.
    bool Add(const std::string& ownName, const std::string& temporaryName);

    // The input listed under temporaryName has its own name back (or was
    // never moved). Releasing the last entry empties the file.
    void Release(const std::string& temporaryName);

    // temporary name -> own name, for every entry not yet released.
    const std::map<std::string, std::string>& Pending() const { return m_pending; }
    const std::string& Path() const { return m_path; }

private:
    bool Open();
    bool Append(const std::string& record, bool durable);
    void CloseWhenEmpty();

    std::string m_path;
    int m_fd = -1;
    std::map<std::string, std::string> m_pending;
};

// One input that start-up recovery found under a temporary name.
struct RestoredName {
    std::string temporaryName;
    std::string ownName;
    std::string restoredTo;  // ownName, or a free name beside it when ownName was taken
    int error = 0;           // errno of a move that failed; the entry then stays listed
};

// Moves every input the journal at journalPath still lists back to its own
// name, or to the next free name beside it when that name was taken in the
// meantime. Entries whose temporary name no longer exists are dropped.
// Returns what was found; empty when there is no journal or another
// instance is using it.
std::vector<RestoredName> RecoverPendingNames(const std::string& journalPath);
