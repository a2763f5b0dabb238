#pragma once

#include "engine/ConversionJob.h"

#include <cstdint>
#include <string>

// The output file the worker created for a position, known by its device
// and inode (and birth time, where kept): whatever else appears under its
// name is never moved or removed in its place.
using CreatedFile = ConversionJob::CreatedFile;

// The birth time of the file at file.path in nanoseconds, when that is the
// file of file's device and inode and the file system keeps one; else 0.
// A file made later under a freed inode number has another, so together
// with device and inode it tells the created file from any that follows.
std::uint64_t BirthTimeOf(const CreatedFile& file);

// True while file.path names that very file (born, when not 0, is its
// BirthTimeOf as taken right after it was created).
bool IsStillCreatedFile(const CreatedFile& file, std::uint64_t born = 0);

// Removes file.path when it is still that file; anything else is left
// alone. Returns whether it removed it.
bool RemoveCreatedFile(const CreatedFile& file, std::uint64_t born = 0);

// Moves the file to FinalOutputName(file.path, base, extension) without
// ever replacing anything there (a name taken meanwhile gives the next free
// one) and updates file.path. Returns 0, or the errno value of the failure
// (ENOENT when the file is no longer there); it then stays where it is.
int MoveToFinalName(CreatedFile& file, const std::string& base, const std::string& extension,
                    std::uint64_t born = 0);
