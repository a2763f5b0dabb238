#include "settings/IniDocument.h"

#include "settings/TextEncoding.h"

// SimpleIni is header-only when SI_IMPLEMENTATION is defined in exactly one
// translation unit. Texts stay UTF-8 bytes: no conversion library needed.
#define SI_IMPLEMENTATION
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

struct IniDocument::Impl {
    // Case-insensitive names, first of duplicate keys wins, "key=value"
    // without blanks, and surrounding double quotes removed from values
    // so that a value may begin or end with a blank.
    CSimpleIniA ini{false, true, false};
};

IniDocument::IniDocument() : m_impl(std::make_unique<Impl>())
{
    m_impl->ini.SetSpaces(false);
    m_impl->ini.SetQuotes(true);
}

IniDocument::~IniDocument() = default;

std::unique_ptr<IniDocument> IniDocument::Load(const std::string& path)
{
    auto document = std::make_unique<IniDocument>();
    if (const auto bytes = ReadIniFileBytes(path))
        document->Parse(DecodeText(*bytes).utf8);
    return document;
}

void IniDocument::Parse(const std::string& utf8)
{
    m_impl->ini.Reset();
    m_impl->ini.LoadData(utf8.data(), utf8.size());
}

std::optional<std::string> IniDocument::Value(const std::string& section,
                                              const std::string& key) const
{
    const char* value = m_impl->ini.GetValue(section.c_str(), key.c_str(), nullptr);
    if (!value)
        return std::nullopt;
    return std::string(value);
}

std::optional<std::string> ReadIniFileBytes(const std::string& path)
{
    // Without O_NONBLOCK a pipe under the name would hold the open until
    // somebody writes to it; fstat then turns it away.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) > kMaxIniFileBytes) {
        ::close(fd);
        return std::nullopt;
    }
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > kMaxIniFileBytes) {
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return bytes;
}
