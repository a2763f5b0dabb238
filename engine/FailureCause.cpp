#include "engine/FailureCause.h"

#include <cerrno>

extern "C" {
#include <libavutil/error.h>
}

FailureCause CauseOf(int code)
{
    switch (code) {
    case AVERROR(ENOSPC):
    case AVERROR(EDQUOT):
        return FailureCause::kNoSpace;
    case AVERROR(EFBIG):
        return FailureCause::kFileTooLarge;
    case AVERROR(EACCES):
    case AVERROR(EPERM):
        return FailureCause::kNoPermission;
    case AVERROR(EROFS):
        return FailureCause::kReadOnly;
    case AVERROR_INVALIDDATA:
        return FailureCause::kDamaged;
    case AVERROR(ENOMEM):
        return FailureCause::kOutOfMemory;
    case AVERROR(EIO):
        return FailureCause::kInputOutput;
    case AVERROR(ENOENT):
        return FailureCause::kMissing;
    case AVERROR_EOF:
        return FailureCause::kEndedEarly;
    case AVERROR_PATCHWELCOME:
    case AVERROR(ENOSYS):
    case AVERROR(EOPNOTSUPP):
    case AVERROR_DEMUXER_NOT_FOUND:
    case AVERROR_DECODER_NOT_FOUND:
    case AVERROR_MUXER_NOT_FOUND:
    case AVERROR_ENCODER_NOT_FOUND:
    case AVERROR_BSF_NOT_FOUND:
        return FailureCause::kNotSupported;
    default:
        return FailureCause::kOther;
    }
}
