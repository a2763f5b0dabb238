#pragma once

#include <string>
#include <utility>
#include <vector>

// File name of the current language file: the one setting.ini [LANGUAGE]
// file names, else the one for the desktop's locale (LanguageChoice.h).
extern std::string g_languageFile;

// One text per key of the language catalogue, grouped by section.
// Empty until ReadLanguageTexts runs. A key missing from the file gives an
// empty text, except the keys whose text was once built into the program:
// those keep that (Chinese) text, so an older language file still shows it.
// Texts with "%1" and "%2" take a path, a name or a number there.
struct LanguageTexts {
    struct Application {
        std::string name, version, url;
        // The locale of the file's language ("zh_CN", "en"), for the
        // desktop's own dialogs; empty when the file does not say.
        std::string locale;
        // The language's own name ("English", "简体中文"), for the choice of
        // languages; empty when the file does not say.
        std::string language;
    } application;
    struct Jiemian {
        std::string zysybrj, ywj, spgs, spcd, spdx, zl, zt, zb, symtwj, sywj, ywjyy, dqwj, zgwj, tz;
        // The rotation group and its three choices, the output-folder
        // label, the heading of the bit-rate column, the progress dialog's
        // check box and the title of the folder chooser.
        std::string szxzjd, ssz90, ssz180, ssz270, scml, spzl, wcdkwjj, xzscml;
        // The link that opens the choice of languages.
        std::string jmyy;
    } jiemian;
    struct Tishi {
        std::string wj, wx, qxtjsp, mlbcz, wjwc, wjwczg, wj1, wc, sb, hbsb;
        // Start refusals: nothing ticked, too many ticked (%1 the most),
        // folder not writable, not enough room.
        std::string qxxzwj, zdcl, mlbkx, kjbz;
        // Browse: the chosen folder is not valid, or cannot be written.
        std::string mlwx, mxqx;
        // The names of a batch cannot be recorded (%1 the file error).
        std::string wfjl;
        // Start-up after a killed batch: the names given back, the
        // unfinished outputs removed (as the first news, or after the names).
        std::string hfmc, scwwc, yscwwc;
        // A typed output folder that does not exist (%1): create it?
        std::string cjml;
        // Files refused when adding: several of them, one line each (%1 the
        // name, %2 why), and the reason under a single one (%1 why).
        std::string dgwj, wjyy, yy;
        // A done file's note of what it left out, %1 for the streams' names.
        std::string wbl;
        // A done file's tip: the name of its new file (%1).
        std::string xwj;
        // A language chosen in the window cannot be kept in setting.ini (%1).
        std::string yywfbc;
    } tishi;
    struct Hint {
        std::string hbcygwj, tjspwj, sc;
        // The file list, the remove-all button.
        std::string tfwj, scsywj;
        // The link to the choice of languages.
        std::string xzyy;
    } hint;
    // The captions of the bitmap buttons: add, remove, remove all, start,
    // open folder, browse. A blank in a caption is where it may break into
    // two lines.
    struct Anniu {
        std::string tj, sc, scsywj, ks, dkml, ll;
    } anniu;
    // Why an added file was refused.
    struct Yuanyin {
        std::string wsp, bsmt, wfdq, ncbz, jmq, wjj, bspt, kwj, bcz, wqx, wfdk;
    } yuanyin;
    // The file-error box, one text per kind of failure (%1 the path):
    // access denied, in use, not found, target exists, disk full, invalid
    // path, other disk, too many open files, hardware error, unknown.
    struct Wjcw {
        std::string jjfw, gxct, wzd, mbcz, cpym, wxlj, kcp, wjgd, yjcw, wzcw;
    } wjcw;
    // Why a file of a batch failed, as the window says it.
    struct Shibai {
        // A sentence for each step of the work that can fail (%1 and %2
        // where it names a codec, a container, a path, a time or an angle);
        // yyfg puts the cause (%2) after the step's sentence (%1).
        std::string zhsb, dksr, dql, szjm, dkjm, szsc, jcsc, brn, cjsc, mczy, fgsr, xwjt, dqsr,
            xrsc, wcsc, ncbz, xzbf, scbj, yyfg;
        // A file cut short: where it ends of how long it should be (%1,
        // %2), or only where it ends; then, when an index tells, how many
        // of its listed units were read (%1 of %2, %3 the units' word:
        // pictures, sound packets, packets).
        std::string bwz, bwz1, sysl, hm, yb, sjb;
        // Causes worth their own words: no space, file too large, no
        // permission, read-only disk, damaged data, no memory, a read or
        // write error, not there, ends too early, not supported.
        std::string kjbz, wjtd, mqx, zd, sjsh, nc, io, bcz, tqjs, bzc;
        // A stream by its codec's name (%1): video, sound, subtitles; the
        // name of an unknown codec; the joints of a list of streams.
        std::string sp, yp, zm, wzbm, lbfg, lbzh, ltms;
        // A few words for the status column, by step and by cause.
        std::string ddk, ddq, djm, dsc, dbrn, dcj, dmc, dfg, ddc, dxr, dbwz, dnc, dxz, dbj, dkj,
            dtd, dqx, dzd, dsh, dio, dbcz, dbzc;
        // The message at the end of a batch: one file that failed (%1 its
        // name), several, the files a failure kept from their turn, and the
        // line for the files of a long list left unnamed (%1 how many).
        std::string wjsb, dgsb, wks, gdwj;
    } shibai;
};

// The process-wide texts.
extern LanguageTexts g_texts;

// DataFolder() + "/languages/" + g_languageFile.
std::string LanguageFilePath();

// DataFolder() + "/languages/" + languageFile, for a reader that takes the
// name from setting.ini itself each time (the progress dialog).
std::string LanguageFilePath(const std::string& languageFile);

// Reads every key of the catalogue from the file into texts; a missing file
// or key gives the key's fallback (empty for most).
void ReadLanguageTexts(const std::string& languageFilePath, LanguageTexts& texts);

// Every (section, key) of the catalogue, in the order the texts are read.
std::vector<std::pair<std::string, std::string>> LanguageCatalogueKeys();

// The locale a language file speaks: its [APPLICATION] locale when given
// (localeKey), else guessed from the file's name ("chinese.ini" -> "zh_CN",
// "english.ini" -> "en", "de_DE.ini" -> "de_DE"); empty when neither tells.
std::string LanguageLocale(const std::string& languageFile, const std::string& localeKey);
