#include "ui/FailureText.h"

#include "engine/Failure.h"
#include "engine/InputCompleteness.h"
#include "engine/LeftOutStream.h"
#include "engine/ReadableNames.h"
#include "settings/LanguageTexts.h"

#include <QStringList>
#include <cerrno>
#include <vector>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/avutil.h>
#include <libavutil/error.h>
}

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// The pattern with %1, %2, ... replaced by the values in one pass, so that
// a value holding "%2" (a path may) stays as it is. A value the pattern
// has no place for follows it after a blank rather than being lost.
QString Filled(const std::string& pattern, const QStringList& values)
{
    const QString text = Q(pattern);
    std::vector<bool> used(static_cast<std::size_t>(values.size()), false);
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('%') && i + 1 < text.size()) {
            const int slot = text[i + 1].digitValue() - 1;
            if (slot >= 0 && slot < values.size()) {
                out += values[slot];
                used[static_cast<std::size_t>(slot)] = true;
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    for (qsizetype slot = 0; slot < values.size(); ++slot) {
        if (!used[static_cast<std::size_t>(slot)] && !values[slot].isEmpty())
            out += (out.isEmpty() ? QString() : QStringLiteral(" ")) + values[slot];
    }
    return out;
}

// A text of the language file and a few words for the status column.
struct Words {
    const std::string* full;
    const std::string* brief;
};

Words StepWords(Failure::Step step)
{
    const LanguageTexts::Shibai& s = g_texts.shibai;
    // Every step is listed: a new one without words does not compile.
    switch (step) {
    case Failure::kNone:
        return {&s.zhsb, &g_texts.tishi.sb};
    case Failure::kOpenInput:
        return {&s.dksr, &s.ddk};
    case Failure::kReadStreams:
        return {&s.dql, &s.ddq};
    case Failure::kSetUpDecoder:
        return {&s.szjm, &s.djm};
    case Failure::kOpenDecoder:
        return {&s.dkjm, &s.djm};
    case Failure::kSetUpOutput:
        return {&s.szsc, &s.dsc};
    case Failure::kCheckOutputStreams:
        return {&s.jcsc, &s.dsc};
    case Failure::kStreamRefused:
        return {&s.brn, &s.dbrn};
    case Failure::kCreateOutputFile:
        return {&s.cjsc, &s.dcj};
    case Failure::kOutputNameTaken:
        return {&s.mczy, &s.dmc};
    case Failure::kOutputIsInput:
        return {&s.fgsr, &s.dfg};
    case Failure::kWriteHeader:
        return {&s.xwjt, &s.dsc};
    case Failure::kReadInput:
        return {&s.dqsr, &s.ddc};
    case Failure::kWriteOutput:
        return {&s.xrsc, &s.dxr};
    case Failure::kCompleteOutput:
        return {&s.wcsc, &s.dxr};
    case Failure::kCutShort:
        return {&s.bwz, &s.dbwz};
    case Failure::kOutOfMemory:
        return {&s.ncbz, &s.dnc};
    case Failure::kRotationNotWritten:
        return {&s.xzbf, &s.dxz};
    case Failure::kOutputDisappeared:
        return {&s.scbj, &s.dbj};
    }
    return {&s.zhsb, &g_texts.tishi.sb};
}

// The words of a code that says more to a user than FFmpeg's English text
// does; null texts for any other code.
Words CauseWords(int code)
{
    const LanguageTexts::Shibai& s = g_texts.shibai;
    if (code == AVERROR(ENOSPC) || code == AVERROR(EDQUOT))
        return {&s.kjbz, &s.dkj};
    if (code == AVERROR(EFBIG))
        return {&s.wjtd, &s.dtd};
    if (code == AVERROR(EACCES) || code == AVERROR(EPERM))
        return {&s.mqx, &s.dqx};
    if (code == AVERROR(EROFS))
        return {&s.zd, &s.dzd};
    if (code == AVERROR_INVALIDDATA)
        return {&s.sjsh, &s.dsh};
    if (code == AVERROR(ENOMEM))
        return {&s.nc, &s.dnc};
    if (code == AVERROR(EIO))
        return {&s.io, &s.dio};
    if (code == AVERROR(ENOENT))
        return {&s.bcz, &s.dbcz};
    if (code == AVERROR_EOF)
        return {&s.tqjs, &s.dbwz};
    if (code == AVERROR_PATCHWELCOME || code == AVERROR(ENOSYS) || code == AVERROR(EOPNOTSUPP) ||
        code == AVERROR_DEMUXER_NOT_FOUND || code == AVERROR_DECODER_NOT_FOUND ||
        code == AVERROR_MUXER_NOT_FOUND || code == AVERROR_ENCODER_NOT_FOUND ||
        code == AVERROR_BSF_NOT_FOUND)
        return {&s.bzc, &s.dbzc};
    return {nullptr, nullptr};
}

QString CodecText(int codecId)
{
    const std::string name = CodecName(codecId);
    return Q(name.empty() ? g_texts.shibai.wzbm : name);
}

QString UnitText(int mediaType)
{
    const LanguageTexts::Shibai& s = g_texts.shibai;
    switch (mediaType) {
    case AVMEDIA_TYPE_VIDEO:
        return Q(s.hm);
    case AVMEDIA_TYPE_AUDIO:
        return Q(s.yb);
    default:
        return Q(s.sjb);
    }
}

QString CutShortText(const Failure& f)
{
    const LanguageTexts::Shibai& s = g_texts.shibai;
    QString text = f.duration_s > 0
                       ? Filled(s.bwz, {Q(ClockText(f.ends_at_s)), Q(ClockText(f.duration_s))})
                       : Filled(s.bwz1, {Q(ClockText(f.ends_at_s))});
    if (f.units_listed >= 0) {
        text += Filled(s.sysl, {QString::number(f.units_read), QString::number(f.units_listed),
                                UnitText(f.unit_kind)});
    }
    return text;
}

// What the step says, with what it names put in.
QString StepText(const Failure& f)
{
    const std::string& pattern = *StepWords(f.step).full;
    switch (f.step) {
    case Failure::kSetUpDecoder:
    case Failure::kOpenDecoder:
        return Filled(pattern, {CodecText(f.codec_id)});
    case Failure::kStreamRefused:
        return Filled(pattern, {Q(f.container), StreamText(f.codec_id, f.media_type)});
    case Failure::kCreateOutputFile:
    case Failure::kOutputNameTaken:
    case Failure::kOutputDisappeared:
        return Filled(pattern, {QString::fromStdString(f.path)});
    case Failure::kCutShort:
        return CutShortText(f);
    case Failure::kRotationNotWritten:
        return Filled(pattern, {QString::number(f.found_cw), QString::number(f.wanted_cw)});
    default:
        return Filled(pattern, {});
    }
}

}  // namespace

