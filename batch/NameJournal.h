#pragma once

#include "files/CreatedFile.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// The crash record: the outputs a batch has created but not yet finished,
// kept in a small file so that a killed process leaves no cut-short video
// that looks like a result. An entry is written durably before anything is
// written into its output, and released once the output has its final name
// or is gone; the next start of the program removes every output still
// listed that is still the very file that was created. Inputs are never
// renamed, so nothing is recorded of them; records that earlier versions
// wrote of inputs under temporary names are still read and put right at
// start-up.
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

    // Records an output file just created (its path and identity); returns
    // only when the entry is on disk. False when the file cannot be written.
    bool AddOutput(const CreatedFile& output);
    // The output recorded under path is finished or removed. durable: the
    // release must survive a crash (the file stays under that very name).
    // Releasing the last entry empties the file.
    void ReleaseOutput(const std::string& path, bool durable);

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
    std::map<std::string, int> m_outputs;  // path -> entries not yet released
};

// One input that start-up recovery found under a temporary name (a record
// an earlier version wrote).
struct RestoredName {
    std::string temporaryName;
    std::string ownName;
    // 0: it has its own name back. Otherwise it stays under its temporary
    // name and listed, and this says why: EEXIST when another file holds
    // its own name (never replaced), or the errno of the move that failed.
    // ENOENT: neither name holds it; it is reported once and not listed
    // any more.
    int error = 0;
};

// Gives every input the journal at journalPath still lists (records of
// earlier versions) its own name back, by the one rule of GiveNameBack; an entry whose input is under its
// own name already is dropped without a word. Every output still listed is
// removed when its name still holds the very file that was created; its
// path then goes to removedOutputs. Returns the inputs found; empty when
// there is no journal or another instance is using it.
std::vector<RestoredName> RecoverPendingNames(const std::string& journalPath,
                                              std::vector<std::string>* removedOutputs = nullptr);
