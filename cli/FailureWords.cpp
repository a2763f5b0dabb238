#include "cli/FailureWords.h"
#include "cli/PrintableName.h"

#include "batch/InputCheck.h"
#include "engine/BoundedInput.h"
#include "engine/Failure.h"
#include "engine/FailureCause.h"
#include "engine/InputCompleteness.h"
#include "engine/LeftOutStream.h"
#include "engine/ReadableNames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/error.h>
}

namespace {

// The words of a code that has its own (CauseOf), else FFmpeg's text.
std::string CodeWords(int code)
{
    switch (CauseOf(code)) {
    case FailureCause::kNoSpace:
        return "there is no space left on the disk";
    case FailureCause::kFileTooLarge:
        return "the file is too large for the disk";
    case FailureCause::kNoPermission:
        return "permission denied";
    case FailureCause::kReadOnly:
        return "the disk is read-only";
    case FailureCause::kDamaged:
        return "the data is damaged";
    case FailureCause::kOutOfMemory:
        return "memory ran out";
    case FailureCause::kInputOutput:
        return "the disk could not be read or written";
    case FailureCause::kMissing:
        return "the file or its folder does not exist";
    case FailureCause::kEndedEarly:
        return "the file ends too early";
    case FailureCause::kNotSupported:
        return "this is not supported";
    case FailureCause::kOther:
        break;
    }
    return ErrorText(code);
}

std::string StepSentence(const std::string& step, int code)
{
    return step + ": " + CodeWords(code);
}

// A step that writes the output; a full disk is said as such.
std::string OutputSentence(const std::string& step, int code)
{
    if (CauseOf(code) == FailureCause::kNoSpace)
        return "no space left on the output disk";
    return StepSentence(step, code);
}

// A step that reads the input; data the demuxer cannot make sense of is
// called damage.
std::string InputSentence(const std::string& step, int code)
{
    if (CauseOf(code) == FailureCause::kDamaged)
        return "the input is damaged: " + ErrorText(code);
    return StepSentence(step, code);
}

std::string CodecWords(int codec_id)
{
    const std::string name = CodecName(codec_id);
    return name.empty() ? "an unknown codec" : name;
}

std::string KindWord(int media_type)
{
    switch (media_type) {
    case AVMEDIA_TYPE_AUDIO:
        return "sound";
    case AVMEDIA_TYPE_SUBTITLE:
        return "subtitles";
    case AVMEDIA_TYPE_ATTACHMENT:
        return "cover picture";
    default:
        return "video";
    }
}

std::string UnitWord(int media_type)
{
    switch (media_type) {
    case AVMEDIA_TYPE_VIDEO:
        return "pictures";
    case AVMEDIA_TYPE_AUDIO:
        return "sound packets";
    default:
        return "packets";
    }
}

// "DVD subtitles", "XSUB subtitles", "Windows Media Audio 2 sound".
std::string StreamWords(const LeftOutStream& stream)
{
    const std::string name = CodecName(stream.codec_id);
    const std::string kind = KindWord(stream.media_type);
    if (name.empty())
        return "unknown " + kind;
    if (stream.media_type == AVMEDIA_TYPE_SUBTITLE && name.find("subtitle") != std::string::npos)
        return name;
    return name + " " + kind;
}

std::string CutShortSentence(const Failure& f)
{
    std::string text = "the input ends at " + ClockText(f.ends_at_s);
    if (f.duration_s > 0)
        text += " of " + ClockText(f.duration_s);
    if (f.units_listed >= 0) {
        text += " (" + std::to_string(f.units_read) + " of the " + std::to_string(f.units_listed) +
                " " + UnitWord(f.unit_kind) + " its index lists)";
    }
    return text;
}

}  // namespace

