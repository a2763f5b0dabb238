#include "settings/LanguageChoice.h"

#include "settings/AppSettings.h"
#include "settings/IniFile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const char* ProcessEnv(const char* name)
{
    return std::getenv(name);
}

bool EndsWithIni(const std::string& name)
{
    if (name.size() <= 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".ini";
}

}  // namespace

std::string DesktopLocale(const EnvLookup& env)
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = env(variable);
        if (value && value[0])
            return value;
    }
    return {};
}

std::string ShippedLanguageFor(const std::string& locale)
{
    // "zh", "zh_CN.UTF-8", "zh-Hant"; not "zu" or a longer language code.
    const bool chinese =
        locale.rfind("zh", 0) == 0 && (locale.size() == 2 || locale[2] == '_' || locale[2] == '-' ||
                                       locale[2] == '.' || locale[2] == '@');
    return chinese ? "chinese.ini" : "english.ini";
}

std::string ChosenLanguageFile(const std::string& namedFile, const std::string& locale)
{
    return namedFile.empty() ? ShippedLanguageFor(locale) : namedFile;
}

std::string LanguageFileInUse(const std::string& iniPath)
{
    return LanguageFileInUse(iniPath, ProcessEnv);
}

std::string LanguageFileInUse(const std::string& iniPath, const EnvLookup& env)
{
    return ChosenLanguageFile(ReadLanguageFileName(iniPath), DesktopLocale(env));
}

std::vector<LanguageChoice> AvailableLanguages(const std::string& languagesFolder)
{
    std::vector<LanguageChoice> choices;
    std::error_code error;
    for (fs::directory_iterator it(languagesFolder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string file = it->path().filename().string();
        std::error_code kindError;
        if (!EndsWithIni(file) || !it->is_regular_file(kindError))
            continue;
        std::string name = ReadText(it->path().string(), "APPLICATION", "language", "");
        if (name.empty())
            name = file.substr(0, file.size() - 4);
        choices.push_back({file, name});
    }
    std::sort(choices.begin(), choices.end(),
              [](const LanguageChoice& a, const LanguageChoice& b) { return a.file < b.file; });
    return choices;
}
