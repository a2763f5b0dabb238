#include "tests/support/TempFolder.h"

#include "files/FileWrite.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

std::string MakeTempFolder(const std::string& tag)
{
    std::string pattern = "/tmp/fennex-" + tag + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        return "";
    return buffer.data();
}

void RemoveTree(const std::string& folder)
{
    if (folder.rfind("/tmp/", 0) != 0)
        return;
    std::error_code ignored;
    // A folder the test made read-only would keep what is inside it.
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto it = fs::recursive_directory_iterator(
             folder, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(folder, ignored);
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TempFolder::TempFolder(const std::string& tag) : m_path(MakeTempFolder(tag)) {}

TempFolder::~TempFolder()
{
    RemoveTree(m_path);
}

std::string TempFolder::Touch(const std::string& name, const std::string& content) const
{
    const std::string file = *this / name;
    std::error_code ignored;
    fs::create_directories(fs::path(file).parent_path(), ignored);
    WriteBytes(file, content);
    return file;
}

CreatedFile CreateAsTheProgramDoes(const std::string& path, const std::string& content)
{
    CreatedFile file;
    int fd = -1;
    if (CreateExclusively(path, O_WRONLY, file, fd) != 0)
        return CreatedFile{};
    const bool written = WriteAll(fd, content) == 0;
    ::close(fd);
    return written ? file : CreatedFile{};
}

std::set<std::string> Names(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::size_t CountLines(const std::string& text, const std::string& start)
{
    std::size_t count = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        if (text.compare(at, start.size(), start) == 0)
            ++count;
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return count;
}
