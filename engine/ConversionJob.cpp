#include "engine/ConversionJob.h"

ConversionJob& ConversionJob::Instance()
{
    // Constructed once, thread-safely, on first use; lives for the process.
    static ConversionJob* const job = new ConversionJob();
    return *job;
}
