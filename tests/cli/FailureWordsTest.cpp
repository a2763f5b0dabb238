#include "cli/FailureWords.h"
#include "batch/InputCheck.h"
#include "engine/Failure.h"
#include "engine/FailureCause.h"
#include "engine/LeftOutStream.h"
#include "engine/ReadableNames.h"

#include <gtest/gtest.h>

#include <cerrno>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
}

TEST(FailureWords, StepAndFFmpegsTextOrPlainWords)
{
    EXPECT_EQ(FailureSentence(Failure(Failure::kWriteOutput, AVERROR(EFBIG))),
              "cannot write the output: the file is too large for the disk");
    EXPECT_EQ(FailureSentence(Failure(Failure::kWriteOutput, AVERROR(ENOSPC))),
              "no space left on the output disk");
    EXPECT_EQ(FailureSentence(Failure(Failure::kCompleteOutput, AVERROR(ENOSPC))),
              "no space left on the output disk");
    EXPECT_EQ(FailureSentence(Failure(Failure::kCompleteOutput, AVERROR(EIO))),
              "cannot complete the output: the disk could not be read or written");
    EXPECT_EQ(FailureSentence(Failure(Failure::kWriteHeader, AVERROR(EILSEQ))),
              "cannot write the output's header: Invalid or incomplete multibyte or wide "
              "character");
    EXPECT_EQ(FailureSentence(Failure(Failure::kReadStreams, AVERROR_INVALIDDATA)),
              "the input is damaged: Invalid data found when processing input");
    EXPECT_EQ(FailureSentence(Failure(Failure::kOpenInput, AVERROR(ENOENT))),
              "cannot open the input: the file or its folder does not exist");
    EXPECT_EQ(FailureSentence(Failure(Failure::kOutputNameTaken, 0, "/o/a.mov")),
              "the output name /o/a.mov is taken");
    EXPECT_EQ(FailureSentence(Failure()), "the conversion failed");
}

TEST(FailureWords, RefusalsNameTheContainerTheCodecAndTheKind)
{
    Failure refused(Failure::kStreamRefused);
    refused.container = "QuickTime";
    refused.codec_id = AV_CODEC_ID_WMAV2;
    refused.media_type = AVMEDIA_TYPE_AUDIO;
    EXPECT_EQ(FailureSentence(refused), "QuickTime cannot hold Windows Media Audio 2 sound");
    refused.codec_id = AV_CODEC_ID_NONE;
    refused.media_type = AVMEDIA_TYPE_VIDEO;
    EXPECT_EQ(FailureSentence(refused), "QuickTime cannot hold this video: its codec is unknown");
}

TEST(FailureWords, ACutShortInputSaysWhereItEndsAndWhatIsMissing)
{
    Failure cut(Failure::kCutShort);
    cut.ends_at_s = 61.9;
    cut.duration_s = 3725;
    EXPECT_EQ(FailureSentence(cut), "the input ends at 1:01 of 1:02:05");
    cut.duration_s = 0;
    cut.units_read = 38;
    cut.units_listed = 75;
    cut.unit_kind = AVMEDIA_TYPE_VIDEO;
    EXPECT_EQ(FailureSentence(cut),
              "the input ends at 1:01 (38 of the 75 pictures its index lists)");
}

TEST(FailureWords, RejectedInputsSayWhy)
{
    InputVerdict verdict;
    verdict.rejection = InputVerdict::kCannotOpen;
    verdict.error = EACCES;
    EXPECT_EQ(RejectionSentence(verdict), "cannot open: Permission denied");
    verdict.rejection = InputVerdict::kNoVideo;
    EXPECT_EQ(RejectionSentence(verdict), "no video stream");
    verdict.rejection = InputVerdict::kAccepted;
    EXPECT_EQ(RejectionSentence(verdict), "");
}