std::string FailureSentence(const Failure& f)
{
    switch (f.step) {
    case Failure::kNone:
        return "the conversion failed";
    case Failure::kOpenInput:
        return InputSentence("cannot open the input", f.code);
    case Failure::kReadStreams:
        return InputSentence("cannot read the input's streams", f.code);
    case Failure::kSetUpDecoder:
        return StepSentence("cannot set up the " + CodecWords(f.codec_id) + " decoder", f.code);
    case Failure::kOpenDecoder:
        return StepSentence("cannot open the " + CodecWords(f.codec_id) + " decoder", f.code);
    case Failure::kSetUpOutput:
        return StepSentence("cannot set up the output streams", f.code);
    case Failure::kCheckOutputStreams:
        return StepSentence("cannot check the output streams", f.code);
    case Failure::kStreamRefused:
        if (CodecName(f.codec_id).empty())
            return f.container + " cannot hold this " + KindWord(f.media_type) +
                   ": its codec is unknown";
        return f.container + " cannot hold " + CodecName(f.codec_id) + " " + KindWord(f.media_type);
    case Failure::kCreateOutputFile:
        return StepSentence("cannot create the output file " + PrintableName(f.path), f.code);
    case Failure::kOutputNameTaken:
        return "the output name " + PrintableName(f.path) + " is taken";
    case Failure::kOutputIsInput:
        return "the output would replace the input";
    case Failure::kWriteHeader:
        return OutputSentence("cannot write the output's header", f.code);
    case Failure::kReadInput:
        return InputSentence("cannot read the input", f.code);
    case Failure::kWriteOutput:
        return OutputSentence("cannot write the output", f.code);
    case Failure::kCompleteOutput:
        return OutputSentence("cannot complete the output", f.code);
    case Failure::kCutShort:
        return CutShortSentence(f);
    case Failure::kOutOfMemory:
        return "out of memory";
    case Failure::kRotationNotWritten:
        return "the written file shows a rotation of " + std::to_string(f.found_cw) +
               " degrees instead of " + std::to_string(f.wanted_cw);
    case Failure::kOutputDisappeared:
        return "its output " + PrintableName(f.path) + " disappeared";
    case Failure::kSamplesOverclaimed:
        return "the tables describe more samples than the file holds";
    case Failure::kTooManyStreams:
        return "the input has more than " + std::to_string(kMaxInputStreams) + " streams";
    case Failure::kInputChanged:
        return "the input changed while it was copied";
    }
    return "the conversion failed";
}

std::string RejectionSentence(const InputVerdict& verdict)
{
    switch (verdict.rejection) {
    case InputVerdict::kAccepted:
        return "";
    case InputVerdict::kCannotOpen:
        return std::string("cannot open: ") + std::strerror(verdict.error);
    case InputVerdict::kFolder:
        return "is a folder, not a file";
    case InputVerdict::kNotRegularFile:
        return "not a regular file";
    case InputVerdict::kEmpty:
        return "empty file";
    case InputVerdict::kNoVideo:
        return "no video stream";
    case InputVerdict::kNotMedia:
        return "not a media file we can read";
    case InputVerdict::kNoStreamInfo:
        return "its stream information cannot be read";
    case InputVerdict::kOutOfMemory:
        return "out of memory while reading it";
    case InputVerdict::kSamplesOverclaimed:
        return "its tables describe more samples than the file holds";
    case InputVerdict::kTooManyStreams:
        return "it has more than " + std::to_string(kMaxInputStreams) + " streams";
    case InputVerdict::kDecoderFailed:
        return "a decoder for one of its streams cannot be opened (" + ErrorText(verdict.error) +
               ")";
    }
    return "";
}

std::string LeftOutNote(const std::vector<LeftOutStream>& streams)
{
    std::vector<std::string> names;
    for (const LeftOutStream& stream : streams) {
        std::string words = StreamWords(stream);
        if (stream.what == LeftOutStream::kStereoMode)
            words = "the stereo 3D mode of " + words;
        if (std::find(names.begin(), names.end(), words) == names.end())
            names.push_back(std::move(words));
    }
    if (names.empty())
        return "";
    std::string list;
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (k > 0)
            list += k + 1 == names.size() ? " and " : ", ";
        list += names[k];
    }
    return list + " left out: the output container cannot hold them";
}
