// What the remux way keeps beside the packets of files other programs
// wrote: the cover picture, the stereo 3D mode, the trim at the end of the
// sound. Each is read back by a reader that is not FFmpeg (exiftool, the
// command-line tools) as well as through libavformat.
#include <gtest/gtest.h>

#include "engine/OutputContainer.h"
#include "tests/engine/EngineTestSupport.h"

#include <algorithm>
#include <numeric>
#include <sstream>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

std::string Exiftool(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{"exiftool"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string out;
    return RunProgram(argv, &out) == 0 ? out : std::string("(exiftool failed)");
}

std::string OutputExtension(const std::string& input)
{
    return OutputExtensionFor(input, false);
}

bool HasSideData(const FixtureStream& stream, int type)
{
    return std::find(stream.side_data_types.begin(), stream.side_data_types.end(), type) !=
           stream.side_data_types.end();
}

// The first video stream that is not an attached picture.
const FixtureStream* MovingVideo(const FixtureInfo& info)
{
    for (const FixtureStream& stream : info.streams) {
        if (stream.media_type == AVMEDIA_TYPE_VIDEO && !stream.attached_picture)
            return &stream;
    }
    return nullptr;
}

// What ffprobe prints for the first sound stream's entries, one a line.
std::vector<std::int64_t> Probe(const std::string& path, const std::string& entries)
{
    std::string out;
    RunProgram({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries", entries, "-of",
                "csv=p=0", path},
               &out);
    std::vector<std::int64_t> values;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line != "N/A")
            values.push_back(std::stoll(line));
    }
    return values;
}

// Samples FFmpeg decodes from the first sound stream, in one channel.
std::int64_t DecodedSamples(const std::string& path)
{
    std::string pcm;
    RunProgram({"ffmpeg", "-nostdin", "-v", "quiet", "-i", path, "-map", "0:a:0", "-ac", "1", "-f",
                "s16le", "-"},
               &pcm);
    return static_cast<std::int64_t>(pcm.size() / 2);
}

}  // namespace

