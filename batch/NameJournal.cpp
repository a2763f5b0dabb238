#include "batch/NameJournal.h"

#include "files/CreatedFile.h"
#include "files/DurableFile.h"
#include "files/FileWrite.h"
#include "files/NameBack.h"

#include <cerrno>
#include <fcntl.h>
#include <initializer_list>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

// File format: a sequence of records, each a tag and its fields, every field
// ended by a NUL byte (paths can hold any other byte):
//   "P" own temporary       an input is about to be moved to its temporary name
//   "R" temporary           that input has its own name back
//                           (both only written by earlier versions, which
//                           renamed inputs; still read and put right)
//   "O" path device inode born   an output was created (device, inode and
//                                birth time in ns, 0 when unknown; decimal)
//   "F" path                that output is finished or removed
// Records are only ever appended; a record cut short by a crash is ignored.

namespace {

// A record: its tag and fields, each ended by a NUL byte.
std::string Record(std::initializer_list<std::string> fields)
{
    std::string record;
    for (const std::string& field : fields) {
        record += field;
        record += '\0';
    }
    return record;
}

std::string PendingRecord(const std::string& own, const std::string& temporary)
{
    return Record({"P", own, temporary});
}

std::string OutputRecord(const CreatedFile& output)
{
    return Record({"O", output.path, std::to_string(output.device), std::to_string(output.inode),
                   std::to_string(output.born)});
}

std::string OutputReleaseRecord(const std::string& path)
{
    return Record({"F", path});
}

bool ParseNumber(const std::string& text, std::uint64_t& value)
{
    if (text.empty() || text.size() > 20)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

std::string ReadAll(int fd)
{
    std::string data;
    char buffer[65536];
    ::lseek(fd, 0, SEEK_SET);
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    return data;
}

struct Replayed {
    std::map<std::string, std::string> names;     // temporary -> own
    std::map<std::string, CreatedFile> outputs;  // path -> the file created there
};

// Every "P" record without a later "R" record, every "O" record without a
// later "F" record.
Replayed Replay(const std::string& data)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (data[i] == '\0') {
            fields.push_back(data.substr(start, i - start));
            start = i + 1;
        }
    }
    Replayed pending;
    for (std::size_t i = 0; i < fields.size();) {
        CreatedFile output;
        if (fields[i] == "P" && i + 2 < fields.size()) {
            pending.names[fields[i + 2]] = fields[i + 1];
            i += 3;
        } else if (fields[i] == "R" && i + 1 < fields.size()) {
            pending.names.erase(fields[i + 1]);
            i += 2;
        } else if (fields[i] == "O" && i + 4 < fields.size() &&
                   ParseNumber(fields[i + 2], output.device) &&
                   ParseNumber(fields[i + 3], output.inode) &&
                   ParseNumber(fields[i + 4], output.born)) {
            output.path = fields[i + 1];
            pending.outputs[output.path] = output;
            i += 5;
        } else if (fields[i] == "F" && i + 1 < fields.size()) {
            pending.outputs.erase(fields[i + 1]);
            i += 2;
        } else {
            break;  // a torn last record, or not a journal at all
        }
    }
    return pending;
}

}  // namespace

NameJournal::NameJournal(std::string path) : m_path(std::move(path)) {}

NameJournal::~NameJournal()
{
    // Entries still pending stay in the file for the next start-up.
    if (m_fd >= 0)
        ::close(m_fd);
}

bool NameJournal::Open()
{
    if (m_fd >= 0)
        return true;
    m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (m_fd < 0) {
        m_error = errno;
        return false;
    }
    // Shared with other instances' batches; recovery needs it exclusively.
    // Recovery may have replaced the file while we waited for the lock:
    // records go to the file under the name, never to the one it replaced.
    for (int attempt = 0;; ++attempt) {
        while (::flock(m_fd, LOCK_SH) != 0 && errno == EINTR) {
        }
        struct stat held {}, named {};
        if (attempt >= 10 || ::fstat(m_fd, &held) != 0 || ::stat(m_path.c_str(), &named) != 0 ||
            (held.st_dev == named.st_dev && held.st_ino == named.st_ino))
            break;
        ::close(m_fd);
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (m_fd < 0) {
            m_error = errno;
            return false;
        }
    }
    SyncFolderOf(m_path);  // the file's own name must survive a crash too
    return true;
}

bool NameJournal::Append(const std::string& record, bool durable)
{
    int error = WriteAll(m_fd, record);
    if (error == 0 && durable)
        error = SyncData(m_fd);
    if (error == 0)
        return true;
    m_error = error;
    return false;
}

bool NameJournal::AddOutput(const CreatedFile& output)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!Open())
        return false;
    if (!Append(OutputRecord(output), true)) {
        CloseWhenEmpty();
        return false;
    }
    ++m_outputs[output.path];
    return true;
}

void NameJournal::ReleaseOutput(const std::string& path, bool durable)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_outputs.find(path);
    if (it == m_outputs.end() || m_fd < 0)
        return;
    if (--it->second == 0)
        m_outputs.erase(it);
    // A lost release of a moved or removed output only makes recovery look
    // for a file that is no longer under that name, which it skips; one of
    // a file that stays under its name would have recovery remove it.
    Append(OutputReleaseRecord(path), durable);
    CloseWhenEmpty();
}

std::vector<std::string> NameJournal::PendingOutputs() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> paths;
    for (const auto& entry : m_outputs)
        paths.push_back(entry.first);
    return paths;
}

int NameJournal::Error() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

void NameJournal::CloseWhenEmpty()
{
    if (!m_outputs.empty() || m_fd < 0)
        return;
    // Every record is balanced now. Empty the file when no other instance
    // has entries in it; otherwise our balanced records do no harm.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        (void)::ftruncate(m_fd, 0);
    ::close(m_fd);
    m_fd = -1;
}

std::vector<RestoredName> RecoverPendingNames(const std::string& journalPath,
                                              std::vector<std::string>* removedOutputs)
{
    std::vector<RestoredName> found;
    const int fd = ::open(journalPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return found;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);  // another instance is in the middle of a batch
        return found;
    }

    const std::string data = ReadAll(fd);
    if (data.empty()) {
        // The usual start: the last batch gave every name back and emptied
        // the file, so there is nothing to truncate or sync.
        ::close(fd);
        return found;
    }
    std::string keep;
    const Replayed pending = Replay(data);
    for (const auto& [temporary, own] : pending.names) {
        const NameBack back = GiveNameBack(temporary, own);
        if (back.kind == NameBack::kAlreadyBack)
            continue;  // its release was lost in the crash, or it was never moved
        // Said once; a file under neither name is not looked for again.
        if (!back.Back() && back.kind != NameBack::kMissing)
            keep += PendingRecord(own, temporary);
        found.push_back(RestoredName{temporary, own, back.error});
    }
    // Outputs next: the names of the inputs matter more.
    for (const auto& [path, output] : pending.outputs) {
        if (!output.StillThere())
            continue;  // finished and moved, removed, or somebody else's file now
        if (!output.RemoveIfStillOurs()) {
            keep += OutputRecord(output);
            continue;
        }
        if (removedOutputs)
            removedOutputs->push_back(path);
    }

    // What is kept replaces the file whole: a crash at any moment leaves
    // either every record or the ones kept, never an empty or half file.
    // Nothing kept: the emptied file loses nothing.
    if (keep.empty()) {
        if (::ftruncate(fd, 0) == 0)
            (void)SyncData(fd);
    } else if (keep != data) {
        (void)ReplaceFileAtomically(journalPath, keep);
    }
    ::close(fd);
    return found;
}
