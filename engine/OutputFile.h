#pragma once

#include <cstdint>
#include <string>

struct AVIOContext;
struct timespec;

// An output file the worker creates itself, and the muxer's I/O context over
// it. The file is created exclusively: a name that already exists is never
// opened, so nothing that was there before is truncated or written into.
// The identity (device, inode) is taken from the open descriptor, and only
// the file of that identity, still under its name, is ever removed.
class OutputFile
{
public:
    OutputFile() = default;
    ~OutputFile();  // closes what is still open; never removes the file
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates `path` (mode 0666 less the umask). Returns 0, or the errno of
    // the failed open: EEXIST when the name is taken.
    int Create(const std::string& path);

    bool created() const { return created_; }
    const std::string& path() const { return path_; }
    std::uint64_t device() const { return device_; }
    std::uint64_t inode() const { return inode_; }

    // The muxer's I/O context (seekable); null until Create succeeded and
    // after Close. Write errors surface as AVERROR(errno) in its `error`.
    AVIOContext* io() const { return io_; }

    // Writes out what the I/O context holds, gives the file the access and
    // modification times `times` (two entries, as futimens takes them) when
    // not null, and closes it. Returns 0, or a negative AVERROR when a write
    // or the close failed (the file is then incomplete). The times are a
    // courtesy: failing to set them does not fail the close.
    int Close(const timespec* times = nullptr);

    // Removes the file when the name still holds the very file we created.
    // Returns true when it was removed.
    bool RemoveIfOurs();

private:
    static int WritePacket(void* opaque, std::uint8_t* buffer, int size);
    static std::int64_t Seek(void* opaque, std::int64_t offset, int whence);
    void FreeIo();

    std::string path_;
    int fd_ = -1;
    AVIOContext* io_ = nullptr;
    bool created_ = false;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
};
