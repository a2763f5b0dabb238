#include "tests/support/MediaFixtures.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <spawn.h>
#include <sstream>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/mastering_display_metadata.h>
#include <libavutil/opt.h>
}

extern char** environ;

namespace {

std::string Extension(const std::string& path)
{
    const std::string name = std::filesystem::path(path).filename().string();
    const std::size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::string Seconds(double s)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", s);
    return text;
}

bool VideoEncoder(const std::string& codec, std::vector<std::string>& args,
                  const std::string& index)
{
    if (codec == "mpeg4")
        args.insert(args.end(), {"-c:v:" + index, "mpeg4", "-q:v:" + index, "5"});
    else if (codec == "h264")
        args.insert(args.end(), {"-c:v:" + index, "libx264", "-preset", "veryfast",
                                 "-pix_fmt:v:" + index, "yuv420p"});
    else if (codec == "mjpeg")
        args.insert(args.end(), {"-c:v:" + index, "mjpeg", "-pix_fmt:v:" + index, "yuvj420p"});
    else if (codec == "vp8")
        args.insert(args.end(), {"-c:v:" + index, "libvpx", "-b:v:" + index, "200k"});
    else if (codec == "vp9")
        args.insert(args.end(), {"-c:v:" + index, "libvpx-vp9", "-b:v:" + index, "200k",
                                 "-deadline", "realtime", "-cpu-used", "8"});
    else if (codec == "av1")
        args.insert(args.end(), {"-c:v:" + index, "libaom-av1", "-b:v:" + index, "200k",
                                 "-cpu-used", "8", "-row-mt", "1"});
    else if (codec == "hevc")
        args.insert(args.end(),
                    {"-c:v:" + index, "libx265", "-preset", "ultrafast", "-pix_fmt:v:" + index,
                     "yuv420p", "-x265-params", "log-level=error"});
    else if (codec == "prores_lt")  // ProRes 422 LT
        args.insert(args.end(), {"-c:v:" + index, "prores_ks", "-profile:v:" + index, "1"});
    else if (codec == "wmv1" || codec == "wmv2" || codec == "msmpeg4v2")
        args.insert(args.end(), {"-c:v:" + index, codec});
    else
        return false;
    return true;
}

bool AudioEncoder(const std::string& codec, std::vector<std::string>& args)
{
    if (codec == "aac")
        args.insert(args.end(), {"-c:a", "aac"});
    else if (codec == "mp3")
        args.insert(args.end(), {"-c:a", "libmp3lame"});
    else if (codec == "opus")
        args.insert(args.end(), {"-c:a", "libopus"});
    else if (codec == "flac")
        args.insert(args.end(), {"-c:a", "flac"});
    else if (codec == "pcm")
        args.insert(args.end(), {"-c:a", "pcm_s16le"});
    else if (codec == "wmav2")
        args.insert(args.end(), {"-c:a", "wmav2"});
    else
        return false;
    return true;
}

// What only the libraries can write: display matrix, a stream "rotate" tag
// and HDR side data.
bool NeedsLibraryPass(const MediaRecipe& recipe)
{
    return recipe.rotation_cw != 0 || recipe.mirror || !recipe.rotate_tag.empty() ||
           recipe.hdr_side_data || recipe.metadata_as_keys || recipe.dvd_subtitle;
}

std::uint32_t FourCc(const std::string& text)
{
    std::uint32_t tag = 0;
    for (std::size_t k = 0; k < 4 && k < text.size(); ++k)
        tag |= static_cast<std::uint32_t>(static_cast<unsigned char>(text[k])) << (8 * k);
    return tag;
}

std::string FourCcText(std::uint32_t tag)
{
    if (tag == 0)
        return "";
    std::string text;
    for (int k = 0; k < 4; ++k)
        text.push_back(static_cast<char>((tag >> (8 * k)) & 0xff));
    return text;
}

std::string AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

bool AddStreamSideData(AVStream* stream, AVPacketSideDataType type, const void* data,
                       std::size_t size)
{
    std::uint8_t* target = av_stream_new_side_data(stream, type, size);
    if (!target)
        return false;
    std::memcpy(target, data, size);
    return true;
}

struct DvdCue {
    std::int64_t start_ms;
    std::int64_t end_ms;
};
constexpr DvdCue kDvdCues[] = {{100, 500}, {600, 900}};

// Encodes the DVD subtitle cues of a fixture: a small striped picture each.
// Fills the stream's parameters; returns "" or the error.
std::string EncodeDvdCues(AVStream* stream, std::vector<AVPacket*>& cues)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVD_SUBTITLE);
    AVCodecContext* encoder = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (!encoder)
        return "no DVD subtitle encoder";
    std::unique_ptr<AVCodecContext*, void (*)(AVCodecContext**)> guard(&encoder,
                                                                       avcodec_free_context);
    encoder->width = 160;
    encoder->height = 120;
    encoder->time_base = AVRational{1, 1000};
    if (avcodec_open2(encoder, codec, nullptr) < 0 ||
        avcodec_parameters_from_context(stream->codecpar, encoder) < 0)
        return "DVD subtitle encoder";
    stream->time_base = AVRational{1, 1000};
    av_dict_set(&stream->metadata, "language", "ger", 0);
    std::uint8_t text[65536];
    for (const DvdCue& cue : kDvdCues) {
        std::vector<std::uint8_t> pixels(32 * 16);
        for (std::size_t k = 0; k < pixels.size(); ++k)
            pixels[k] = static_cast<std::uint8_t>((k / 7) % 4);
        std::uint32_t palette[4] = {0x00000000, 0xffffffff, 0xff000000, 0xffff0000};
        AVSubtitleRect rect{};
        rect.x = 10;
        rect.y = 90;
        rect.w = 32;
        rect.h = 16;
        rect.nb_colors = 4;
        rect.type = SUBTITLE_BITMAP;
        rect.data[0] = pixels.data();
        rect.linesize[0] = 32;
        rect.data[1] = reinterpret_cast<std::uint8_t*>(palette);
        rect.linesize[1] = sizeof palette;
        AVSubtitleRect* rects[] = {&rect};
        AVSubtitle sub{};
        sub.num_rects = 1;
        sub.rects = rects;
        sub.end_display_time = static_cast<std::uint32_t>(cue.end_ms - cue.start_ms);
        const int size = avcodec_encode_subtitle(encoder, text, sizeof text, &sub);
        AVPacket* packet = av_packet_alloc();
        if (size <= 0 || !packet || av_new_packet(packet, size) < 0) {
            av_packet_free(&packet);
            return "DVD subtitle cue";
        }
        std::memcpy(packet->data, text, static_cast<std::size_t>(size));
        packet->pts = packet->dts = cue.start_ms;
        packet->duration = cue.end_ms - cue.start_ms;
        packet->stream_index = stream->index;
        packet->flags |= AV_PKT_FLAG_KEY;
        cues.push_back(packet);
    }
    return "";
}

