#pragma once

struct AVDictionary;

// The metadata of the output container, made from the input's.
//
// Phones write what they know of a recording (make, model, the local time
// with its zone, the place) as QuickTime keys, which arrive under their
// own names (com.apple.quicktime.make ...). The MOV muxer writes keys only
// when asked to (movflags use_metadata_tags), and then writes every entry
// of the dictionary as a key and none of its usual places. So:
//  - an input without QuickTime keys: every entry is copied as it is, and
//    the muxer keeps what it has places for (title, artist, comment, the
//    place, the creation time ...), as before. Matroska's tags arrive under
//    their own names (TITLE, ARTIST, COMMENT: the muxer finds those
//    whatever their case, and DateUTC arrives as creation_time); those
//    whose meaning the muxer knows under another name are given that name
//    too, unless the input has it: DATE_RECORDED (else DATE_RELEASED)
//    becomes the date of the recording ("date"), a RECORDING_LOCATION
//    written as ISO 6709 coordinates the place ("location");
//  - an input with keys: only entries that belong among keys are given:
//    the input's own keys (names with a dot), the plain names that have a
//    QuickTime key of the same meaning (title becomes
//    com.apple.quicktime.title, location com.apple.quicktime.location.ISO6709,
//    unless the key is there already), and creation_time, which the muxer
//    reads for the movie header while it writes the header. The
//    container's brands, the encoder and the like are left out; the muxer
//    adds an encoder entry of its own as it writes the header. The caller
//    removes both after the header (DropHeaderOnlyMetadata).
bool HasQuickTimeKeys(const AVDictionary* input);

// Fills *output (empty) from input for a muxer that writes keys (with_keys)
// or not. Returns 0 or FFmpeg's error.
int FillContainerMetadata(const AVDictionary* input, bool with_keys, AVDictionary** output);

// Removes what the muxer only reads while writing the header (the
// creation time) and what it added there (its encoder name).
void DropHeaderOnlyMetadata(AVDictionary** output);
