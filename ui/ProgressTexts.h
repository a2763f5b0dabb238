#pragma once

#include <string>

// The two text lines of the progress dialog.

// The file in work (the progress dialog's file line): "<path>   <percent>% <done text>".
std::string FileLabelText(const std::string& path, int percent, const std::string& doneText);

// The batch (its batch line): "<done> <of text> <total> <files text>".
std::string BatchLabelText(int done, int total, const std::string& ofText,
                           const std::string& filesText);
