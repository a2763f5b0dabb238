#include "engine/ReportedRotation.h"

#include "engine/DisplayRotation.h"

#include <cstring>

extern "C" {
#include <libavformat/avformat.h>
}

int ReportedRotationCw(const std::string& path)
{
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, path.c_str(), nullptr, nullptr) < 0)
        return -1;
    // The matrix comes with the stream from the container's header; no
    // packet needs to be read.
    int rotation = -1;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* stream = input->streams[i];
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO ||
            (stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            continue;
        std::size_t size = 0;
        const std::uint8_t* data =
            av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
        DisplayMatrix matrix{};
        if (data && size >= sizeof(DisplayMatrix)) {
            std::memcpy(matrix.data(), data, sizeof(DisplayMatrix));
            rotation = MatrixRotationCw(matrix);
        } else {
            rotation = 0;
        }
        break;
    }
    avformat_close_input(&input);
    return rotation;
}
