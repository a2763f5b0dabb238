// The window's words for a failed file and for what a done file left out,
// from each shipped language file, and what a file without them gives.
#include "ui/FailureText.h"
#include "engine/Failure.h"
#include "engine/LeftOutStream.h"
#include "settings/LanguageTexts.h"
#include "tests/support/TempFolder.h"

#include <QString>
#include <cerrno>
#include <gtest/gtest.h>
#include <string>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/avutil.h>
#include <libavutil/error.h>
}

namespace {

bool HasCjk(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

void UseLanguage(const std::string& file)
{
    ReadLanguageTexts(std::string(FENNEX_SOURCE_DIR) + "/resources/languages/" + file, g_texts);
}

// A failure of each step with what that step names filled in.
Failure OfStep(int step)
{
    Failure f(static_cast<Failure::Step>(step));
    f.codec_id = AV_CODEC_ID_VP8;
    f.media_type = AVMEDIA_TYPE_VIDEO;
    f.container = "QuickTime";
    f.path = "/out/clip.mov";
    f.ends_at_s = 1.5;
    f.duration_s = 3;
    f.wanted_cw = 90;
    f.found_cw = 0;
    return f;
}

class FailureWordsOfEachStep : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override { UseLanguage(GetParam()); }
    bool Chinese() const { return std::string(GetParam()) == "chinese.ini"; }
};

// Every step has a sentence and a few words of its own in both files, with
// no Chinese in the English ones. (A step added to Failure without words
// does not compile: the window's list of steps has no default.)
TEST_P(FailureWordsOfEachStep, EveryStepHasWordsOfItsOwnInTheFilesLanguage)
{
    const QString general = FailureText(Failure());
    ASSERT_FALSE(general.isEmpty());
    for (int step = Failure::kNone; step <= Failure::kOutputDisappeared; ++step) {
        const QString full = FailureText(OfStep(step));
        const QString brief = ShortFailureText(OfStep(step));
        EXPECT_FALSE(full.isEmpty()) << step;
        EXPECT_FALSE(brief.isEmpty()) << step;
        EXPECT_EQ(HasCjk(full), Chinese()) << step << " " << full.toStdString();
        EXPECT_EQ(HasCjk(brief), Chinese()) << step << " " << brief.toStdString();
        EXPECT_FALSE(full.contains(QLatin1Char('%'))) << step << " " << full.toStdString();
        if (step != Failure::kNone) {
            EXPECT_NE(full, general) << step;
        }
        // A few words: they go into a narrow column.
        EXPECT_LE(brief.size(), Chinese() ? 6 : 14) << brief.toStdString();
    }
}

TEST_P(FailureWordsOfEachStep, CausesThatMatterHaveWordsOthersKeepFFmpegsText)
{
    for (const int code : {AVERROR(ENOSPC), AVERROR(EFBIG), AVERROR(EACCES), AVERROR(EROFS),
                           AVERROR_INVALIDDATA, AVERROR(ENOMEM), AVERROR(EIO), AVERROR(ENOENT)}) {
        const Failure f(Failure::kWriteOutput, code);
        EXPECT_EQ(HasCjk(FailureText(f)), Chinese()) << FailureText(f).toStdString();
        EXPECT_EQ(HasCjk(ShortFailureText(f)), Chinese()) << ShortFailureText(f).toStdString();
        EXPECT_FALSE(FailureText(f).contains(QStringLiteral("Error number")));
    }
    // A code with no words of its own: the step's words, FFmpeg's text after them.
    const Failure odd(Failure::kWriteOutput, AVERROR(EINVAL));
    EXPECT_TRUE(FailureText(odd).endsWith(QStringLiteral("Invalid argument")))
        << FailureText(odd).toStdString();
    EXPECT_EQ(ShortFailureText(odd), ShortFailureText(Failure(Failure::kWriteOutput)));
}

INSTANTIATE_TEST_SUITE_P(Languages, FailureWordsOfEachStep,
                         ::testing::Values("chinese.ini", "english.ini"));

TEST(FailureText, ReadsAsTheWindowsLanguageSaysIt)
{
    Failure cut(Failure::kCutShort);
    cut.ends_at_s = 61.9;
    cut.duration_s = 3725;
    cut.units_read = 38;
    cut.units_listed = 75;
    cut.unit_kind = AVMEDIA_TYPE_VIDEO;
    Failure refused(Failure::kStreamRefused);
    refused.container = "QuickTime";
    refused.codec_id = AV_CODEC_ID_WMAV2;
    refused.media_type = AVMEDIA_TYPE_AUDIO;
    Failure unknown = refused;
    unknown.codec_id = AV_CODEC_ID_NONE;
    unknown.media_type = AVMEDIA_TYPE_VIDEO;
    const Failure full(Failure::kWriteOutput, AVERROR(ENOSPC));
    const Failure damaged(Failure::kOpenInput, AVERROR_INVALIDDATA);

    UseLanguage("chinese.ini");
    EXPECT_EQ(
        FailureText(cut),
        QStringLiteral(
            "源文件不完整：在 1:01 处中断，应有 1:02:05（索引列出 75 个画面，只读到 38 个）"));
    EXPECT_EQ(ShortFailureText(cut), QStringLiteral("不完整"));
    EXPECT_EQ(FailureText(refused),
              QStringLiteral("QuickTime格式的文件无法容纳Windows Media Audio 2音频"));
    EXPECT_EQ(FailureText(unknown), QStringLiteral("QuickTime格式的文件无法容纳未知视频"));
    EXPECT_EQ(FailureText(full), QStringLiteral("无法写入输出文件：磁盘空间不足"));
    EXPECT_EQ(ShortFailureText(full), QStringLiteral("磁盘已满"));
    EXPECT_EQ(FailureText(damaged), QStringLiteral("无法打开源文件：数据已损坏"));
    EXPECT_EQ(ShortFailureText(damaged), QStringLiteral("已损坏"));

    UseLanguage("english.ini");
    EXPECT_EQ(FailureText(cut), QStringLiteral("The input is cut short: it ends at 1:01 of 1:02:05 "
                                               "(38 of the 75 pictures its index lists)"));
    EXPECT_EQ(FailureText(refused),
              QStringLiteral("QuickTime files cannot hold Windows Media Audio 2 sound"));
    EXPECT_EQ(FailureText(full),
              QStringLiteral("The output cannot be written: there is no space left on the disk"));
    EXPECT_EQ(ShortFailureText(full), QStringLiteral("Disk full"));
    EXPECT_EQ(ShortFailureText(Failure(Failure::kCreateOutputFile, AVERROR(EACCES))),
              QStringLiteral("No access"));
    EXPECT_EQ(ShortFailureText(Failure(Failure::kWriteOutput, AVERROR(EFBIG))),
              QStringLiteral("Too large"));

    // A path is put in as it is, even one that looks like a place for a value.
    const Failure gone(Failure::kOutputDisappeared, 0, "/out/100%2 %1.mov");
    EXPECT_EQ(FailureText(gone), QStringLiteral("The output /out/100%2 %1.mov has disappeared"));
}

TEST(FailureText, LeftOutStreamsAreNamedOnceInTheWindowsSentence)
{
    const LeftOutStream dvd{AV_CODEC_ID_DVD_SUBTITLE, AVMEDIA_TYPE_SUBTITLE};
    const LeftOutStream pgs{AV_CODEC_ID_HDMV_PGS_SUBTITLE, AVMEDIA_TYPE_SUBTITLE};
    const LeftOutStream unknown{AV_CODEC_ID_NONE, AVMEDIA_TYPE_SUBTITLE};
    UseLanguage("chinese.ini");
    EXPECT_EQ(LeftOutText({}), QString());
    EXPECT_EQ(LeftOutText({dvd, dvd}), QStringLiteral("未保留DVD字幕：输出文件的格式无法容纳"));
    EXPECT_EQ(LeftOutText({dvd, pgs, unknown}),
              QStringLiteral("未保留DVD字幕、HDMV Presentation Graphic Stream字幕和未知字幕："
                             "输出文件的格式无法容纳"));
    UseLanguage("english.ini");
    EXPECT_EQ(LeftOutText({dvd, pgs, unknown}),
              QStringLiteral("DVD subtitles, HDMV Presentation Graphic Stream subtitles and "
                             "unknown subtitles left out: the output container cannot hold them"));
    // What a kept stream loses is named with its stream.
    const LeftOutStream stereo{AV_CODEC_ID_H264, AVMEDIA_TYPE_VIDEO, LeftOutStream::kStereoMode};
    const LeftOutStream cover{AV_CODEC_ID_MJPEG, AVMEDIA_TYPE_ATTACHMENT};
    EXPECT_EQ(LeftOutText({stereo, cover}),
              QStringLiteral("the stereo 3D mode of H.264 video and Motion JPEG cover picture left "
                             "out: the output container cannot hold them"));
    EXPECT_EQ(DoneText("/out/a 100%1.mov", {dvd}),
              QStringLiteral("New file: /out/a 100%1.mov\nDVD subtitles left out: the output "
                             "container cannot hold them"));
    EXPECT_EQ(DoneText("/out/b.mp4", {}), QStringLiteral("New file: /out/b.mp4"));
    UseLanguage("chinese.ini");
    EXPECT_EQ(LeftOutText({stereo}),
              QStringLiteral("未保留H.264视频的立体（3D）模式：输出文件的格式无法容纳"));
}

// A file from before the failures had words keeps the program's own
// (Chinese) ones; a text left empty falls back to the general one, and a
// sentence without a place for a name still shows the name.
TEST(FailureText, TextsMissingFromTheFileFallBack)
{
    TempFolder folder;
    const std::string file = folder.File("mine.ini");
    WriteBytes(file, "[TISHI]\nsb=Failed\n[SHIBAI]\nzhsb=It failed\ndksr=\nddk=\n"
                     "szjm=No decoder\n");
    ReadLanguageTexts(file, g_texts);
    EXPECT_EQ(FailureText(Failure(Failure::kCutShort)),
              QStringLiteral("源文件不完整：在 0:00 处中断"));
    EXPECT_EQ(FailureText(Failure(Failure::kOpenInput)), QStringLiteral("It failed"));
    EXPECT_EQ(ShortFailureText(Failure(Failure::kOpenInput)), QStringLiteral("Failed"));
    Failure decoder(Failure::kSetUpDecoder);
    decoder.codec_id = AV_CODEC_ID_H264;
    EXPECT_TRUE(FailureText(decoder).startsWith(QStringLiteral("No decoder H.264")))
        << FailureText(decoder).toStdString();
    UseLanguage("chinese.ini");
}

}  // namespace
