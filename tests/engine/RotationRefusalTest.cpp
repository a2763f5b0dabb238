// Streams neither QuickTime nor MP4 can carry faithfully fail their file before an
// output exists; fallbacks that read back and decode stay.
#include <gtest/gtest.h>

#include "batch/FileNames.h"
#include "tests/engine/EngineTestSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

TEST(RotationRefusal, SoundOrVideoQuickTimeCannotHoldFailsTheFileBeforeItsOutputExists)
{
    TempFolder folder("refuse");
    MediaRecipe wmv;  // a Windows Media file as cameras and old players wrote them
    wmv.video_codec = "wmv2";
    wmv.audio_codec = "wmav2";
    ASSERT_EQ(MakeMediaFile(folder / "clip.wmv", wmv), "");
    MediaRecipe vp8;  // neither QuickTime nor MP4 holds VP8
    vp8.video_codec = "vp8";
    vp8.audio_codec = "";
    ASSERT_EQ(MakeMediaFile(folder / "web.mkv", vp8), "");
    ASSERT_EQ(MakeMediaFile(folder / "good.mp4", MediaRecipe{}), "");

    // An output in a missing folder ends the batch once its file is to be
    // created; refused files never get that far.
    auto job = MakeJob(90);
    AddFile(*job, folder / "clip.wmv", folder / "missing/clip.mov");
    AddFile(*job, folder / "web.mkv", folder / "missing/web.mov");
    AddFile(*job, folder / "clip.wmv", folder / "clip.mov");
    AddFile(*job, folder / "good.mp4", folder / "good.mov");
    EXPECT_EQ(RunBatch(*job), 0);
    EXPECT_EQ(job->reports[0].file_status.load(), kFileFailed);
    EXPECT_EQ(job->reports[0].failure.step, Failure::kStreamRefused);
    EXPECT_EQ(job->reports[0].failure.container, "QuickTime");
    EXPECT_EQ(job->reports[0].failure.codec_id, AV_CODEC_ID_WMAV2);
    EXPECT_EQ(job->reports[0].failure.media_type, AVMEDIA_TYPE_AUDIO);
    EXPECT_EQ(job->reports[1].file_status.load(), kFileFailed);
    EXPECT_EQ(job->reports[1].failure.step, Failure::kStreamRefused);
    EXPECT_EQ(job->reports[1].failure.codec_id, AV_CODEC_ID_VP8);
    EXPECT_EQ(job->reports[1].failure.media_type, AVMEDIA_TYPE_VIDEO);
    EXPECT_EQ(job->reports[2].file_status.load(), kFileFailed);
    EXPECT_FALSE(PathExists(folder / "clip.mov"));
    EXPECT_EQ(job->reports[3].file_status.load(), kFileDone);
}

TEST(RotationRefusal, WindowsVideoThatReadsBackIsStillRotated)
{
    TempFolder folder("fallback");
    const std::pair<const char*, const char*> cases[] = {
        {"wmv1", "in.wmv"}, {"wmv2", "in2.wmv"}, {"msmpeg4v2", "in.avi"}};
    for (const auto& [codec, name] : cases) {
        SCOPED_TRACE(codec);
        MediaRecipe recipe;
        recipe.video_codec = codec;
        recipe.audio_codec = "";
        const std::string input = folder / name;
        ASSERT_EQ(MakeMediaFile(input, recipe), "");
        const std::string output = input + ".mov";
        auto job = MakeJob(90);
        AddFile(*job, input, output);
        ASSERT_EQ(RunBatch(*job), 0);
        ASSERT_EQ(job->reports[0].file_status.load(), kFileDone) << FailureSentence(job->reports[0].failure);
        EXPECT_EQ(ReadRotationCw(output), 90);
        const FixtureInfo got = ReadInfo(output);
        ASSERT_EQ(got.streams.size(), 1u);
        EXPECT_EQ(got.streams[0].codec_id, ReadInfo(input).streams[0].codec_id);
        const auto pictures = DecodedPictureHashes(input);
        EXPECT_FALSE(pictures.empty());
        EXPECT_EQ(DecodedPictureHashes(output), pictures);
        std::string why;
        EXPECT_TRUE(SamePayloads(PacketsByStream(input, {0}), PacketsByStream(output, {0}), &why))
            << why;
    }
}
