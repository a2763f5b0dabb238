#include "engine/AvioOverFd.h"

#include "files/FileWrite.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace {

// What FFmpeg's own file protocol buffers for writing: large writes keep
// the copy as fast as a plain file copy allows, also on network folders.
constexpr int kBufferSize = 256 * 1024;

}  // namespace

AvioOverFd::~AvioOverFd()
{
    Free();
}

bool AvioOverFd::Open(int fd)
{
    Free();
    fd_ = fd;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    if (buffer)
        io_ = avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, &AvioOverFd::WritePacket,
                                 &AvioOverFd::Seek);
    if (!io_) {
        av_free(buffer);
        return false;
    }
    // The muxer offers to flush after every packet; only a full buffer is
    // written out.
    io_->min_packet_size = kBufferSize;
    return true;
}

// The I/O context takes a write as done in full.
int AvioOverFd::WritePacket(void* opaque, std::uint8_t* buffer, int size)
{
    auto* self = static_cast<AvioOverFd*>(opaque);
    const int error = WriteAll(self->fd_, buffer, static_cast<std::size_t>(size));
    return error == 0 ? size : AVERROR(error);
}

std::int64_t SeekDescriptor(int fd, std::int64_t offset, int whence)
{
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) {
        struct stat info {};
        if (::fstat(fd, &info) != 0)
            return AVERROR(errno);
        return info.st_size;
    }
    const off_t position = ::lseek(fd, static_cast<off_t>(offset), whence);
    if (position < 0)
        return AVERROR(errno);
    return position;
}

std::int64_t AvioOverFd::Seek(void* opaque, std::int64_t offset, int whence)
{
    return SeekDescriptor(static_cast<AvioOverFd*>(opaque)->fd_, offset, whence);
}

int AvioOverFd::Finish()
{
    if (!io_)
        return 0;
    avio_flush(io_);
    const int result = io_->error;
    Free();
    return result;
}

void AvioOverFd::Free()
{
    if (!io_)
        return;
    av_freep(&io_->buffer);
    avio_context_free(&io_);
}
