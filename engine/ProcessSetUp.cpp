#include "engine/ProcessSetUp.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include <malloc.h>

void SetUpProcess(bool verbose)
{
    // The MOV demuxer and muxer grow one index entry per packet. With
    // glibc's sliding mmap threshold those arrays end up on the heap after
    // the probe has freed its own, and fragment it: a two-hour file then
    // peaked at 125 MB instead of 90. Large blocks are mapped on their own;
    // the packets, well below 1 MB, stay on the heap, which is trimmed
    // rarely enough not to refault them.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
    // No single libav allocation may exceed this, whatever a file
    // declares; the largest legitimate buffers (an 8K picture, a long
    // file's index) stay well below it.
    av_max_alloc(kMaxLibavAllocation);
    av_log_set_level(verbose ? AV_LOG_INFO : AV_LOG_QUIET);
}
