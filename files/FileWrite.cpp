#include "files/FileWrite.h"

#include <cerrno>
#include <unistd.h>

namespace {

// Writes at the file position, or at *offset with pwrite when given.
int WriteEverything(int fd, const void* data, std::size_t size, const std::uint64_t* offset)
{
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            offset ? ::pwrite(fd, bytes + done, size - done, static_cast<off_t>(*offset + done))
                   : ::write(fd, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

}  // namespace

int WriteAll(int fd, const void* data, std::size_t size)
{
    return WriteEverything(fd, data, size, nullptr);
}

int WriteAll(int fd, const std::string& data)
{
    return WriteEverything(fd, data.data(), data.size(), nullptr);
}

int WriteAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset)
{
    return WriteEverything(fd, data, size, &offset);
}