// Copies every stream of `from` into `to`, adding what the recipe asks for to
// the first video stream.
std::string LibraryPass(const std::string& from, const std::string& to, const MediaRecipe& recipe,
                        const std::string& format)
{
    AVFormatContext* in = nullptr;
    int ret = avformat_open_input(&in, from.c_str(), nullptr, nullptr);
    if (ret < 0)
        return "open " + from + ": " + AvError(ret);
    std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> inGuard(&in,
                                                                           avformat_close_input);
    if ((ret = avformat_find_stream_info(in, nullptr)) < 0)
        return "stream info: " + AvError(ret);

    AVFormatContext* out = nullptr;
    ret = avformat_alloc_output_context2(&out, nullptr, format.empty() ? nullptr : format.c_str(),
                                         to.c_str());
    if (ret < 0 || !out)
        return "output context: " + AvError(ret);
    auto freeOut = [](AVFormatContext* ctx) {
        if (ctx->pb)
            avio_closep(&ctx->pb);
        avformat_free_context(ctx);
    };
    std::unique_ptr<AVFormatContext, decltype(freeOut)> outGuard(out, freeOut);
    if (recipe.metadata_as_keys) {
        // Only the recipe's entries: the command line's own (encoder) would
        // become keys too.
        for (const auto& [key, value] : recipe.container_metadata)
            av_dict_set(&out->metadata, key.c_str(), value.c_str(), 0);
        if ((ret = av_opt_set(out->priv_data, "movflags", "+use_metadata_tags", 0)) < 0)
            return "movflags: " + AvError(ret);
    } else {
        av_dict_copy(&out->metadata, in->metadata, 0);
    }

    bool firstVideo = true;
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        AVStream* is = in->streams[i];
        AVStream* os = avformat_new_stream(out, nullptr);
        if (!os || avcodec_parameters_copy(os->codecpar, is->codecpar) < 0)
            return "new stream";
        os->codecpar->codec_tag = 0;
        os->time_base = is->time_base;
        os->disposition = is->disposition;
        av_dict_copy(&os->metadata, is->metadata, 0);
        for (int k = 0; k < is->nb_side_data; ++k)
            AddStreamSideData(os, is->side_data[k].type, is->side_data[k].data,
                              is->side_data[k].size);
        if (is->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || !firstVideo)
            continue;
        firstVideo = false;
        os->codecpar->codec_tag = FourCc(recipe.video_tag);
        if (recipe.rotation_cw != 0 || recipe.mirror) {
            std::int32_t matrix[9];
            av_display_rotation_set(matrix, recipe.rotation_cw);
            if (recipe.mirror)
                av_display_matrix_flip(matrix, 1, 0);
            AddStreamSideData(os, AV_PKT_DATA_DISPLAYMATRIX, matrix, sizeof matrix);
        }
        if (!recipe.rotate_tag.empty())
            av_dict_set(&os->metadata, "rotate", recipe.rotate_tag.c_str(), 0);
        if (recipe.hdr_side_data) {
            AVMasteringDisplayMetadata mdm{};
            mdm.display_primaries[0][0] = av_make_q(34000, 50000);
            mdm.display_primaries[0][1] = av_make_q(16000, 50000);
            mdm.display_primaries[1][0] = av_make_q(13250, 50000);
            mdm.display_primaries[1][1] = av_make_q(34500, 50000);
            mdm.display_primaries[2][0] = av_make_q(7500, 50000);
            mdm.display_primaries[2][1] = av_make_q(3000, 50000);
            mdm.white_point[0] = av_make_q(15635, 50000);
            mdm.white_point[1] = av_make_q(16450, 50000);
            mdm.min_luminance = av_make_q(50, 10000);
            mdm.max_luminance = av_make_q(10000000, 10000);
            mdm.has_primaries = 1;
            mdm.has_luminance = 1;
            AddStreamSideData(os, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, &mdm, sizeof mdm);
            AVContentLightMetadata clm{};
            clm.MaxCLL = 1000;
            clm.MaxFALL = 400;
            AddStreamSideData(os, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, &clm, sizeof clm);
        }
    }

    std::vector<AVPacket*> cues;
    struct CueFree {
        std::vector<AVPacket*>& cues;
        ~CueFree()
        {
            for (AVPacket*& cue : cues)
                av_packet_free(&cue);
        }
    } freeCues{cues};
    if (recipe.dvd_subtitle) {
        AVStream* subtitles = avformat_new_stream(out, nullptr);
        if (!subtitles)
            return "new stream";
        if (std::string error = EncodeDvdCues(subtitles, cues); !error.empty())
            return error;
    }

    if (!(out->oformat->flags & AVFMT_NOFILE) &&
        (ret = avio_open(&out->pb, to.c_str(), AVIO_FLAG_WRITE)) < 0)
        return "open " + to + ": " + AvError(ret);
    if ((ret = avformat_write_header(out, nullptr)) < 0)
        return "header: " + AvError(ret);
    // The movie header has its time; as keys, it and the muxer's own
    // encoder entry would be keys phones do not write.
    if (recipe.metadata_as_keys) {
        av_dict_set(&out->metadata, "creation_time", nullptr, 0);
        av_dict_set(&out->metadata, "encoder", nullptr, 0);
    }
    AVPacket* packet = av_packet_alloc();
    std::size_t nextCue = 0;
    // The cues go in among the other packets by their times.
    auto writeCuesUntil = [&](double seconds) {
        int written = 0;
        for (; nextCue < cues.size() && written >= 0; ++nextCue) {
            AVStream* cueStream = out->streams[cues[nextCue]->stream_index];
            if (static_cast<double>(cues[nextCue]->pts) * av_q2d(AVRational{1, 1000}) > seconds)
                break;
            av_packet_rescale_ts(cues[nextCue], AVRational{1, 1000}, cueStream->time_base);
            written = av_interleaved_write_frame(out, cues[nextCue]);
        }
        return written;
    };
    while (av_read_frame(in, packet) >= 0) {
        AVStream* is = in->streams[packet->stream_index];
        AVStream* os = out->streams[packet->stream_index];
        if (packet->pts != AV_NOPTS_VALUE &&
            (ret = writeCuesUntil(static_cast<double>(packet->pts) * av_q2d(is->time_base))) < 0)
            break;
        av_packet_rescale_ts(packet, is->time_base, os->time_base);
        packet->pos = -1;
        ret = av_interleaved_write_frame(out, packet);
        av_packet_unref(packet);
        if (ret < 0)
            break;
    }
    av_packet_free(&packet);
    if (ret >= 0 || ret == AVERROR_EOF)
        ret = writeCuesUntil(1e300);
    if (ret < 0 && ret != AVERROR_EOF)
        return "write: " + AvError(ret);
    if ((ret = av_write_trailer(out)) < 0)
        return "trailer: " + AvError(ret);
    return "";
}

