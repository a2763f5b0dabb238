#include "settings/LanguageTexts.h"

#include "settings/AppFolders.h"
#include "settings/IniDocument.h"
#include "settings/IniFile.h"

std::string g_languageFile;
LanguageTexts g_texts;

namespace {

struct CatalogueEntry {
    const char* section;
    const char* key;
    std::string* text;
};

std::vector<CatalogueEntry> Catalogue(LanguageTexts& t)
{
    auto& a = t.application;
    auto& j = t.jiemian;
    auto& s = t.tishi;
    auto& h = t.hint;
    auto& b = t.anniu;
    return {
        {"APPLICATION", "name", &a.name}, {"APPLICATION", "version", &a.version},
        {"APPLICATION", "url", &a.url},   {"JIEMIAN", "zysybrj", &j.zysybrj},
        {"JIEMIAN", "ywj", &j.ywj},       {"JIEMIAN", "spgs", &j.spgs},
        {"JIEMIAN", "spcd", &j.spcd},     {"JIEMIAN", "spdx", &j.spdx},
        {"JIEMIAN", "zl", &j.zl},         {"JIEMIAN", "zt", &j.zt},
        {"JIEMIAN", "zb", &j.zb},         {"JIEMIAN", "symtwj", &j.symtwj},
        {"JIEMIAN", "sywj", &j.sywj},     {"JIEMIAN", "ywjyy", &j.ywjyy},
        {"JIEMIAN", "dqwj", &j.dqwj},     {"JIEMIAN", "zgwj", &j.zgwj},
        {"JIEMIAN", "tz", &j.tz},         {"TISHI", "wj", &s.wj},
        {"TISHI", "wx", &s.wx},           {"TISHI", "qxtjsp", &s.qxtjsp},
        {"TISHI", "mlbcz", &s.mlbcz},     {"TISHI", "wjwc", &s.wjwc},
        {"TISHI", "wjwczg", &s.wjwczg},   {"TISHI", "wj1", &s.wj1},
        {"TISHI", "wc", &s.wc},           {"TISHI", "sb", &s.sb},
        {"TISHI", "hbsb", &s.hbsb},       {"HINT", "hbcygwj", &h.hbcygwj},
        {"HINT", "tjspwj", &h.tjspwj},    {"HINT", "sc", &h.sc},
        {"ANNIU", "tj", &b.tj},           {"ANNIU", "sc", &b.sc},
        {"ANNIU", "scsywj", &b.scsywj},   {"ANNIU", "ks", &b.ks},
        {"ANNIU", "dkml", &b.dkml},       {"ANNIU", "ll", &b.ll},
        {"TISHI", "wbl", &s.wbl},
    };
}

}  // namespace

std::string LanguageFilePath()
{
    return LanguageFilePath(g_languageFile);
}

std::string LanguageFilePath(const std::string& languageFile)
{
    return DataFolder() + "/languages/" + languageFile;
}

void ReadLanguageTexts(const std::string& languageFilePath, LanguageTexts& texts)
{
    // One open for the whole catalogue; the file is read afresh every call.
    const auto document = IniDocument::Load(languageFilePath);
    for (const CatalogueEntry& entry : Catalogue(texts))
        *entry.text = ReadText(*document, entry.section, entry.key, "");
}

std::vector<std::pair<std::string, std::string>> LanguageCatalogueKeys()
{
    LanguageTexts scratch;
    std::vector<std::pair<std::string, std::string>> keys;
    for (const CatalogueEntry& entry : Catalogue(scratch))
        keys.emplace_back(entry.section, entry.key);
    return keys;
}
