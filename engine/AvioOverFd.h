#pragma once

#include <cstdint>

struct AVIOContext;

// libavformat's I/O context over an output file the caller opened (and
// closes): a muxer writes through it in large blocks and may seek back to
// fill in sizes. Write errors surface as AVERROR(errno) in the context's
// `error` and from Finish.
// An I/O context's seek over a descriptor: AVSEEK_SIZE answers the file's
// size, anything else moves the file position. Returns the new position,
// the size, or a negative AVERROR value.
std::int64_t SeekDescriptor(int fd, std::int64_t offset, int whence);

class AvioOverFd
{
public:
    AvioOverFd() = default;
    ~AvioOverFd();  // frees the context without writing what it still holds
    AvioOverFd(const AvioOverFd&) = delete;
    AvioOverFd& operator=(const AvioOverFd&) = delete;

    // Returns false when memory runs out.
    bool Open(int fd);
    AVIOContext* io() const { return io_; }

    // Writes out what the context holds and frees it. Returns 0, or the
    // negative AVERROR of the first write that failed.
    int Finish();

private:
    static int WritePacket(void* opaque, std::uint8_t* buffer, int size);
    static std::int64_t Seek(void* opaque, std::int64_t offset, int whence);
    void Free();

    int fd_ = -1;
    AVIOContext* io_ = nullptr;
};