TEST(ReadableNames, CodecsAreNamedByTheReadablePartOfTheirLongName)
{
    EXPECT_EQ(CodecName(AV_CODEC_ID_WMAV2), "Windows Media Audio 2");
    EXPECT_EQ(CodecName(AV_CODEC_ID_VP9), "Google VP9");
    EXPECT_EQ(CodecName(AV_CODEC_ID_HEVC), "H.265");
    EXPECT_EQ(CodecName(AV_CODEC_ID_OPUS), "Opus");
    EXPECT_EQ(CodecName(AV_CODEC_ID_NONE), "");
    EXPECT_EQ(ReadableName("QuickTime / MOV"), "QuickTime");
    EXPECT_EQ(ReadableName("MP4 (MPEG-4 Part 14)"), "MP4");
    EXPECT_EQ(ReadableName(nullptr), "");
}

TEST(FailureWords, LeftOutStreamsAreNamedOnceInTheNote)
{
    const LeftOutStream dvd{AV_CODEC_ID_DVD_SUBTITLE, AVMEDIA_TYPE_SUBTITLE};
    const LeftOutStream pgs{AV_CODEC_ID_HDMV_PGS_SUBTITLE, AVMEDIA_TYPE_SUBTITLE};
    const LeftOutStream xsub{AV_CODEC_ID_XSUB, AVMEDIA_TYPE_SUBTITLE};
    const LeftOutStream unknown{AV_CODEC_ID_NONE, AVMEDIA_TYPE_SUBTITLE};
    EXPECT_EQ(LeftOutNote({}), "");
    EXPECT_EQ(LeftOutNote({dvd, dvd}),
              "DVD subtitles left out: the output container cannot hold them");
    EXPECT_EQ(LeftOutNote({dvd, pgs, xsub, unknown}),
              "DVD subtitles, HDMV Presentation Graphic Stream subtitles, XSUB subtitles and "
              "unknown subtitles left out: the output container cannot hold them");
    // What a kept stream loses is named with its stream.
    const LeftOutStream stereo{AV_CODEC_ID_VP9, AVMEDIA_TYPE_VIDEO, LeftOutStream::kStereoMode};
    const LeftOutStream cover{AV_CODEC_ID_PNG, AVMEDIA_TYPE_ATTACHMENT};
    EXPECT_EQ(LeftOutNote({stereo, cover, stereo}),
              "the stereo 3D mode of Google VP9 video and PNG cover picture "
              "left out: the output container cannot hold them");
}

// The codes with words of their own are the classifier's, the same for the
// window; every other code is said in FFmpeg's words.
TEST(FailureWords, CodesWithWordsOfTheirOwnAreTheClassifiers)
{
    const struct {
        int code;
        FailureCause cause;
    } cases[] = {
        {AVERROR(ENOSPC), FailureCause::kNoSpace},
        {AVERROR(EDQUOT), FailureCause::kNoSpace},
        {AVERROR(EFBIG), FailureCause::kFileTooLarge},
        {AVERROR(EACCES), FailureCause::kNoPermission},
        {AVERROR(EPERM), FailureCause::kNoPermission},
        {AVERROR(EROFS), FailureCause::kReadOnly},
        {AVERROR_INVALIDDATA, FailureCause::kDamaged},
        {AVERROR(ENOMEM), FailureCause::kOutOfMemory},
        {AVERROR(EIO), FailureCause::kInputOutput},
        {AVERROR(ENOENT), FailureCause::kMissing},
        {AVERROR_EOF, FailureCause::kEndedEarly},
        {AVERROR_PATCHWELCOME, FailureCause::kNotSupported},
        {AVERROR_DECODER_NOT_FOUND, FailureCause::kNotSupported},
        {AVERROR(EILSEQ), FailureCause::kOther},
        {AVERROR(EAGAIN), FailureCause::kOther},
        {AVERROR_EXTERNAL, FailureCause::kOther},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ErrorText(c.code));
        EXPECT_EQ(CauseOf(c.code), c.cause);
        const std::string sentence = FailureSentence(Failure(Failure::kReadInput, c.code));
        const bool ffmpegWords = sentence.find(ErrorText(c.code)) != std::string::npos;
        // Damage keeps FFmpeg's words beside its own.
        if (c.cause == FailureCause::kOther || c.cause == FailureCause::kDamaged)
            EXPECT_TRUE(ffmpegWords) << sentence;
        else
            EXPECT_FALSE(ffmpegWords) << sentence;
    }
}
