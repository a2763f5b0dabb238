#include "ui/ProgressTexts.h"

std::string FileLabelText(const std::string& path, int percent, const std::string& doneText)
{
    return path + "   " + std::to_string(percent) + "% " + doneText;
}

std::string BatchLabelText(int done, int total, const std::string& ofText,
                           const std::string& filesText)
{
    return std::to_string(done) + " " + ofText + " " + std::to_string(total) + " " + filesText;
}
