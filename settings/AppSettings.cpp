#include "settings/AppSettings.h"

#include "settings/IniFile.h"

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
