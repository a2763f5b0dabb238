#pragma once

#include "files/CreatedFile.h"

#include <string>

// Moves the output the worker created to FinalOutputName(file.path, base,
// extension) without ever replacing anything there (a name taken meanwhile
// gives the next free one) and updates file.path. Only that very file is
// moved. Returns 0, or the errno value of the failure (ENOENT when the file
// is no longer there); it then stays where it is.
int MoveToFinalName(CreatedFile& file, const std::string& base, const std::string& extension);
