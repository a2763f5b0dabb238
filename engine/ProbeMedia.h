#pragma once

struct ConversionJob;

// Opens job.probe_path and fills the probe fields of the job record.
// Returns 0 for a file with a video stream, -1 when the file cannot be
// opened or has no video stream, -2 when its stream information cannot be
// read, -12 when memory runs out, or another negative FFmpeg error code.
// Must not run while a rotation worker runs.
int ProbeMedia(ConversionJob& job);