QString FailureText(const Failure& failure)
{
    QString text = StepText(failure);
    if (text.trimmed().isEmpty())
        text = Q(g_texts.shibai.zhsb);
    if (text.trimmed().isEmpty())
        text = Q(g_texts.tishi.sb);
    if (failure.code == 0)
        return text;
    const Words cause = CauseWords(failure.code);
    const QString why =
        cause.full && !cause.full->empty() ? Q(*cause.full) : Q(ErrorText(failure.code));
    return Filled(g_texts.shibai.yyfg, {text, why});
}

QString ShortFailureText(const Failure& failure)
{
    const Words cause = CauseWords(failure.code);
    const std::string* const choices[] = {cause.brief, StepWords(failure.step).brief,
                                          &g_texts.tishi.sb, &g_texts.shibai.zhsb};
    for (const std::string* brief : choices) {
        if (brief && !brief->empty())
            return Q(*brief);
    }
    return {};
}

QString StreamText(int codecId, int mediaType)
{
    const LanguageTexts::Shibai& s = g_texts.shibai;
    const std::string& kind = mediaType == AVMEDIA_TYPE_AUDIO      ? s.yp
                              : mediaType == AVMEDIA_TYPE_SUBTITLE ? s.zm
                                                                   : s.sp;
    QString name = CodecText(codecId);
    if (mediaType == AVMEDIA_TYPE_SUBTITLE && codecId != AV_CODEC_ID_NONE) {
        // FFmpeg calls most bitmap subtitles "... subtitles"; the kind's own
        // word follows the name in the window's language instead.
        for (const QLatin1String word : {QLatin1String(" subtitles"), QLatin1String(" subtitle")}) {
            if (name.size() > word.size() && name.endsWith(word, Qt::CaseInsensitive)) {
                name.chop(word.size());
                break;
            }
        }
    }
    return Filled(kind, {name});
}

QString DoneText(const std::string& output, const std::vector<LeftOutStream>& streams)
{
    QString text = Filled(g_texts.tishi.xwj, {Q(output)});
    const QString leftOut = LeftOutText(streams);
    if (!leftOut.isEmpty())
        text += QLatin1Char('\n') + leftOut;
    return text;
}

QString LeftOutText(const std::vector<LeftOutStream>& streams)
{
    QStringList names;
    for (const LeftOutStream& stream : streams) {
        QString name = StreamText(stream.codec_id, stream.media_type);
        if (stream.what == LeftOutStream::kStereoMode)
            name = Filled(g_texts.shibai.ltms, {name});
        if (!names.contains(name))
            names << name;
    }
    if (names.isEmpty())
        return {};
    QString list;
    for (qsizetype k = 0; k < names.size(); ++k) {
        if (k > 0)
            list += Q(k + 1 == names.size() ? g_texts.shibai.lbzh : g_texts.shibai.lbfg);
        list += names[k];
    }
    return Filled(g_texts.tishi.wbl, {list});
}
