#include "NameJournal.h"

#include "FileNames.h"
#include "SafeMove.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

// File format: a sequence of records, each a tag and its fields, every field
// ended by a NUL byte (paths can hold any other byte):
//   "P" own temporary   an input is about to be moved to its temporary name
//   "R" temporary       that input has its own name back
// Records are only ever appended; a record cut short by a crash is ignored.

namespace {

std::string PendingRecord(const std::string& own, const std::string& temporary)
{
    std::string record = "P";
    record += '\0';
    record += own;
    record += '\0';
    record += temporary;
    record += '\0';
    return record;
}

std::string ReleaseRecord(const std::string& temporary)
{
    std::string record = "R";
    record += '\0';
    record += temporary;
    record += '\0';
    return record;
}

bool WriteAll(int fd, const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
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

// temporary -> own for every "P" record without a later "R" record.
std::map<std::string, std::string> Replay(const std::string& data)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (data[i] == '\0') {
            fields.push_back(data.substr(start, i - start));
            start = i + 1;
        }
    }
    std::map<std::string, std::string> pending;
    for (std::size_t i = 0; i < fields.size();) {
        if (fields[i] == "P" && i + 2 < fields.size()) {
            pending[fields[i + 2]] = fields[i + 1];
            i += 3;
        } else if (fields[i] == "R" && i + 1 < fields.size()) {
            pending.erase(fields[i + 1]);
            i += 2;
        } else {
            break;  // a torn last record, or not a journal at all
        }
    }
    return pending;
}

void SyncFolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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
    if (m_fd < 0)
        return false;
    // Shared with other instances' batches; recovery needs it exclusively.
    while (::flock(m_fd, LOCK_SH) != 0 && errno == EINTR) {
    }
    SyncFolderOf(m_path);  // the file's own name must survive a crash too
    return true;
}

bool NameJournal::Append(const std::string& record, bool durable)
{
    return WriteAll(m_fd, record) && (!durable || ::fdatasync(m_fd) == 0);
}

bool NameJournal::Add(const std::string& ownName, const std::string& temporaryName)
{
    if (!Open())
        return false;
    if (!Append(PendingRecord(ownName, temporaryName), true))
        return false;
    m_pending[temporaryName] = ownName;
    return true;
}

void NameJournal::Release(const std::string& temporaryName)
{
    if (m_pending.erase(temporaryName) == 0 || m_fd < 0)
        return;
    // Not synced: a release lost in a crash only makes recovery look for a
    // temporary name that is gone, which it skips. The sync per move is
    // what makes a long batch slow to start and finish.
    Append(ReleaseRecord(temporaryName), false);
    CloseWhenEmpty();
}

void NameJournal::CloseWhenEmpty()
{
    if (!m_pending.empty())
        return;
    // Every record is balanced now. Empty the file when no other instance
    // has entries in it; otherwise our balanced records do no harm.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        (void)::ftruncate(m_fd, 0);
    ::close(m_fd);
    m_fd = -1;
}

std::vector<RestoredName> RecoverPendingNames(const std::string& journalPath)
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
    for (const auto& [temporary, own] : Replay(data)) {
        if (temporary == own || !PathExists(temporary))
            continue;
        RestoredName entry{temporary, own, own, 0};
        entry.error = MoveWithoutReplacing(temporary, own);
        if (entry.error == EEXIST) {
            entry.restoredTo = NextFreeName(own);
            entry.error = MoveWithoutReplacing(temporary, entry.restoredTo);
        }
        if (entry.error != 0) {
            entry.restoredTo.clear();
            keep += PendingRecord(own, temporary);
        }
        found.push_back(std::move(entry));
    }

    if (::ftruncate(fd, 0) == 0 && !keep.empty()) {
        ::lseek(fd, 0, SEEK_SET);
        WriteAll(fd, keep);
    }
    ::fdatasync(fd);
    ::close(fd);
    return found;
}