AVStream* FirstVideo(AVFormatContext* ctx)
{
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        if (ctx->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(ctx->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return ctx->streams[i];
    }
    return nullptr;
}

struct InputCloser {
    void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputCloser>;

InputPtr OpenInput(const std::string& path, bool streamInfo)
{
    AVFormatContext* ctx = nullptr;
    if (avformat_open_input(&ctx, path.c_str(), nullptr, nullptr) < 0)
        return nullptr;
    InputPtr input(ctx);
    if (streamInfo && avformat_find_stream_info(ctx, nullptr) < 0)
        return nullptr;
    return input;
}

bool StreamMatrix(const AVStream* video, std::array<std::int32_t, 9>& matrix)
{
    std::size_t size = 0;
    const std::uint8_t* data = av_stream_get_side_data(video, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!data || size < sizeof(std::int32_t) * 9)
        return false;
    std::memcpy(matrix.data(), data, sizeof(std::int32_t) * 9);
    return true;
}

std::vector<std::pair<std::string, std::string>> DictEntries(const AVDictionary* dict)
{
    std::vector<std::pair<std::string, std::string>> entries;
    const AVDictionaryEntry* e = nullptr;
    while ((e = av_dict_get(dict, "", e, AV_DICT_IGNORE_SUFFIX)))
        entries.emplace_back(e->key, e->value);
    return entries;
}

}  // namespace

std::string MakeMediaFile(const std::string& path, const MediaRecipe& recipe,
                          const std::string& format)
{
    std::string container = format.empty() ? Extension(path) : format;
    if (container == "mkv")
        container = "matroska";
    const bool movFamily = container == "mp4" || container == "mov";
    const std::string dur = Seconds(recipe.seconds);
    const std::string rate = std::to_string(recipe.fps_num) + "/" + std::to_string(recipe.fps_den);
    const std::string size = std::to_string(recipe.width) + "x" + std::to_string(recipe.height);

    std::vector<std::string> args = {"ffmpeg",    "-nostdin", "-hide_banner",
                                     "-loglevel", "error",    "-y"};
    std::vector<std::string> maps;
    int inputs = 0;
    int videoCount = 0;
    std::vector<std::string> codecArgs;
    if (!recipe.video_codec.empty()) {
        args.insert(args.end(), {"-f", "lavfi", "-i",
                                 "testsrc=size=" + size + ":rate=" + rate + ":duration=" + dur});
        maps.insert(maps.end(), {"-map", std::to_string(inputs++) + ":v"});
        if (!VideoEncoder(recipe.video_codec, codecArgs, std::to_string(videoCount++)))
            return "unknown video codec " + recipe.video_codec;
        if (recipe.second_video) {
            args.insert(args.end(),
                        {"-f", "lavfi", "-i",
                         "testsrc2=size=" + size + ":rate=" + rate + ":duration=" + dur});
            maps.insert(maps.end(), {"-map", std::to_string(inputs++) + ":v"});
            VideoEncoder(recipe.video_codec, codecArgs, std::to_string(videoCount++));
        }
    }
    if (!recipe.audio_codec.empty()) {
        const std::string sampleRate = recipe.audio_codec == "opus" ? "48000" : "44100";
        if (recipe.audio_delay_s != 0.0)
            args.insert(args.end(), {"-itsoffset", Seconds(recipe.audio_delay_s)});
        args.insert(args.end(),
                    {"-f", "lavfi", "-i",
                     "sine=frequency=440:sample_rate=" + sampleRate + ":duration=" + dur});
        maps.insert(maps.end(), {"-map", std::to_string(inputs++) + ":a"});
        if (!AudioEncoder(recipe.audio_codec, codecArgs))
            return "unknown audio codec " + recipe.audio_codec;
    }
    if (recipe.cover_picture) {
        const std::string k = std::to_string(videoCount++);
        args.insert(args.end(), {"-f", "lavfi", "-i", "color=red:size=64x64:duration=0.04"});
        maps.insert(maps.end(), {"-map", std::to_string(inputs++) + ":v"});
        codecArgs.insert(codecArgs.end(),
                         {"-c:v:" + k, "mjpeg", "-pix_fmt:v:" + k, "yuvj420p", "-frames:v:" + k,
                          "1", "-disposition:v:" + k, "attached_pic"});
    }
    std::string srtPath;
    if (recipe.subtitle) {
        srtPath = path + ".fixture.srt";
        if (!WriteBytes(srtPath, "1\n00:00:00,000 --> 00:00:00,500\nhello\n\n2\n00:00:00,500 --> "
                                 "00:00:00,900\nworld\n"))
            return "cannot write " + srtPath;
        args.insert(args.end(), {"-i", srtPath});
        maps.insert(maps.end(), {"-map", std::to_string(inputs++) + ":s"});
        codecArgs.insert(codecArgs.end(), {"-c:s", movFamily ? "mov_text" : "srt"});
    }
    if (inputs == 0)
        return "a fixture needs at least one stream";
    std::string chaptersPath;
    if (!recipe.chapters.empty()) {
        if (NeedsLibraryPass(recipe))
            return "chapters do not go with a matrix, a tag or keys";
        std::string text = ";FFMETADATA1\n";
        for (const MediaChapter& c : recipe.chapters)
            text += "[CHAPTER]\nTIMEBASE=1/1000\nSTART=" +
                    std::to_string(std::llround(c.start_s * 1000)) +
                    "\nEND=" + std::to_string(std::llround(c.end_s * 1000)) + "\ntitle=" + c.title +
                    "\n";
        chaptersPath = path + ".fixture.ffmeta";
        if (!WriteBytes(chaptersPath, text))
            return "cannot write " + chaptersPath;
        args.insert(args.end(), {"-i", chaptersPath});
        maps.insert(maps.end(), {"-map_chapters", std::to_string(inputs++)});
    }
    args.insert(args.end(), maps.begin(), maps.end());
    args.insert(args.end(), codecArgs.begin(), codecArgs.end());
    args.insert(args.end(), {"-t", dur});
    if (recipe.start_offset_s != 0.0)
        args.insert(args.end(), {"-output_ts_offset", Seconds(recipe.start_offset_s)});
    for (const auto& [key, value] : recipe.container_metadata)
        args.insert(args.end(), {"-metadata", key + "=" + value});
    if (!recipe.audio_language.empty() && !recipe.audio_codec.empty())
        args.insert(args.end(), {"-metadata:s:a:0", "language=" + recipe.audio_language});
    if (!recipe.audio_title.empty() && !recipe.audio_codec.empty())
        args.insert(args.end(), {"-metadata:s:a:0", "title=" + recipe.audio_title});

    const bool libraryPass = NeedsLibraryPass(recipe);
    const std::string target = libraryPass ? path + ".fixture.nut" : path;
    if (!libraryPass && !recipe.video_tag.empty())
        args.insert(args.end(), {"-tag:v:0", recipe.video_tag});
    if (libraryPass)
        args.insert(args.end(), {"-f", "nut"});
    else if (!format.empty())
        args.insert(args.end(), {"-f", container});
    args.push_back(target);

    std::string log;
    const int status = RunProgram(args, &log);
    if (!srtPath.empty())
        std::remove(srtPath.c_str());
    if (!chaptersPath.empty())
        std::remove(chaptersPath.c_str());
    if (status != 0) {
        std::remove(target.c_str());
        return "ffmpeg failed (" + std::to_string(status) + "): " + log;
    }
    if (!libraryPass)
        return "";
    std::string error =
        LibraryPass(target, path, recipe, format.empty() ? std::string() : container);
    std::remove(target.c_str());
    return error;
}

namespace {

// Makes recipe's streams in a Matroska file beside path and runs mkvmerge
// with extra arguments (before the source) into path.
std::string Mkvmerge(const std::string& path, const MediaRecipe& recipe,
                     const std::vector<std::string>& before,
                     const std::vector<std::string>& after = {})
{
    const std::string source = path + ".source.mkv";
    if (std::string error = MakeMediaFile(source, recipe); !error.empty())
        return error;
    std::vector<std::string> args{"mkvmerge", "-q", "-o", path};
    args.insert(args.end(), before.begin(), before.end());
    args.push_back(source);
    args.insert(args.end(), after.begin(), after.end());
    std::string log;
    const int status = RunProgram(args, &log);
    std::remove(source.c_str());
    // 1: warnings only.
    return status == 0 || status == 1 ? std::string()
                                      : "mkvmerge failed (" + std::to_string(status) + "): " + log;
}

}  // namespace

std::string MakeMatroskaWithAttachments(const std::string& path, const MediaRecipe& recipe,
                                        const std::vector<std::string>& names)
{
    std::vector<std::string> attach;
    for (const std::string& name : names) {
        const std::string picture = path + "." + name;
        const bool png = Extension(name) == "png";
        std::string log;
        if (RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                        "testsrc=size=64x48:rate=1", "-frames:v", "1", "-f",
                        png ? "image2" : "mjpeg", "-c:v", png ? "png" : "mjpeg", picture},
                       &log) != 0)
            return "ffmpeg failed on " + name + ": " + log;
        attach.insert(attach.end(), {"--attachment-mime-type", png ? "image/png" : "image/jpeg",
                                     "--attachment-name", name, "--attach-file", picture});
    }
    return Mkvmerge(path, recipe, {}, attach);
}

