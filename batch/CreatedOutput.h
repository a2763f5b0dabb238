#pragma once

#include "ConversionJob.h"

#include <string>

// The output file the worker created for a position, known by its device
// and inode: whatever else appears under its name is never moved or
// removed in its place.
using CreatedFile = ConversionJob::CreatedFile;

// True while file.path names that very file.
bool IsStillCreatedFile(const CreatedFile& file);

// Removes file.path when it is still that file; anything else is left
// alone. Returns whether it removed it.
bool RemoveCreatedFile(const CreatedFile& file);

// Moves the file to FinalOutputName(file.path, base, extension) without
// ever replacing anything there (a name taken meanwhile gives the next free
// one) and updates file.path. Returns 0, or the errno value of the failure
// (ENOENT when the file is no longer there); it then stays where it is.
int MoveToFinalName(CreatedFile& file, const std::string& base, const std::string& extension);
