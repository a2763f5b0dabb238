#pragma once

// Small media files made on the fly for the tests, and readers that look
// at the result without going through the code under test.

#include "tests/support/TempFolder.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct MediaChapter {
    double start_s = 0.0;
    double end_s = 0.0;
    std::string title;
};

struct MediaRecipe {
    // "mpeg4", "h264", "hevc", "prores_lt", "mjpeg", "vp8", "vp9", "av1", "wmv1", "wmv2",
    // "msmpeg4v2", "" = no video
    std::string video_codec = "mpeg4";
    // "aac", "mp3", "opus", "flac", "pcm", "wmav2", "" = no audio
    std::string audio_codec = "aac";
    int width = 160, height = 120;
    int fps_num = 25, fps_den = 1;
    double seconds = 1.0;
    int rotation_cw =
        0;  // clockwise display rotation written into the video stream's matrix (0 = no matrix)
    bool mirror = false;  // write a horizontally mirrored matrix (also with rotation_cw 0)

    // More streams.
    bool second_video = false;   // a second video stream right after the first (indexes 0 and 1)
    bool cover_picture = false;  // a one-picture MJPEG stream marked as attached picture, last
    bool subtitle = false;       // a text subtitle stream (mov_text in MP4/MOV, SubRip elsewhere)
    // A DVD (bitmap) subtitle stream, last, in German, with two cues:
    // 0.1-0.5 s and 0.6-0.9 s.
    bool dvd_subtitle = false;

    // Container metadata, e.g. {"creation_time", "2020-01-02T03:04:05Z"}, {"location",
    // "+48.8577+002.2950/"}.
    std::vector<std::pair<std::string, std::string>> container_metadata;
    // A "language" tag on the audio stream (ISO 639-2, e.g. "jpn").
    std::string audio_language;
    // A "rotate" tag text on the first video stream (kept only by containers that store stream
    // tags, e.g. MKV).
    std::string rotate_tag;
    // HDR mastering display and content light level side data on the first video stream.
    bool hdr_side_data = false;
    // Shift every timestamp by this many seconds (the first picture is then not at 0).
    double start_offset_s = 0.0;

    // The first video stream's codec tag ("hvc1", "avc3", "XVID"); "" lets the muxer choose.
    std::string video_tag;
    // Write container_metadata as QuickTime keys (MOV/MP4), the way phones
    // do: the keys and the movie header's time, no other key.
    bool metadata_as_keys = false;
    // The sound starts this many seconds after the picture.
    double audio_delay_s = 0.0;
    // A "title" tag on the audio stream ("Deutsch").
    std::string audio_title;
    // Chapters of the container (not together with a matrix, tag or keys).
    std::vector<MediaChapter> chapters;
};

// Writes a small media file; the container follows the path's extension
// (.mp4 .mov .mkv .avi .ts ...), or `format` when given (for names with no or
// an odd extension). Returns "" on success, else the error.
std::string MakeMediaFile(const std::string& path, const MediaRecipe& recipe,
                          const std::string& format = "");

// Files as other programs write them; each returns "" on success, else the
// error. The streams come from MakeMediaFile(path + ".source.mkv", recipe),
// removed afterwards.
//
// mkvmerge --attach-file: recipe's streams with a 64x48 test picture
// attached under each name (".png" a PNG, else a JPEG, MIME type to match).
// Each picture's bytes stay beside the file as path + "." + name.
std::string MakeMatroskaWithAttachments(const std::string& path, const MediaRecipe& recipe,
                                        const std::vector<std::string>& names);
// mkvmerge --stereo-mode: the video track marked with mode
// ("side_by_side_left_first", "top_bottom_right_first", ...).
std::string MakeStereoMatroska(const std::string& path, const MediaRecipe& recipe,
                               const std::string& mode);

// A camera-like transport stream whose first pictures are shown before its
// first key frame: HEVC from x265 with decodable leading pictures (RADL)
// and, with `sound`, AAC sound starting before them, 2 s at 25 fps, cut by ffmpeg's stream copy at its second
// key frame (0.4 s), so that two pictures decoded after that key frame are
// shown before it.
std::string MakeLeadingPicturesTs(const std::string& path, bool sound);

// Copies the first `keep_bytes` bytes of `from` to `to` (truncated files).
bool CopyPrefix(const std::string& from, const std::string& to, std::int64_t keep_bytes);
std::int64_t FileSize(const std::string& path);  // -1 when missing

// Clockwise rotation of the first video stream read from its display matrix
// (0 when none), in 0..359; exiftool-independent. -1 when the file cannot be read.
int ReadRotationCw(const std::string& path);
// The first video stream's display matrix; false when there is none.
bool ReadDisplayMatrix(const std::string& path, std::array<std::int32_t, 9>& matrix);
// True when the matrix mirrors the picture (negative determinant).
bool MatrixMirrors(const std::array<std::int32_t, 9>& matrix);

struct FixturePacket {
    int stream_index = 0;
    std::vector<std::uint8_t> data;
    std::int64_t pts = 0;
    std::int64_t dts = 0;
};
// All packets of a file in file order, for byte-for-byte comparisons.
std::vector<FixturePacket> ReadPackets(const std::string& path);

struct FixtureStream {
    int media_type = -1;  // AVMediaType
    int codec_id = 0;     // AVCodecID
    int width = 0, height = 0;
    std::string codec_tag;  // four characters, "" when 0
    std::vector<std::uint8_t> extradata;
    bool attached_picture = false;
    std::vector<std::pair<std::string, std::string>> metadata;
    std::vector<int> side_data_types;  // AVPacketSideDataType of each stream side data
};
struct FixtureInfo {
    bool opened = false;
    std::vector<FixtureStream> streams;
    std::vector<std::pair<std::string, std::string>> metadata;
    std::string format_name;
};
FixtureInfo ReadInfo(const std::string& path);
std::string MetadataValue(const std::vector<std::pair<std::string, std::string>>& metadata,
                          const std::string& key);

// The earliest presentation time of each stream's packets in seconds, by
// stream index (NaN for a stream without timed packets).
std::vector<double> StreamStartSeconds(const std::string& path);
std::vector<MediaChapter> ReadChapters(const std::string& path);

// What exiftool reads from a file, as "Group:Tag" (exiftool -a -G1 -s) and
// value; "" when exiftool cannot be run. Groups that describe the file on
// disk rather than its content (System, File, ExifTool) are left out.
std::vector<std::pair<std::string, std::string>> ExiftoolTags(const std::string& path);

// A hash of every decoded picture of the first video stream, in output
// order: equal lists mean the pictures decode identically.
std::vector<std::uint64_t> DecodedPictureHashes(const std::string& path);
// A hash of every decoded frame of the first sound stream (its samples and
// their count), as a player gets them, the container's samples to skip
// applied: equal lists mean the sound decodes sample for sample the same.
std::vector<std::uint64_t> DecodedSoundHashes(const std::string& path);

// The cues of the first subtitle stream, decoded, in file order: times in
// seconds and the plain text (styling codes removed, line breaks as '\n').
struct FixtureCue {
    double start_s = 0.0;
    double end_s = 0.0;
    std::string text;
};
std::vector<FixtureCue> ReadCues(const std::string& path);

// Runs a program with an argument vector (no shell); returns its exit
// status, or -1 when it could not be run. Its output goes to `log` when given.
int RunProgram(const std::vector<std::string>& argv, std::string* log = nullptr);
bool ProgramAvailable(const std::string& name);