std::string MakeStereoMatroska(const std::string& path, const MediaRecipe& recipe,
                               const std::string& mode)
{
    return Mkvmerge(path, recipe, {"--stereo-mode", "0:" + mode});
}

std::string MakeLeadingPicturesTs(const std::string& path, bool sound)
{
    const std::string whole = path + ".whole.ts";
    std::vector<std::string> args{"ffmpeg", "-nostdin", "-v", "error", "-y"};
    args.insert(args.end(), {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=2"});
    if (sound)
        args.insert(args.end(), {"-f", "lavfi", "-i",
                                 "sine=frequency=440:sample_rate=48000:duration=2", "-c:a", "aac"});
    args.insert(args.end(), {"-c:v", "libx265", "-x265-params",
                             "radl=2:bframes=3:b-adapt=0:keyint=10:min-keyint=10:scenecut=0:"
                             "open-gop=0:log-level=error",
                             whole});
    std::string log;
    int status = RunProgram(args, &log);
    if (status == 0)
        status = RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-y", "-ss", "0.4", "-i", whole,
                             "-c", "copy", path},
                            &log);
    std::remove(whole.c_str());
    return status == 0 ? std::string() : "ffmpeg failed (" + std::to_string(status) + "): " + log;
}

bool CopyPrefix(const std::string& from, const std::string& to, std::int64_t keep_bytes)
{
    const std::string all = ReadWholeFile(from);
    if (keep_bytes < 0 || static_cast<std::uint64_t>(keep_bytes) > all.size())
        return false;
    return WriteBytes(to, all.substr(0, static_cast<std::size_t>(keep_bytes)));
}

