#include "engine/OutputFile.h"

#include <cerrno>
#include <fcntl.h>
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

OutputFile::~OutputFile()
{
    FreeIo();
    if (fd_ >= 0)
        ::close(fd_);
}

int OutputFile::Create(const std::string& path)
{
    if (created_)
        return EEXIST;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        // Cannot happen on an open descriptor; without an identity the
        // file could never be removed safely, so leave it empty and say so.
        const int error = errno;
        ::close(fd);
        return error;
    }
    fd_ = fd;
    path_ = path;
    device_ = static_cast<std::uint64_t>(info.st_dev);
    inode_ = static_cast<std::uint64_t>(info.st_ino);
    created_ = true;

    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    if (buffer)
        io_ = avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, &OutputFile::WritePacket,
                                 &OutputFile::Seek);
    if (!io_) {
        av_free(buffer);
        return ENOMEM;
    }
    // The muxer offers to flush after every packet; only a full buffer is
    // written out.
    io_->min_packet_size = kBufferSize;
    return 0;
}

// The I/O context takes a write as done in full, so a short write is
// continued here until every byte is out or the system refuses.
int OutputFile::WritePacket(void* opaque, std::uint8_t* buffer, int size)
{
    auto* self = static_cast<OutputFile*>(opaque);
    int done = 0;
    while (done < size) {
        const ssize_t n = ::write(self->fd_, buffer + done, static_cast<std::size_t>(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return AVERROR(errno);
        }
        if (n == 0)
            return AVERROR(EIO);
        done += static_cast<int>(n);
    }
    return done;
}

std::int64_t OutputFile::Seek(void* opaque, std::int64_t offset, int whence)
{
    auto* self = static_cast<OutputFile*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) {
        struct stat info {};
        if (::fstat(self->fd_, &info) != 0)
            return AVERROR(errno);
        return info.st_size;
    }
    const off_t position = ::lseek(self->fd_, static_cast<off_t>(offset), whence);
    if (position < 0)
        return AVERROR(errno);
    return position;
}

void OutputFile::FreeIo()
{
    if (!io_)
        return;
    av_freep(&io_->buffer);
    avio_context_free(&io_);
}

int OutputFile::Close(const timespec* times)
{
    int result = 0;
    if (io_) {
        avio_flush(io_);
        result = io_->error;
        FreeIo();
    }
    if (fd_ >= 0) {
        if (times && result == 0)
            (void)::futimens(fd_, times);
        // A file system that writes back late (NFS, a full quota) may
        // report the failure only here.
        if (::close(fd_) != 0 && result == 0)
            result = AVERROR(errno);
        fd_ = -1;
    }
    return result;
}

bool OutputFile::RemoveIfOurs()
{
    if (!created_)
        return false;
    struct stat info {};
    if (::lstat(path_.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    if (static_cast<std::uint64_t>(info.st_dev) != device_ ||
        static_cast<std::uint64_t>(info.st_ino) != inode_)
        return false;
    return ::unlink(path_.c_str()) == 0;
}
