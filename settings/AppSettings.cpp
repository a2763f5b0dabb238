#include "settings/AppSettings.h"

#include "settings/IniFile.h"

#include <cstdio>

std::string ReadLanguageFileName(const std::string& iniPath)
{
    return ReadText(iniPath, "LANGUAGE", "file", "");
}

bool WriteLanguageFileName(const std::string& iniPath, const std::string& file)
{
    return WriteText(iniPath, "LANGUAGE", "file", file);
}

std::string ReadOutputFolder(const std::string& iniPath)
{
    return ReadText(iniPath, "PATH", "name", "");
}

bool WriteOutputFolder(const std::string& iniPath, const std::string& folder)
{
    return WriteText(iniPath, "PATH", "name", folder);
}

std::string ReadAddFolder(const std::string& iniPath)
{
    return ReadText(iniPath, "PATH", "input", "");
}

bool WriteAddFolder(const std::string& iniPath, const std::string& folder)
{
    return WriteText(iniPath, "PATH", "input", folder);
}

bool ReadOpenFolderAfterBatch(const std::string& iniPath)
{
    return ReadText(iniPath, "DIR", "open", "1") == "1";
}

bool WriteOpenFolderAfterBatch(const std::string& iniPath, bool open)
{
    return WriteText(iniPath, "DIR", "open", open ? "1" : "0");
}

WindowPlace ReadWindowPlace(const std::string& iniPath)
{
    const std::string text = ReadText(iniPath, "WINDOW", "place", "");
    WindowPlace place;
    int maximised = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d,%d%c", &place.x, &place.y, &place.width,
                    &place.height, &maximised, &end) != 5)
        return {};
    if (place.width <= 0 || place.height <= 0 || (maximised != 0 && maximised != 1))
        return {};
    place.maximised = maximised == 1;
    place.valid = true;
    return place;
}

bool WriteWindowPlace(const std::string& iniPath, const WindowPlace& place)
{
    const std::string text = std::to_string(place.x) + ',' + std::to_string(place.y) + ',' +
                             std::to_string(place.width) + ',' + std::to_string(place.height) +
                             ',' + (place.maximised ? '1' : '0');
    return WriteText(iniPath, "WINDOW", "place", text);
}