std::int64_t FileSize(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<std::int64_t>(size);
}

bool ReadDisplayMatrix(const std::string& path, std::array<std::int32_t, 9>& matrix)
{
    InputPtr input = OpenInput(path, false);
    const AVStream* video = input ? FirstVideo(input.get()) : nullptr;
    return video && StreamMatrix(video, matrix);
}

int ReadRotationCw(const std::string& path)
{
    InputPtr input = OpenInput(path, false);
    if (!input)
        return -1;
    const AVStream* video = FirstVideo(input.get());
    std::array<std::int32_t, 9> matrix{};
    if (!video || !StreamMatrix(video, matrix))
        return 0;
    const double ccw = av_display_rotation_get(matrix.data());
    if (std::isnan(ccw))
        return 0;
    const long cw = -std::lround(ccw);
    return static_cast<int>(((cw % 360) + 360) % 360);
}

bool MatrixMirrors(const std::array<std::int32_t, 9>& m)
{
    const double det = static_cast<double>(m[0]) * m[4] - static_cast<double>(m[1]) * m[3];
    return det < 0;
}

std::vector<FixturePacket> ReadPackets(const std::string& path)
{
    std::vector<FixturePacket> packets;
    InputPtr input = OpenInput(path, false);
    if (!input)
        return packets;
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(input.get(), packet) >= 0) {
        FixturePacket p;
        p.stream_index = packet->stream_index;
        p.data.assign(packet->data, packet->data + packet->size);
        p.pts = packet->pts;
        p.dts = packet->dts;
        packets.push_back(std::move(p));
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return packets;
}

