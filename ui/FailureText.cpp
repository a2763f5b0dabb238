#include "ui/FailureText.h"

#include "engine/Failure.h"
#include "engine/FailureCause.h"
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
    const LanguageTexts::Failures& s = g_texts.failures;
    // Every step is listed: a new one without words does not compile.
    switch (step) {
    case Failure::kNone:
        return {&s.rotationFailed, &g_texts.prompts.failed};
    case Failure::kOpenInput:
        return {&s.openInput, &s.shortCannotOpen};
    case Failure::kReadStreams:
        return {&s.readStreams, &s.shortUnreadable};
    case Failure::kSetUpDecoder:
        return {&s.setUpDecoder, &s.shortDecoder};
    case Failure::kOpenDecoder:
        return {&s.openDecoder, &s.shortDecoder};
    case Failure::kSetUpOutput:
        return {&s.setUpOutputStreams, &s.shortOutput};
    case Failure::kCheckOutputStreams:
        return {&s.checkOutputStreams, &s.shortOutput};
    case Failure::kStreamRefused:
        return {&s.cannotHold, &s.shortCannotHold};
    case Failure::kCreateOutputFile:
        return {&s.createOutput, &s.shortCannotCreate};
    case Failure::kOutputNameTaken:
        return {&s.namesTaken, &s.shortNameTaken};
    case Failure::kOutputIsInput:
        return {&s.wouldReplaceInput, &s.shortSameAsInput};
    case Failure::kWriteHeader:
        return {&s.writeHeader, &s.shortOutput};
    case Failure::kReadInput:
        return {&s.readInput, &s.shortReadError};
    case Failure::kWriteOutput:
        return {&s.writeOutput, &s.shortWriteError};
    case Failure::kCompleteOutput:
        return {&s.completeOutput, &s.shortWriteError};
    case Failure::kCutShort:
        return {&s.cutShortOf, &s.shortCutShort};
    case Failure::kOutOfMemory:
        return {&s.outOfMemory, &s.shortOutOfMemory};
    case Failure::kRotationNotWritten:
        return {&s.rotationNotWritten, &s.shortNotRotated};
    case Failure::kOutputDisappeared:
        return {&s.outputGone, &s.shortOutputGone};
    case Failure::kSamplesOverclaimed:
        return {&s.samplesOverclaimed, &s.shortBadTables};
    case Failure::kTooManyStreams:
        return {&s.tooManyStreams, &s.shortTooManyStreams};
    case Failure::kInputChanged:
        return {&s.inputChanged, &s.shortInputChanged};
    }
    return {&s.rotationFailed, &g_texts.prompts.failed};
}

// The words of a code that has its own (CauseOf); null texts for any
// other code.
Words CauseWords(int code)
{
    const LanguageTexts::Failures& s = g_texts.failures;
    switch (CauseOf(code)) {
    case FailureCause::kNoSpace:
        return {&s.noSpace, &s.shortDiskFull};
    case FailureCause::kFileTooLarge:
        return {&s.fileTooLarge, &s.shortTooLarge};
    case FailureCause::kNoPermission:
        return {&s.permissionDenied, &s.shortNoAccess};
    case FailureCause::kReadOnly:
        return {&s.readOnlyDisk, &s.shortReadOnly};
    case FailureCause::kDamaged:
        return {&s.damagedData, &s.shortDamaged};
    case FailureCause::kOutOfMemory:
        return {&s.noMemory, &s.shortOutOfMemory};
    case FailureCause::kInputOutput:
        return {&s.ioError, &s.shortIoError};
    case FailureCause::kMissing:
        return {&s.notThere, &s.shortNotFound};
    case FailureCause::kEndedEarly:
        return {&s.endsEarly, &s.shortCutShort};
    case FailureCause::kNotSupported:
        return {&s.notSupported, &s.shortUnsupported};
    case FailureCause::kOther:
        break;
    }
    return {nullptr, nullptr};
}

QString CodecText(int codecId)
{
    const std::string name = CodecName(codecId);
    return Q(name.empty() ? g_texts.failures.unknownCodec : name);
}

QString UnitText(int mediaType)
{
    const LanguageTexts::Failures& s = g_texts.failures;
    switch (mediaType) {
    case AVMEDIA_TYPE_VIDEO:
        return Q(s.pictures);
    case AVMEDIA_TYPE_AUDIO:
        return Q(s.soundPackets);
    default:
        return Q(s.packets);
    }
}

QString CutShortText(const Failure& f)
{
    const LanguageTexts::Failures& s = g_texts.failures;
    QString text = f.duration_s > 0
                       ? Filled(s.cutShortOf, {Q(ClockText(f.ends_at_s)), Q(ClockText(f.duration_s))})
                       : Filled(s.cutShort, {Q(ClockText(f.ends_at_s))});
    if (f.units_listed >= 0) {
        text += Filled(s.indexCount, {QString::number(f.units_read), QString::number(f.units_listed),
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
        text = Q(g_texts.failures.rotationFailed);
    if (text.trimmed().isEmpty())
        text = Q(g_texts.prompts.failed);
    if (failure.code == 0)
        return text;
    const Words cause = CauseWords(failure.code);
    const QString why =
        cause.full && !cause.full->empty() ? Q(*cause.full) : Q(ErrorText(failure.code));
    return Filled(g_texts.failures.stepAndCause, {text, why});
}

QString ShortFailureText(const Failure& failure)
{
    const Words cause = CauseWords(failure.code);
    const std::string* const choices[] = {cause.brief, StepWords(failure.step).brief,
                                          &g_texts.prompts.failed, &g_texts.failures.rotationFailed};
    for (const std::string* brief : choices) {
        if (brief && !brief->empty())
            return Q(*brief);
    }
    return {};
}

QString StreamText(int codecId, int mediaType)
{
    const LanguageTexts::Failures& s = g_texts.failures;
    const std::string& kind = mediaType == AVMEDIA_TYPE_AUDIO        ? s.sound
                              : mediaType == AVMEDIA_TYPE_SUBTITLE   ? s.subtitles
                              : mediaType == AVMEDIA_TYPE_ATTACHMENT ? s.coverPicture
                                                                     : s.video;
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
    QString text = Filled(g_texts.prompts.newFile, {Q(output)});
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
            name = Filled(g_texts.failures.stereoMode, {name});
        if (!names.contains(name))
            names << name;
    }
    if (names.isEmpty())
        return {};
    QString list;
    for (qsizetype k = 0; k < names.size(); ++k) {
        if (k > 0)
            list += Q(k + 1 == names.size() ? g_texts.failures.listLastSeparator : g_texts.failures.listSeparator);
        list += names[k];
    }
    return Filled(g_texts.prompts.leftOut, {list});
}
