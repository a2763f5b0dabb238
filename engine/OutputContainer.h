#pragma once

#include "engine/Failure.h"

#include <string>

struct AVFormatContext;
struct AVOutputFormat;
struct IsoInspection;

// Which way a file takes and which container its output is: the one
// decision that both the writers and the naming of outputs follow, so that
// an output's name never says another container than the one inside.

// The input open for reading when it is a regular file, else -1. Nothing
// else (a pipe a program feeds, a device) is opened: opening and closing a
// pipe's reading end would cut off its writer before the remux reads it.
int OpenRegularFile(const std::string& path);

// Whether an inspected ISO base media file is copied byte for byte (its
// output keeps the input's container and extension).
bool TakesByteExactWay(const IsoInspection& inspection);

// The container the remux way writes for an opened input whose stream
// information has been read: the one that holds the video and sound it
// copies (QuickTime first, see ChooseContainer), except that a file with
// a stereo 3D video or a cover picture goes to MP4 first: FFmpeg 5.1
// writes the stereo mode (st3d) and the cover (covr) only into MP4.
struct OutputContainer {
    const AVOutputFormat* format = nullptr;  // null when refused
    Failure refusal;                         // step kNone when a container was chosen
    bool stereo = false;       // a copied video is stereo 3D
    int stereo_codec_id = 0;   // its codec (AVCodecID)
    bool stereo_lost = false;  // ... and the chosen container cannot say so
    int cover_stream = -1;     // the input's cover (CoverStream), when the container holds it
    int lost_cover = -1;       // the input's cover, when it does not
    const char* extension() const;  // "mov", "mp4", or "" when refused
};
OutputContainer OutputContainerFor(const AVFormatContext* input);

// The extension (without its dot) of the output the worker writes for the
// file at path: "mov" or "mp4" as OutputContainerFor chooses for the remux
// way; "" when the file is copied byte for byte (the output keeps the
// input's own extension), and for a file that cannot be read as media or
// whose streams no container holds (it fails in the worker and leaves no
// output). A pipe or device, which cannot be looked at before the worker
// reads it, gets "mov", the container of most files. copy_iso_files is
// ConversionJob's switch of the same name.
std::string OutputExtensionFor(const std::string& path, bool copy_iso_files = true);