// A Matroska file's cover (the image attachment named cover*, else the
// first image) or an attached-picture stream becomes the output's cover:
// the file goes to MP4, the only container FFmpeg writes a cover into.
TEST(RemuxKeeps, TheCoverPicture)
{
    if (!ProgramAvailable("mkvmerge") || !ProgramAvailable("exiftool"))
        GTEST_SKIP() << "needs mkvmerge and exiftool";
    TempFolder folder("cover");
    MediaRecipe h264;
    h264.video_codec = "h264";
    MediaRecipe withPicture = h264;
    withPicture.cover_picture = true;
    struct Case {
        std::string name;
        std::vector<std::string> attachments;  // mkvmerge's; none: FFmpeg's MP4 with a cover
        std::string cover;                     // the attachment expected as cover
    };
    const std::vector<Case> cases{
        {"named.mkv", {"back.png", "Cover.jpg"}, "Cover.jpg"},
        {"first.mkv", {"poster.png", "still.jpg"}, "poster.png"},
        {"stream.mp4", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string input = folder / c.name;
        if (c.attachments.empty())
            ASSERT_EQ(MakeMediaFile(input, withPicture), "");
        else
            ASSERT_EQ(MakeMatroskaWithAttachments(input, h264, c.attachments), "");
        EXPECT_EQ(OutputExtension(input), "mp4");
        const std::string out = RotateFile(input, input + ".mp4", 90);

        EXPECT_EQ(Exiftool({"-s3", "-FileType", out}), "MP4\n");
        const std::string cover = Exiftool({"-b", "-CoverArt", out});
        if (c.cover.empty()) {
            // The picture of the input's attached-picture stream.
            const std::vector<FixturePacket> packets = ReadPackets(input);
            const FixtureInfo info = ReadInfo(input);
            std::string picture;
            for (const FixturePacket& p : packets) {
                if (info.streams[static_cast<std::size_t>(p.stream_index)].attached_picture)
                    picture.assign(p.data.begin(), p.data.end());
            }
            ASSERT_FALSE(picture.empty());
            EXPECT_TRUE(cover == picture);
        } else {
            EXPECT_TRUE(cover == ReadWholeFile(input + "." + c.cover)) << cover.size();
        }
        // FFmpeg reads it back as the file's attached picture, beside one
        // video track that decodes to the input's pictures.
        const FixtureInfo info = ReadInfo(out);
        EXPECT_EQ(std::count_if(info.streams.begin(), info.streams.end(),
                                [](const FixtureStream& s) { return s.attached_picture; }),
                  1);
        EXPECT_EQ(std::count_if(info.streams.begin(), info.streams.end(),
                                [](const FixtureStream& s) {
                                    return s.media_type == AVMEDIA_TYPE_VIDEO &&
                                           !s.attached_picture;
                                }),
                  1);
        EXPECT_EQ(DecodedPictureHashes(out), DecodedPictureHashes(input));
        EXPECT_EQ(DecodedSoundHashes(out), DecodedSoundHashes(input));
        EXPECT_EQ(ReadRotationCw(out), 90);
    }
}

// A stereo 3D video goes to MP4 with its stereo mode (st3d); where MP4
// cannot take the file (PCM sound), QuickTime takes it and the note says
// the stereo mode is lost.
TEST(RemuxKeeps, TheStereoMode)
{
    if (!ProgramAvailable("mkvmerge") || !ProgramAvailable("exiftool"))
        GTEST_SKIP() << "needs mkvmerge and exiftool";
    TempFolder folder("stereo");
    MediaRecipe h264;
    h264.video_codec = "h264";
    MediaRecipe pcm = h264;
    pcm.audio_codec = "pcm";
    struct Case {
        std::string name;
        MediaRecipe recipe;
        std::string mode;      // mkvmerge's
        std::string exiftool;  // exiftool's Stereoscopic3D, "" when lost
        std::string extension;
    };
    const std::vector<Case> cases{
        {"sbs.mkv", h264, "side_by_side_left_first", "Stereoscopic Left-Right\n", "mp4"},
        {"tab.mkv", h264, "top_bottom_left_first", "Stereoscopic Top-Bottom\n", "mp4"},
        {"pcm.mkv", pcm, "side_by_side_left_first", "", "mov"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string input = folder / c.name;
        ASSERT_EQ(MakeStereoMatroska(input, c.recipe, c.mode), "");
        ASSERT_TRUE(HasSideData(*MovingVideo(ReadInfo(input)), AV_PKT_DATA_STEREO3D));
        EXPECT_EQ(OutputExtension(input), c.extension);
        std::vector<LeftOutStream> leftOut;
        const std::string out = RotateFile(input, input + "." + c.extension, 270, &leftOut);

        EXPECT_EQ(Exiftool({"-s3", "-Stereoscopic3D", out}), c.exiftool);
        const bool kept = !c.exiftool.empty();
        EXPECT_EQ(HasSideData(*MovingVideo(ReadInfo(out)), AV_PKT_DATA_STEREO3D), kept);
        if (kept) {
            EXPECT_TRUE(leftOut.empty()) << LeftOutNote(leftOut);
        } else {
            EXPECT_EQ(LeftOutNote(leftOut),
                      "the stereo 3D mode of H.264 video left out: the output container cannot "
                      "hold them");
        }
        EXPECT_EQ(DecodedPictureHashes(out), DecodedPictureHashes(input));
        EXPECT_EQ(DecodedSoundHashes(out), DecodedSoundHashes(input));
        EXPECT_EQ(ReadRotationCw(out), 270);
    }
}

// A WebM whose last Opus packet trims its padding (DiscardPadding): the
// output's sound track, as its sample table and edit list say, ends with
// the input's last sample, where before it ran on to the end of the last
// frame. (FFmpeg 5.1's MP4 reader still decodes the whole last frame; the
// readers that follow the edit list stop where the input does.)
TEST(RemuxKeeps, TheEndTrimOfTheSound)
{
    TempFolder folder("trim");
    MediaRecipe web;
    web.video_codec = "vp9";
    web.audio_codec = "opus";
    const std::string input = folder / "trimmed.webm";
    ASSERT_EQ(MakeMediaFile(input, web), "");
    const std::string out = RotateFile(input, input + ".mp4", 90);

    const std::int64_t samples = DecodedSamples(input);
    const std::vector<std::int64_t> durations = Probe(out, "packet=duration");
    ASSERT_FALSE(durations.empty());
    // The decoder's pre-skip, from the Opus header the output carries.
    std::int64_t preSkip = -1;
    for (const FixtureStream& stream : ReadInfo(out).streams) {
        if (stream.media_type == AVMEDIA_TYPE_AUDIO && stream.extradata.size() >= 12)
            preSkip = stream.extradata[10] | (stream.extradata[11] << 8);
    }
    ASSERT_GT(preSkip, 0);
    // The trim is there to be said: the last frame is not whole.
    ASSERT_NE((samples + preSkip) % 960, 0);
    // From the second frame on (Matroska's whole milliseconds place the
    // first within half of one): whole frames, then the trimmed last.
    EXPECT_EQ(std::accumulate(durations.begin() + 1, durations.end(), std::int64_t{0}),
              samples + preSkip - 960);
    EXPECT_EQ(durations.back(), (samples + preSkip) % 960);
    // Every frame but the trimmed last decodes as before.
    auto sounds = DecodedSoundHashes(input);
    auto got = DecodedSoundHashes(out);
    ASSERT_EQ(got.size(), sounds.size());
    sounds.pop_back();
    got.pop_back();
    EXPECT_EQ(got, sounds);
}

namespace {

// Pictures GStreamer's decodebin shows from the first video stream; -1
// when gst-launch-1.0 cannot be run. A file with sound has its sound
// decoded into a sink too: with that pad left unlinked, decodebin's queues
// now and then wait for each other for good (about one run in 200 on a
// busy machine). Without sound there must be no such branch: it would wait
// for a pad that never comes.
long GstreamerPictures(const std::string& path, int width, int height, bool sound)
{
    const std::string raw = path + ".yuv";
    std::vector<std::string> args{"gst-launch-1.0",
                                  "-q",
                                  "filesrc",
                                  "location=" + path,
                                  "!",
                                  "decodebin",
                                  "name=d",
                                  "d.",
                                  "!",
                                  "video/x-raw",
                                  "!",
                                  "queue",
                                  "!",
                                  "videoconvert",
                                  "!",
                                  "video/x-raw,format=I420",
                                  "!",
                                  "filesink",
                                  "location=" + raw};
    if (sound)
        args.insert(args.end(), {"d.", "!", "audio/x-raw", "!", "queue", "!", "fakesink"});
    if (RunProgram(args) != 0)
        return -1;
    const std::int64_t size = FileSize(raw);
    std::remove(raw.c_str());
    return static_cast<long>(size / (width * height * 3 / 2));
}

}  // namespace

// A camera's stream cut at an open GOP's key frame starts with pictures
// decoded after that key frame but shown before it: the output shows them
// too, at their times against the sound, for FFmpeg and for GStreamer;
// alone, they start the output.
TEST(RemuxKeeps, ThePicturesBeforeTheFirstKeyFrame)
{
    if (!ProgramAvailable("gst-launch-1.0"))
        GTEST_SKIP() << "needs gst-launch-1.0";
    for (const bool sound : {true, false}) {
        SCOPED_TRACE(sound ? "with sound" : "pictures alone");
        TempFolder folder("leading");
        const std::string input = folder / "camera.ts";
        ASSERT_EQ(MakeLeadingPicturesTs(input, sound), "");
        // The fixture is what it claims: a packet after the first is shown
        // before it.
        std::vector<FixturePacket> packets = ReadPackets(input);
        auto video = std::find_if(packets.begin(), packets.end(),
                                  [](const FixturePacket& p) { return p.stream_index == 0; });
        ASSERT_NE(video, packets.end());
        ASSERT_TRUE(std::any_of(video + 1, packets.end(), [&](const FixturePacket& p) {
            return p.stream_index == video->stream_index && p.pts < video->pts;
        }));

        const std::string out = RotateFile(input, input + OutputExtension(input), 90);
        const std::vector<std::uint64_t> pictures = DecodedPictureHashes(input);
        EXPECT_EQ(DecodedPictureHashes(out), pictures);
        // GStreamer's transport stream reading may drop the first leading
        // picture of the input; it shows every picture of the output.
        const long shown = GstreamerPictures(out, 160, 120, sound);
        EXPECT_EQ(shown, static_cast<long>(pictures.size()));
        EXPECT_GE(shown, GstreamerPictures(input, 160, 120, sound));
        const std::vector<double> in = StreamStartSeconds(input);
        const std::vector<double> got = StreamStartSeconds(out);
        ASSERT_EQ(got.size(), in.size());
        if (sound) {
            // The sound keeps its place against the pictures (the edit
            // list's milliseconds aside).
            EXPECT_NEAR(got[0] - got[1], in[0] - in[1], 0.002);
        } else {
            EXPECT_NEAR(got[0], 0.0, 0.002);
        }
    }
}
