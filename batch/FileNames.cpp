#include "batch/FileNames.h"

#include "files/CreatedFile.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads a decimal integer the way atoi does: leading blanks, an optional
// sign, digits up to the first other character; no digits give 0.
std::int64_t LeadingInteger(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < INT64_C(100000000000000))
            value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

// The number's decimal text after the given count of zeros. Built by
// appending: "0" + std::to_string(v) makes GCC 12 at -O3 warn of an
// overlapping copy that cannot happen.
std::string ZeroPadded(std::size_t zeros, int value)
{
    std::string text(zeros, '0');
    text += std::to_string(value);
    return text;
}

// Names the write test tries before it gives up on a folder full of them.
constexpr int kWriteTestNames = 100;

std::string TwoDigits(int value)
{
    return ZeroPadded(value < 10 ? 1 : 0, value);
}

}  // namespace

std::size_t ExtensionDot(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return dot;
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > dot)
        return std::string::npos;
    return dot;
}

bool PathExists(const std::string& path)
{
    if (path.empty())
        return false;
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string NextFreeName(const std::string& path)
{
    return NextFreeName(path, {});
}

std::string NextFreeName(const std::string& path, const std::set<std::string>& taken)
{
    const auto isTaken = [&taken](const std::string& name) {
        return PathExists(name) || taken.count(name) != 0;
    };
    if (!isTaken(path))
        return path;
    // Numbers go before the file name's extension; a name without one gets
    // them at its end, never inside a folder name.
    const std::size_t dot = ExtensionDot(path);
    const std::string head = dot == std::string::npos ? path : path.substr(0, dot);
    const std::string tail = dot == std::string::npos ? std::string() : path.substr(dot);
    for (unsigned long k = 0;; ++k) {
        std::string candidate = head + "(" + std::to_string(k) + ")" + tail;
        if (!isTaken(candidate))
            return candidate;
    }
}

int ParseDuration(const std::string& text)
{
    const std::size_t firstColon = text.find(':');
    const std::size_t lastColon = text.rfind(':');
    const std::size_t firstDot = text.find('.');

    const std::int64_t hours = LeadingInteger(text.substr(0, firstColon));
    const std::int64_t minutes =
        firstColon == std::string::npos ? 0 : LeadingInteger(text.substr(firstColon + 1, 2));
    const std::int64_t seconds =
        lastColon == std::string::npos ? 0 : LeadingInteger(text.substr(lastColon + 1));
    const std::int64_t millis =
        firstDot == std::string::npos ? 0 : LeadingInteger(text.substr(firstDot + 1));

    const std::int64_t total = (hours * 3600 + minutes * 60 + seconds) * 1000 + millis;
    return static_cast<int>(static_cast<std::uint32_t>(total));
}

std::string FormatDuration(int ms)
{
    const int r = ms % 1000;
    std::string millis;
    if (r == 0)
        millis = "000";
    else if (r < 10)
        millis = ZeroPadded(2, r);
    else if (r < 100)
        millis = ZeroPadded(1, r);
    else
        millis = std::to_string(r);

    const int hours = ms / 3600000;
    const int t = (ms / 1000) % 3600;
    return TwoDigits(hours) + ":" + TwoDigits(t / 60) + ":" + TwoDigits(t % 60) + "." + millis;
}

std::string FileExtension(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos ? path : path.substr(dot + 1);
}

std::string FileStem(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string WithoutExtension(const std::string& path)
{
    const std::size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? path : path.substr(0, dot);
}

std::string ExtensionWithoutDot(const std::string& path)
{
    const std::size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

std::string FinalOutputName(const std::string& writtenPath, const std::string& base,
                            const std::string& extension)
{
    if (extension.empty())
        return writtenPath;
    const std::size_t dot = ExtensionDot(writtenPath);
    if (dot != std::string::npos && writtenPath.compare(dot + 1, std::string::npos, extension) == 0)
        return writtenPath;
    const std::string wanted = base + "." + extension;
    if (wanted == writtenPath || !PathExists(wanted))
        return wanted;
    for (unsigned long k = 0;; ++k) {
        std::string candidate = base + "(" + std::to_string(k) + ")." + extension;
        if (candidate == writtenPath || !PathExists(candidate))
            return candidate;
    }
}

std::string FinalOutputName(const std::string& writtenPath, const std::string& extension)
{
    return FinalOutputName(writtenPath, WithoutExtension(writtenPath), extension);
}

bool FolderWriteTest(const std::string& folder)
{
    if (folder.empty())
        return false;
    std::string base = folder;
    if (base.back() != '/')
        base += '/';
    base += "jlewhqlhqwenqfwk";

    // Only a file this test creates is opened, and only that is removed:
    // whatever holds the name already (somebody's file, a FIFO that would
    // block an open for writing, a link to elsewhere) is left alone and
    // another name is tried.
    for (int attempt = 0; attempt < kWriteTestNames; ++attempt) {
        const std::string probe =
            base + (attempt == 0 ? std::string() : "(" + std::to_string(attempt) + ")") + ".mp4";
        CreatedFile created;
        int fd = -1;
        const int error = CreateExclusively(probe, O_WRONLY | O_NONBLOCK | O_NOFOLLOW, created, fd);
        if (error == 0) {
            ::close(fd);
            created.RemoveIfStillOurs();
            return true;
        }
        if (error != EEXIST)
            return false;
    }
    return false;
}