FixtureInfo ReadInfo(const std::string& path)
{
    FixtureInfo info;
    InputPtr input = OpenInput(path, true);
    if (!input)
        return info;
    info.opened = true;
    info.format_name = input->iformat->name;
    info.metadata = DictEntries(input->metadata);
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* st = input->streams[i];
        FixtureStream s;
        s.media_type = st->codecpar->codec_type;
        s.codec_id = st->codecpar->codec_id;
        s.width = st->codecpar->width;
        s.height = st->codecpar->height;
        s.codec_tag = FourCcText(st->codecpar->codec_tag);
        if (st->codecpar->extradata)
            s.extradata.assign(st->codecpar->extradata,
                               st->codecpar->extradata + st->codecpar->extradata_size);
        s.attached_picture = (st->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0;
        s.metadata = DictEntries(st->metadata);
        for (int k = 0; k < st->nb_side_data; ++k)
            s.side_data_types.push_back(st->side_data[k].type);
        info.streams.push_back(std::move(s));
    }
    return info;
}

std::string MetadataValue(const std::vector<std::pair<std::string, std::string>>& metadata,
                          const std::string& key)
{
    // Matroska keeps tag names in capitals; FFmpeg's own look-ups ignore case.
    for (const auto& [k, v] : metadata) {
        if (strcasecmp(k.c_str(), key.c_str()) == 0)
            return v;
    }
    return "";
}

