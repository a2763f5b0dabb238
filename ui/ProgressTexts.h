#pragma once

#include <string>

// The two text lines of the progress dialog.

// The file in work (label 1018): "<path>   <percent>% <done text>".
std::string FileLabelText(const std::string& path, int percent, const std::string& doneText);

// The batch (label 1019): "<done> <of text> <total> <files text>".
std::string BatchLabelText(int done, int total, const std::string& ofText,
                           const std::string& filesText);
