#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// The inputs of a batch that are under a temporary name, and the outputs
// the worker has created but not yet finished, kept in a small file so that
// a killed process neither leaves a user's file under a name the user never
// chose nor a cut-short video that looks like a result. An entry is written
// durably before its input is moved (or, for an output, before anything is
// written into it), and released once the input has its own name again
// (once the output has its final name or is gone); the next start of the
// program moves every input still listed back and removes every output
// still listed that is still the very file that was created.
//
// Several instances of the program may share the file: each holds a shared
// lock on it while it has entries, and recovery only runs when it can take
// the file for itself, so it never touches a batch that is still running in
// another instance. The methods may be called from several threads.
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

    // Records an output file just created (its path and identity); returns
    // only when the entry is on disk. False when the file cannot be written.
    bool AddOutput(const std::string& path, std::uint64_t device, std::uint64_t inode,
                   std::uint64_t born);
    // The output recorded under path is finished or removed. durable: the
    // release must survive a crash (the file stays under that very name).
    void ReleaseOutput(const std::string& path, bool durable);

    // temporary name -> own name, for every entry not yet released.
    std::map<std::string, std::string> Pending() const;
    // Paths of the outputs recorded and not yet released.
    std::vector<std::string> PendingOutputs() const;
    const std::string& Path() const { return m_path; }
    // errno of the last write that failed.
    int Error() const;

private:
    bool Open();
    bool Append(const std::string& record, bool durable);
    void CloseWhenEmpty();

    mutable std::mutex m_mutex;
    std::string m_path;
    int m_fd = -1;
    int m_error = 0;
    std::map<std::string, std::string> m_pending;
    std::map<std::string, int> m_outputs;  // path -> entries not yet released
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
// Every output still listed is removed when its name still holds the very
// file that was created; its path then goes to removedOutputs. Returns the
// inputs found; empty when there is no journal or another instance is
// using it.
std::vector<RestoredName> RecoverPendingNames(const std::string& journalPath,
                                              std::vector<std::string>* removedOutputs = nullptr);
