#pragma once

// The codes (AVERROR values) that say more to a user than FFmpeg's English
// text does, each with a cause both front ends word in their own way; every
// other code is kOther and is shown with FFmpeg's text.
enum class FailureCause {
    kOther,
    kNoSpace,        // ENOSPC, EDQUOT
    kFileTooLarge,   // EFBIG
    kNoPermission,   // EACCES, EPERM
    kReadOnly,       // EROFS
    kDamaged,        // data the demuxer cannot make sense of
    kOutOfMemory,    // ENOMEM
    kInputOutput,    // EIO
    kMissing,        // ENOENT
    kEndedEarly,     // the end of the file came too early
    kNotSupported,   // a feature, format or codec FFmpeg has no support for
};

FailureCause CauseOf(int code);
