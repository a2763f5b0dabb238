#include "batch/FolderScan.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Containers a phone, camera or converter writes video into. Anything
// else (pictures, sound, text, sidecar files) is not looked into.
constexpr const char* kVideoExtensions[] = {
    "3g2", "3gp", "asf", "avi", "dv",   "f4v",  "flv", "m2t",  "m2ts",
    "m4v", "mkv", "mov", "mp4", "mpe",  "mpeg", "mpg", "mts",  "mxf",
    "nut", "ogv", "qt",  "rm",  "rmvb", "ts",   "vob", "webm", "wmv",
};

using FolderId = std::pair<dev_t, ino_t>;

struct Folder {
    std::string path;
    FolderId id;
};

struct Entry {
    std::string name;
    struct stat info;
};

std::string Join(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
}

// Reads the entries of an open folder (closing it), each described as it
// is, links not followed. False when the folder cannot be read.
bool ReadEntries(int fd, std::vector<Entry>& entries)
{
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return false;
    }
    while (const dirent* item = ::readdir(dir)) {
        const std::string name = item->d_name;
        if (name.empty() || name[0] == '.')  // ".", ".." and hidden names
            continue;
        Entry entry{name, {}};
        if (::fstatat(::dirfd(dir), item->d_name, &entry.info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;  // gone since it was listed
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return true;
}

}  // namespace

FolderScan::FolderScan(Check check) : m_check(std::move(check)) {}

bool FolderScan::HasVideoExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size())
        return false;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return std::any_of(std::begin(kVideoExtensions), std::end(kVideoExtensions),
                       [&](const char* known) { return extension == known; });
}

FolderScanResult FolderScan::Scan(const std::string& root, const std::atomic<bool>* cancel,
                                  const Progress& progress) const
{
    FolderScanResult result;
    FolderScanProgress state;
    const auto cancelled = [&] { return cancel != nullptr && cancel->load(); };
    const auto report = [&] {
        if (progress)
            progress(state);
    };

    // The root is what the user chose: a link to a folder is taken there.
    struct stat rootInfo {};
    if (::stat(root.c_str(), &rootInfo) != 0) {
        result.rootError = errno;
        return result;
    }
    if (!S_ISDIR(rootInfo.st_mode)) {
        result.rootError = ENOTDIR;
        return result;
    }

    std::set<FolderId> visited;
    std::vector<Folder> pending{{root, {rootInfo.st_dev, rootInfo.st_ino}}};
    bool isRoot = true;
    while (!pending.empty() && !cancelled()) {
        const Folder folder = std::move(pending.back());
        pending.pop_back();
        if (!visited.insert(folder.id).second)
            continue;

        // Below the root a link is never followed, even one swapped in for
        // a folder since it was listed: the folder opened must be the one seen.
        const int flags =
            O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | (isRoot ? 0 : O_NOFOLLOW);
        const int fd = ::open(folder.path.c_str(), flags);
        struct stat opened {};
        if (fd >= 0 && (::fstat(fd, &opened) != 0 || opened.st_dev != folder.id.first ||
                        opened.st_ino != folder.id.second)) {
            ::close(fd);
            continue;
        }
        std::vector<Entry> entries;
        if (fd < 0 || !ReadEntries(fd, entries)) {
            if (isRoot)
                result.rootError = fd < 0 ? errno : EIO;
            isRoot = false;
            continue;
        }
        isRoot = false;
        ++result.folders;
        state.folders = result.folders;

        std::vector<Folder> subfolders;
        for (const Entry& entry : entries) {
            if (cancelled())
                break;
            const std::string path = Join(folder.path, entry.name);
            if (S_ISDIR(entry.info.st_mode)) {
                subfolders.push_back({path, {entry.info.st_dev, entry.info.st_ino}});
                continue;
            }
            // Links, pipes, sockets, devices and files of other kinds are
            // counted, never opened.
            if (!S_ISREG(entry.info.st_mode) || !HasVideoExtension(entry.name)) {
                ++result.skipped;
                state.skipped = result.skipped;
                continue;
            }
            state.current = path;
            report();
            ScannedFile file{path, m_check(path)};
            ++state.checked;
            if (file.verdict.accepted()) {
                result.videos.push_back(std::move(file));
                state.videos = result.videos.size();
            } else {
                result.refused.push_back(std::move(file));
                state.refused = result.refused.size();
            }
        }
        // Taken from the back: the first sub-folder is read next.
        pending.insert(pending.end(), std::make_move_iterator(subfolders.rbegin()),
                       std::make_move_iterator(subfolders.rend()));
    }
    result.cancelled = cancelled();
    state.current.clear();
    report();
    return result;
}
