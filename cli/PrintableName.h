#pragma once

#include <string>

// A file name as the command line prints it: as it is, unless it holds a
// control character (a newline, a carriage return, an escape sequence),
// which could forge a line of its own or redraw the terminal. Such a name
// is shell-quoted as `ls` does, $'...' with \n, \t, \r, \e, \\, \' and
// \xHH, so that every line printed stays one file and the quoted name can
// be pasted back into a shell.
std::string PrintableName(const std::string& name);