std::vector<double> StreamStartSeconds(const std::string& path)
{
    std::vector<double> starts;
    // With the stream information read, as players read it: Matroska gives
    // a block before the cluster's start no time of its own until then.
    InputPtr input = OpenInput(path, true);
    if (!input)
        return starts;
    starts.assign(input->nb_streams, std::nan(""));
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(input.get(), packet) >= 0) {
        const auto s = static_cast<std::size_t>(packet->stream_index);
        if (s < starts.size() && packet->pts != AV_NOPTS_VALUE) {
            const double t =
                static_cast<double>(packet->pts) * av_q2d(input->streams[s]->time_base);
            if (std::isnan(starts[s]) || t < starts[s])
                starts[s] = t;
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return starts;
}

std::vector<MediaChapter> ReadChapters(const std::string& path)
{
    std::vector<MediaChapter> chapters;
    InputPtr input = OpenInput(path, false);
    if (!input)
        return chapters;
    for (unsigned c = 0; c < input->nb_chapters; ++c) {
        const AVChapter* ch = input->chapters[c];
        const AVDictionaryEntry* title = av_dict_get(ch->metadata, "title", nullptr, 0);
        chapters.push_back({static_cast<double>(ch->start) * av_q2d(ch->time_base),
                            static_cast<double>(ch->end) * av_q2d(ch->time_base),
                            title ? title->value : ""});
    }
    return chapters;
}

std::vector<std::pair<std::string, std::string>> ExiftoolTags(const std::string& path)
{
    std::vector<std::pair<std::string, std::string>> tags;
    std::string out;
    if (RunProgram({"exiftool", "-a", "-G1", "-s", path}, &out) != 0)
        return tags;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        // "[Group]         Tag                             : value"
        const std::size_t close = line.find(']');
        const std::size_t colon = line.find(" : ");
        if (line.empty() || line[0] != '[' || close == std::string::npos ||
            colon == std::string::npos)
            continue;
        const std::string group = line.substr(1, close - 1);
        if (group == "System" || group == "File" || group == "ExifTool")
            continue;
        std::string tag = line.substr(close + 1, colon - close - 1);
        tag.erase(0, tag.find_first_not_of(' '));
        tag.erase(tag.find_last_not_of(' ') + 1);
        tags.emplace_back(group + ":" + tag, line.substr(colon + 3));
    }
    return tags;
}

std::vector<std::uint64_t> DecodedPictureHashes(const std::string& path)
{
    std::vector<std::uint64_t> hashes;
    InputPtr input = OpenInput(path, true);
    const AVStream* video = input ? FirstVideo(input.get()) : nullptr;
    if (!video)
        return hashes;
    const AVCodec* codec = avcodec_find_decoder(video->codecpar->codec_id);
    if (!codec)
        return hashes;
    AVCodecContext* raw = avcodec_alloc_context3(codec);
    std::unique_ptr<AVCodecContext*, void (*)(AVCodecContext**)> guard(&raw, avcodec_free_context);
    if (avcodec_parameters_to_context(raw, video->codecpar) < 0 ||
        avcodec_open2(raw, codec, nullptr) < 0)
        return hashes;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&] {
        while (avcodec_receive_frame(raw, frame) >= 0) {
            std::uint64_t h = 1469598103934665603ULL;
            for (int plane = 0; plane < 3 && frame->data[plane]; ++plane) {
                const int rows = plane == 0 ? frame->height : (frame->height + 1) / 2;
                const int bytes = plane == 0 ? frame->width : (frame->width + 1) / 2;
                for (int y = 0; y < rows; ++y) {
                    const std::uint8_t* row = frame->data[plane] + static_cast<std::ptrdiff_t>(y) *
                                                                       frame->linesize[plane];
                    for (int x = 0; x < bytes; ++x)
                        h = (h ^ row[x]) * 1099511628211ULL;
                }
            }
            hashes.push_back(h);
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(input.get(), packet) >= 0) {
        if (packet->stream_index == video->index && avcodec_send_packet(raw, packet) >= 0)
            drain();
        av_packet_unref(packet);
    }
    avcodec_send_packet(raw, nullptr);
    drain();
    av_frame_free(&frame);
    av_packet_free(&packet);
    return hashes;
}

namespace {

const AVStream* FirstOfType(AVFormatContext* ctx, AVMediaType type)
{
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        if (ctx->streams[i]->codecpar->codec_type == type)
            return ctx->streams[i];
    }
    return nullptr;
}

using DecoderPtr = std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)>;

DecoderPtr OpenDecoder(const AVStream* stream)
{
    DecoderPtr none(nullptr, [](AVCodecContext*) {});
    const AVCodec* codec = stream ? avcodec_find_decoder(stream->codecpar->codec_id) : nullptr;
    if (!codec)
        return none;
    DecoderPtr decoder(avcodec_alloc_context3(codec),
                       [](AVCodecContext* ctx) { avcodec_free_context(&ctx); });
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0)
        return none;
    decoder->pkt_timebase = stream->time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return none;
    return decoder;
}

