#pragma once

// The eleven columns of the file list. Columns 7 to 9 have width 0: they keep
// the profile and the two paths a batch works with. The rotation column
// came last and is shown after the picture size.
enum FileListColumn {
    kColumnPath = 0,       // the input's full path
    kColumnExtension = 1,  // its extension, without the dot, in its own case
    kColumnDuration = 2,   // HH:MM:SS.mmm
    kColumnSize = 3,       // width*height
    kColumnBitRate = 4,    // kbps
    kColumnFrameRate = 5,  // fps
    kColumnStatus = 6,     // ready / done / failed
    kColumnProfile = 7,
    kColumnOutput = 8,  // the output path a batch chose
    kColumnSource = 9,  // kept empty: inputs are read under their own names
    kColumnCount = 10
};
