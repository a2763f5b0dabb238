#include "engine/iso/ReportedRotation.h"

#include "engine/DisplayRotation.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

namespace {

// The first video stream's rotation of an opened input.
int FirstVideoRotation(const AVFormatContext* input)
{
    // The matrix comes with the stream from the container's header; no
    // packet needs to be read.
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* stream = input->streams[i];
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO ||
            (stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            continue;
        std::size_t size = 0;
        const std::uint8_t* data =
            av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
        DisplayMatrix matrix{};
        if (!data || size < sizeof(DisplayMatrix))
            return 0;
        std::memcpy(matrix.data(), data, sizeof(DisplayMatrix));
        return MatrixRotationCw(matrix);
    }
    return -1;
}

// The file as libavformat is to see it: its own bytes, but the type of
// every hidden box reads 'free'.
struct MaskedFile {
    int fd = -1;
    std::uint64_t size = 0;
    std::uint64_t position = 0;
    std::vector<std::uint64_t> hidden;  // box starts, sorted

    static int Read(void* opaque, std::uint8_t* buffer, int want)
    {
        auto* self = static_cast<MaskedFile*>(opaque);
        if (self->position >= self->size)
            return AVERROR_EOF;
        const auto count = static_cast<std::size_t>(
            std::min<std::uint64_t>(static_cast<std::uint64_t>(want), self->size - self->position));
        ssize_t n;
        do {
            n = ::pread(self->fd, buffer, count, static_cast<off_t>(self->position));
        } while (n < 0 && errno == EINTR);
        if (n < 0)
            return AVERROR(errno);
        if (n == 0)
            return AVERROR_EOF;
        self->Mask(buffer, static_cast<std::uint64_t>(n));
        self->position += static_cast<std::uint64_t>(n);
        return static_cast<int>(n);
    }

    void Mask(std::uint8_t* buffer, std::uint64_t length) const
    {
        static const std::uint8_t kFree[4] = {'f', 'r', 'e', 'e'};
        const std::uint64_t from = position;
        const std::uint64_t to = position + length;
        // Boxes whose type (bytes 4..7) overlaps [from, to).
        auto it = std::lower_bound(hidden.begin(), hidden.end(), from >= 7 ? from - 7 : 0);
        for (; it != hidden.end() && *it + 4 < to; ++it) {
            for (std::uint64_t k = 0; k < 4; ++k) {
                const std::uint64_t at = *it + 4 + k;
                if (at >= from && at < to)
                    buffer[at - from] = kFree[k];
            }
        }
    }

    static std::int64_t Seek(void* opaque, std::int64_t offset, int whence)
    {
        auto* self = static_cast<MaskedFile*>(opaque);
        whence &= ~AVSEEK_FORCE;
        std::int64_t target;
        switch (whence) {
        case AVSEEK_SIZE:
            return static_cast<std::int64_t>(self->size);
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = static_cast<std::int64_t>(self->position) + offset;
            break;
        case SEEK_END:
            target = static_cast<std::int64_t>(self->size) + offset;
            break;
        default:
            return AVERROR(EINVAL);
        }
        if (target < 0)
            return AVERROR(EINVAL);
        self->position = static_cast<std::uint64_t>(target);
        return target;
    }
};

}  // namespace

int ReportedRotationCw(int fd, std::uint64_t size, const std::vector<std::uint64_t>& hidden_boxes)
{
    MaskedFile file;
    file.fd = fd;
    file.size = size;
    file.hidden = hidden_boxes;
    std::sort(file.hidden.begin(), file.hidden.end());

    constexpr int kBufferSize = 64 * 1024;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    AVIOContext* io = buffer ? avio_alloc_context(buffer, kBufferSize, 0, &file, &MaskedFile::Read,
                                                  nullptr, &MaskedFile::Seek)
                             : nullptr;
    if (!io) {
        av_free(buffer);
        return -1;
    }
    AVFormatContext* input = avformat_alloc_context();
    int rotation = -1;
    if (input) {
        input->pb = io;
        input->flags |= AVFMT_FLAG_CUSTOM_IO;
        // What the file is was settled by the box reader: no probing.
        const AVInputFormat* mov = av_find_input_format("mov");
        if (avformat_open_input(&input, nullptr, mov, nullptr) >= 0) {
            rotation = FirstVideoRotation(input);
            avformat_close_input(&input);
        }
    }
    av_freep(&io->buffer);
    avio_context_free(&io);
    return rotation;
}