// The words of a decoded cue without its styling: "{\i1}a{\i0}\Nb" gives "a\nb".
std::string PlainCueText(const AVSubtitleRect* rect)
{
    std::string raw;
    if (rect->type == SUBTITLE_ASS && rect->ass) {
        // ReadOrder, Layer, Style, Name, MarginL, MarginR, MarginV, Effect, Text
        raw = rect->ass;
        for (int field = 0; field < 8; ++field) {
            const std::size_t comma = raw.find(',');
            raw = comma == std::string::npos ? std::string() : raw.substr(comma + 1);
        }
    } else if (rect->type == SUBTITLE_TEXT && rect->text) {
        raw = rect->text;
    }
    std::string text;
    bool inCode = false;
    for (std::size_t k = 0; k < raw.size(); ++k) {
        const char c = raw[k];
        if (inCode) {
            inCode = c != '}';
        } else if (c == '{') {
            inCode = true;
        } else if (c == '\\' && k + 1 < raw.size() && (raw[k + 1] == 'N' || raw[k + 1] == 'n')) {
            text.push_back('\n');
            ++k;
        } else if (c != '\r') {
            text.push_back(c);
        }
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace

std::vector<std::uint64_t> DecodedSoundHashes(const std::string& path)
{
    std::vector<std::uint64_t> hashes;
    InputPtr input = OpenInput(path, true);
    const AVStream* sound = input ? FirstOfType(input.get(), AVMEDIA_TYPE_AUDIO) : nullptr;
    DecoderPtr decoder = OpenDecoder(sound);
    if (!decoder)
        return hashes;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&] {
        while (avcodec_receive_frame(decoder.get(), frame) >= 0) {
            std::uint64_t h = 1469598103934665603ULL;
            auto mix = [&h](std::uint8_t byte) { h = (h ^ byte) * 1099511628211ULL; };
            const int channels = frame->ch_layout.nb_channels;
            const auto format = static_cast<AVSampleFormat>(frame->format);
            const bool planar = av_sample_fmt_is_planar(format) != 0;
            const int planes = planar ? channels : 1;
            const std::size_t bytes = static_cast<std::size_t>(frame->nb_samples) *
                                      static_cast<std::size_t>(av_get_bytes_per_sample(format)) *
                                      static_cast<std::size_t>(planar ? 1 : channels);
            for (int shift = 0; shift < 32; shift += 8)
                mix(static_cast<std::uint8_t>(frame->nb_samples >> shift));
            for (int plane = 0; plane < planes; ++plane) {
                for (std::size_t k = 0; k < bytes; ++k)
                    mix(frame->extended_data[plane][k]);
            }
            hashes.push_back(h);
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(input.get(), packet) >= 0) {
        if (packet->stream_index == sound->index && avcodec_send_packet(decoder.get(), packet) >= 0)
            drain();
        av_packet_unref(packet);
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
    av_frame_free(&frame);
    av_packet_free(&packet);
    return hashes;
}

std::vector<FixtureCue> ReadCues(const std::string& path)
{
    std::vector<FixtureCue> cues;
    InputPtr input = OpenInput(path, true);
    const AVStream* subtitles = input ? FirstOfType(input.get(), AVMEDIA_TYPE_SUBTITLE) : nullptr;
    DecoderPtr decoder = OpenDecoder(subtitles);
    if (!decoder)
        return cues;
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(input.get(), packet) >= 0) {
        AVSubtitle sub{};
        int got = 0;
        if (packet->stream_index == subtitles->index && packet->pts != AV_NOPTS_VALUE &&
            avcodec_decode_subtitle2(decoder.get(), &sub, &got, packet) >= 0 && got) {
            std::string text;
            for (unsigned r = 0; r < sub.num_rects; ++r)
                text += PlainCueText(sub.rects[r]);
            if (!text.empty()) {
                const double start =
                    static_cast<double>(packet->pts) * av_q2d(subtitles->time_base) +
                    sub.start_display_time / 1000.0;
                const double end =
                    packet->duration > 0
                        ? static_cast<double>(packet->pts + packet->duration) *
                              av_q2d(subtitles->time_base)
                        : start + (sub.end_display_time - sub.start_display_time) / 1000.0;
                cues.push_back({start, end, text});
            }
            avsubtitle_free(&sub);
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return cues;
}

int RunProgram(const std::vector<std::string>& argv, std::string* log)
{
    std::vector<char*> cargs;
    for (const std::string& a : argv)
        cargs.push_back(const_cast<char*>(a.c_str()));
    cargs.push_back(nullptr);

    char logPath[] = "/tmp/fennex-run-XXXXXX";
    const int logFd = ::mkstemp(logPath);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (logFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, logFd, 1);
        posix_spawn_file_actions_adddup2(&actions, logFd, 2);
    }
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, cargs[0], &actions, nullptr, cargs.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = -1;
    if (spawned == 0) {
        int wstatus = 0;
        while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
        }
        status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    }
    if (logFd >= 0) {
        ::close(logFd);
        if (log)
            *log = ReadWholeFile(logPath);
        ::unlink(logPath);
    }
    return status;
}

bool ProgramAvailable(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (!dir.empty() && ::access((dir + "/" + name).c_str(), X_OK) == 0)
            return true;
    }
    return false;
}
