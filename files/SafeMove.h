#pragma once

#include <string>

// Moves (renames) a file without ever replacing what is at the target: the
// move fails with EEXIST when the target name is taken. Returns 0 on
// success, otherwise the errno value of the failure.
int MoveWithoutReplacing(const std::string& from, const std::string& to);
