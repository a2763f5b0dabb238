#include "engine/BoundedInput.h"

#include "engine/AvioOverFd.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace {

// Large reads keep a remux of a big file as fast as libavformat's own file
// protocol.
constexpr int kBufferSize = 256 * 1024;

// What the probe may read and how far into the media it may look: the
// values libavformat uses when nobody asks, written down so that they stay
// bounds whatever its defaults become.
constexpr std::int64_t kProbeBytes = 5'000'000;
constexpr std::int64_t kAnalyzeUs = 5 * std::int64_t{AV_TIME_BASE};
// Streams the demuxer may create while it opens a file; more than
// kMaxInputStreams of them refuse the file before any decoder opens.
constexpr int kStreamsWhileOpening = 1000;

}  // namespace

int OpenRegularInput(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info {};
    int error = 0;
    if (::fstat(fd, &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode))
        error = EINVAL;
    else if (const int flags = ::fcntl(fd, F_GETFL);
             flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        error = errno;
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

BoundedInput::~BoundedInput()
{
    Close();
}

void BoundedInput::Close()
{
    avformat_close_input(&context_);
    if (io_) {
        av_freep(&io_->buffer);
        avio_context_free(&io_);
    }
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    pipe_ = false;
    pipe_fed_ = false;
    stop_ = nullptr;
    inspection_ = IsoInspection{};
}

int BoundedInput::Open(const std::string& path)
{
    Close();
    fd_ = OpenRegularInput(path);
    if (fd_ < 0)
        return errno == EINVAL ? kInputNotRegularFile : AVERROR(errno);
    return Start(path);
}

int BoundedInput::OpenAlsoPipe(const std::string& path, std::function<bool()> stop)
{
    Close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0)
        return AVERROR(errno);
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        return AVERROR(errno);
    if (S_ISFIFO(info.st_mode)) {
        pipe_ = true;
        stop_ = std::move(stop);
    } else if (!S_ISREG(info.st_mode)) {
        return kInputNotRegularFile;
    } else if (const int flags = ::fcntl(fd_, F_GETFL);
               flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return AVERROR(errno);
    }
    return Start(path);
}

int BoundedInput::Start(const std::string& path)
{
    // The box reader walks the tables with a few blocks of memory; the
    // demuxer would allocate for every sample they declare.
    if (!pipe_) {
        inspection_ = InspectIsoFile(fd_);
        if (inspection_.verdict == IsoInspection::Verdict::kOverclaimed)
            return kInputSamplesOverclaimed;
    }

    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    if (buffer)
        io_ = avio_alloc_context(buffer, kBufferSize, 0, this, &BoundedInput::ReadPacket, nullptr,
                                 pipe_ ? nullptr : &BoundedInput::Seek);
    if (!io_) {
        av_free(buffer);
        return AVERROR(ENOMEM);
    }
    context_ = avformat_alloc_context();
    if (!context_)
        return AVERROR(ENOMEM);
    context_->pb = io_;
    context_->flags |= AVFMT_FLAG_CUSTOM_IO;
    context_->probesize = kProbeBytes;
    context_->max_analyze_duration = kAnalyzeUs;
    context_->max_streams = kStreamsWhileOpening;
    // A playlist or a reference inside the file names no other file or
    // address that gets opened: no protocol is allowed at all.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "none", 0);
    // The name is only a hint for the format (its extension) and a label.
    const int ret = avformat_open_input(&context_, path.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (ret < 0)
        return ret;  // avformat_open_input freed the context
    if (context_->nb_streams > kMaxInputStreams)
        return kInputTooManyStreams;
    // Streams that appear while packets are read (MPEG-TS) stop at the cap.
    context_->max_streams = static_cast<int>(kMaxInputStreams) + 1;
    return 0;
}

int BoundedInput::FindStreamInfo()
{
    if (!context_)
        return AVERROR(EINVAL);
    const int ret = avformat_find_stream_info(context_, nullptr);
    if (ret < 0)
        return ret;
    return context_->nb_streams > kMaxInputStreams ? kInputTooManyStreams : 0;
}

int BoundedInput::ReadPacket(void* opaque, std::uint8_t* buffer, int size)
{
    auto* self = static_cast<BoundedInput*>(opaque);
    for (;;) {
        const ssize_t n = ::read(self->fd_, buffer, static_cast<std::size_t>(size));
        if (n > 0) {
            self->pipe_fed_ = true;
            return static_cast<int>(n);
        }
        // A pipe reads as ended also before its writer has come; it has
        // ended once a writer came and went (the poll says so then).
        const bool waitForWriter = n == 0 && self->pipe_ && !self->pipe_fed_;
        if (n == 0 && !waitForWriter)
            return AVERROR_EOF;
        if (waitForWriter || (errno == EAGAIN && self->pipe_)) {
            if (self->stop_ && self->stop_())
                return AVERROR_EXIT;
            pollfd ready{self->fd_, POLLIN, 0};
            if (::poll(&ready, 1, 100) > 0 && waitForWriter && !(ready.revents & POLLIN))
                return AVERROR_EOF;
            continue;
        }
        if (errno != EINTR)
            return AVERROR(errno);
    }
}

std::int64_t BoundedInput::Seek(void* opaque, std::int64_t offset, int whence)
{
    return SeekDescriptor(static_cast<BoundedInput*>(opaque)->fd_, offset, whence);
}
