#include <gtest/gtest.h>

#include <cerrno>

#include "engine/FailureReason.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
}

TEST(FailureReason, StepAndFFmpegsTextOrPlainWords)
{
    EXPECT_EQ(StepFailure("cannot write the output", AVERROR(EFBIG)),
              "cannot write the output: File too large");
    EXPECT_EQ(OutputFailure("cannot write the output", AVERROR(ENOSPC)),
              "no space left on the output disk");
    EXPECT_EQ(OutputFailure("cannot complete the output", AVERROR(EIO)),
              "cannot complete the output: Input/output error");
    EXPECT_EQ(InputFailure("cannot read the input's streams", AVERROR_INVALIDDATA),
              "the input is damaged: Invalid data found when processing input");
    EXPECT_EQ(InputFailure("cannot open the input", AVERROR(ENOENT)),
              "cannot open the input: No such file or directory");
}

TEST(FailureReason, CodecsAreNamedByTheReadablePartOfTheirLongName)
{
    EXPECT_EQ(CodecName(AV_CODEC_ID_WMAV2), "Windows Media Audio 2");
    EXPECT_EQ(CodecName(AV_CODEC_ID_VP9), "Google VP9");
    EXPECT_EQ(CodecName(AV_CODEC_ID_HEVC), "H.265");
    EXPECT_EQ(CodecName(AV_CODEC_ID_OPUS), "Opus");
    EXPECT_EQ(CodecName(AV_CODEC_ID_NONE), "an unknown codec");
    EXPECT_EQ(ReadableName("QuickTime / MOV"), "QuickTime");
    EXPECT_EQ(ReadableName("MP4 (MPEG-4 Part 14)"), "MP4");
    EXPECT_EQ(ReadableName(nullptr), "");
}
