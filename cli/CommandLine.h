#pragma once

#include <string>
#include <vector>

// Exit statuses of fennex-rotate.
inline constexpr int kExitAllDone = 0;
inline constexpr int kExitSomeNotDone = 1;  // a file was rejected, failed or stopped
inline constexpr int kExitUsage = 2;        // bad options or output folder

// What the user asked for on the command line.
struct CommandLine {
    bool help = false;
    bool version = false;
    bool verbose = false;
    int rotation_deg = 0;  // the first --rotate: 90, 180 or 270 once parsed without error
    std::string output_folder;
    std::vector<std::string> files;
    // The turn of each file, by index into files: the last --rotate before
    // it, or the first --rotate for files that come before any.
    std::vector<int> turns;
    // Empty when the arguments make sense; otherwise what is wrong with them.
    std::string error;
};

// Parses the arguments after the program name. Accepts "--opt value" and
// "--opt=value"; "--" ends the options so that file names may start with '-'.
// Each --rotate applies to the files after it, up to the next --rotate.
// With --help or --version (the first of them given) nothing else is checked.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text --help prints.
std::string UsageText();

// The line --version prints: the program's name and the project's version.
std::string VersionText();
