#pragma once

struct ConversionJob;

// Opens job.probe_path and fills the probe fields of the job record.
// Every probe field is cleared first, so a field the file does not supply
// reads 0. The duration is the container's, else the longest stream's,
// else 0.
// Returns 0 for a file with a video stream, -1 when the file cannot be
// opened or has no video stream, -2 when its stream information cannot be
// read, -12 when memory runs out, or another negative FFmpeg error code.
// Must not run while a rotation worker runs.
int ProbeMedia(ConversionJob& job);
