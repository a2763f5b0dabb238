#include "settings/LanguageTexts.h"

#include "settings/AppFolders.h"
#include "settings/IniDocument.h"
#include "settings/IniFile.h"

#include <algorithm>
#include <cctype>

std::string g_languageFile;
LanguageTexts g_texts;

namespace {

struct CatalogueEntry {
    const char* section;
    const char* key;
    std::string* text;
    // What a file without the key gives: the text the program showed before
    // the key existed.
    const char* fallback = "";
};

std::vector<CatalogueEntry> Catalogue(LanguageTexts& t)
{
    auto& a = t.application;
    auto& j = t.jiemian;
    auto& s = t.tishi;
    auto& h = t.hint;
    auto& b = t.anniu;
    auto& y = t.yuanyin;
    auto& w = t.wjcw;
    auto& f = t.shibai;
    return {
        {"APPLICATION", "name", &a.name},
        {"APPLICATION", "version", &a.version},
        {"APPLICATION", "url", &a.url},
        {"APPLICATION", "locale", &a.locale},
        {"APPLICATION", "language", &a.language},
        {"JIEMIAN", "zysybrj", &j.zysybrj},
        {"JIEMIAN", "ywj", &j.ywj},
        {"JIEMIAN", "spgs", &j.spgs},
        {"JIEMIAN", "spcd", &j.spcd},
        {"JIEMIAN", "spdx", &j.spdx},
        {"JIEMIAN", "zl", &j.zl},
        {"JIEMIAN", "zt", &j.zt},
        {"JIEMIAN", "zb", &j.zb},
        {"JIEMIAN", "symtwj", &j.symtwj},
        {"JIEMIAN", "sywj", &j.sywj},
        {"JIEMIAN", "ywjyy", &j.ywjyy},
        {"JIEMIAN", "dqwj", &j.dqwj},
        {"JIEMIAN", "zgwj", &j.zgwj},
        {"JIEMIAN", "tz", &j.tz},
        {"JIEMIAN", "szxzjd", &j.szxzjd, "设置旋转角度"},
        {"JIEMIAN", "ssz90", &j.ssz90, "顺时针旋转90度"},
        {"JIEMIAN", "ssz180", &j.ssz180, "顺时针旋转180度"},
        {"JIEMIAN", "ssz270", &j.ssz270, "顺时针旋转270度"},
        {"JIEMIAN", "scml", &j.scml, "输出目录"},
        {"JIEMIAN", "spzl", &j.spzl, "视频质量"},
        {"JIEMIAN", "wcdkwjj", &j.wcdkwjj, "完成后打开文件夹"},
        {"JIEMIAN", "xzscml", &j.xzscml, "Please select output folder:"},
        {"JIEMIAN", "jmyy", &j.jmyy, "语言"},
        {"TISHI", "wj", &s.wj},
        {"TISHI", "wx", &s.wx},
        {"TISHI", "qxtjsp", &s.qxtjsp},
        {"TISHI", "mlbcz", &s.mlbcz},
        {"TISHI", "wjwc", &s.wjwc},
        {"TISHI", "wjwczg", &s.wjwczg},
        {"TISHI", "wj1", &s.wj1},
        {"TISHI", "wc", &s.wc},
        {"TISHI", "sb", &s.sb},
        {"TISHI", "hbsb", &s.hbsb},
        {"TISHI", "qxxzwj", &s.qxxzwj, "请先选中文件!"},
        {"TISHI", "zdcl", &s.zdcl, "一次最多只能处理%1个文件，请减少选中的文件!"},
        {"TISHI", "mlbkx", &s.mlbkx, "MP4文件生成失败，请点击浏览按钮选择保存到其他目录!"},
        {"TISHI", "kjbz", &s.kjbz, "磁盘可用容量不够，请点击浏览按钮选择保存到其他盘!"},
        {"TISHI", "mlwx", &s.mlwx, "目录无效!请点击浏览按钮选择保存其他目录"},
        {"TISHI", "mxqx", &s.mxqx, "没有写权限，请保存到其他目录!"},
        {"TISHI", "wfjl", &s.wfjl, "无法记录临时文件名，为保证文件安全，转换未开始：%1"},
        {"TISHI", "hfmc", &s.hfmc, "上次转换没有正常结束，以下文件已恢复原来的名称："},
        {"TISHI", "scwwc", &s.scwwc, "上次转换没有正常结束，以下未完成的输出文件已删除："},
        {"TISHI", "yscwwc", &s.yscwwc, "以下未完成的输出文件已删除："},
        {"TISHI", "cjml", &s.cjml, "输出文件夹 %1 不存在。要创建这个文件夹吗？"},
        {"TISHI", "dgwj", &s.dgwj, "以下文件不是可以旋转的视频文件，无法添加："},
        {"TISHI", "wjyy", &s.wjyy, "%1：%2"},
        {"TISHI", "yy", &s.yy, "原因：%1"},
        {"HINT", "hbcygwj", &h.hbcygwj},
        {"HINT", "tjspwj", &h.tjspwj},
        {"HINT", "sc", &h.sc},
        {"HINT", "tfwj", &h.tfwj, "拖放文件到这里"},
        {"HINT", "scsywj", &h.scsywj, "删除所有文件"},
        {"HINT", "xzyy", &h.xzyy, "选择界面语言"},
        {"ANNIU", "tj", &b.tj, "添加"},
        {"ANNIU", "sc", &b.sc, "删除"},
        {"ANNIU", "scsywj", &b.scsywj, "删除 所有文件"},
        {"ANNIU", "ks", &b.ks, "开始"},
        {"ANNIU", "dkml", &b.dkml, "打开目录"},
        {"ANNIU", "ll", &b.ll, "浏览"},
        {"YUANYIN", "wsp", &y.wsp, "没有视频流"},
        {"YUANYIN", "bsmt", &y.bsmt, "不是可以读取的媒体文件"},
        {"YUANYIN", "wfdq", &y.wfdq, "无法读取其中的流信息"},
        {"YUANYIN", "ncbz", &y.ncbz, "读取时内存不足"},
        {"YUANYIN", "jmq", &y.jmq, "无法打开其中一个流的解码器"},
        {"YUANYIN", "wjj", &y.wjj, "是文件夹，不是文件"},
        {"YUANYIN", "bspt", &y.bspt, "不是普通文件"},
        {"YUANYIN", "kwj", &y.kwj, "是空文件"},
        {"YUANYIN", "bcz", &y.bcz, "文件不存在"},
        {"YUANYIN", "wqx", &y.wqx, "没有读取权限"},
        {"YUANYIN", "wfdk", &y.wfdk, "无法打开"},
        {"WJCW", "jjfw", &w.jjfw, "拒绝访问 %1。"},
        {"WJCW", "gxct", &w.gxct, "访问 %1 时遇到了共享冲突。"},
        {"WJCW", "wzd", &w.wzd, "未找到 %1。"},
        {"WJCW", "mbcz", &w.mbcz, "无法移动 %1，目标文件已存在。"},
        {"WJCW", "cpym", &w.cpym, "磁盘已满，无法访问 %1。"},
        {"WJCW", "wxlj", &w.wxlj, "%1 包含无效路径。"},
        {"WJCW", "kcp", &w.kcp, "无法将 %1 移动到另一个磁盘。"},
        {"WJCW", "wjgd", &w.wjgd, "打开的文件过多，无法访问 %1。"},
        {"WJCW", "yjcw", &w.yjcw, "读写 %1 时发生硬件 I/O 错误。"},
        {"WJCW", "wzcw", &w.wzcw, "访问 %1 时发生未知错误。"},
        {"TISHI", "wbl", &s.wbl, "未保留%1：输出文件的格式无法容纳"},
        {"TISHI", "xwj", &s.xwj, "新文件：%1"},
        {"TISHI", "yywfbc", &s.yywfbc, "无法把语言选择保存到 %1，下次启动时仍使用原来的语言。"},
        {"SHIBAI", "zhsb", &f.zhsb, "转换失败"},
        {"SHIBAI", "dksr", &f.dksr, "无法打开源文件"},
        {"SHIBAI", "dql", &f.dql, "无法读取源文件中的流信息"},
        {"SHIBAI", "szjm", &f.szjm, "无法设置%1解码器"},
        {"SHIBAI", "dkjm", &f.dkjm, "无法打开%1解码器"},
        {"SHIBAI", "szsc", &f.szsc, "无法设置输出文件中的流"},
        {"SHIBAI", "jcsc", &f.jcsc, "无法检查输出文件中的流"},
        {"SHIBAI", "brn", &f.brn, "%1格式的文件无法容纳%2"},
        {"SHIBAI", "cjsc", &f.cjsc, "无法创建输出文件 %1"},
        {"SHIBAI", "mczy", &f.mczy, "输出文件名 %1 及其后的名称都已被占用"},
        {"SHIBAI", "fgsr", &f.fgsr, "输出文件会替换源文件"},
        {"SHIBAI", "xwjt", &f.xwjt, "无法写入输出文件的文件头"},
        {"SHIBAI", "dqsr", &f.dqsr, "无法读取源文件"},
        {"SHIBAI", "xrsc", &f.xrsc, "无法写入输出文件"},
        {"SHIBAI", "wcsc", &f.wcsc, "无法完成输出文件"},
        {"SHIBAI", "ncbz", &f.ncbz, "内存不足"},
        {"SHIBAI", "xzbf", &f.xzbf, "写好的文件显示旋转 %1 度，而不是 %2 度"},
        {"SHIBAI", "scbj", &f.scbj, "输出文件 %1 不见了"},
        {"SHIBAI", "yyfg", &f.yyfg, "%1：%2"},
        {"SHIBAI", "bwz", &f.bwz, "源文件不完整：在 %1 处中断，应有 %2"},
        {"SHIBAI", "bwz1", &f.bwz1, "源文件不完整：在 %1 处中断"},
        {"SHIBAI", "sysl", &f.sysl, "（索引列出 %2 个%3，只读到 %1 个）"},
        {"SHIBAI", "hm", &f.hm, "画面"},
        {"SHIBAI", "yb", &f.yb, "音频包"},
        {"SHIBAI", "sjb", &f.sjb, "数据包"},
        {"SHIBAI", "kjbz", &f.kjbz, "磁盘空间不足"},
        {"SHIBAI", "wjtd", &f.wjtd, "文件太大，磁盘无法存放"},
        {"SHIBAI", "mqx", &f.mqx, "没有权限"},
        {"SHIBAI", "zd", &f.zd, "磁盘是只读的"},
        {"SHIBAI", "sjsh", &f.sjsh, "数据已损坏"},
        {"SHIBAI", "nc", &f.nc, "内存不足"},
        {"SHIBAI", "io", &f.io, "磁盘读写出错"},
        {"SHIBAI", "bcz", &f.bcz, "文件或文件夹不存在"},
        {"SHIBAI", "tqjs", &f.tqjs, "文件提前结束"},
        {"SHIBAI", "bzc", &f.bzc, "不支持"},
        {"SHIBAI", "sp", &f.sp, "%1视频"},
        {"SHIBAI", "yp", &f.yp, "%1音频"},
        {"SHIBAI", "zm", &f.zm, "%1字幕"},
        {"SHIBAI", "wzbm", &f.wzbm, "未知"},
        {"SHIBAI", "lbfg", &f.lbfg, "、"},
        {"SHIBAI", "lbzh", &f.lbzh, "和"},
        {"SHIBAI", "ltms", &f.ltms, "%1的立体（3D）模式"},
        {"SHIBAI", "ddk", &f.ddk, "无法打开"},
        {"SHIBAI", "ddq", &f.ddq, "无法读取"},
        {"SHIBAI", "djm", &f.djm, "解码器出错"},
        {"SHIBAI", "dsc", &f.dsc, "输出出错"},
        {"SHIBAI", "dbrn", &f.dbrn, "编码不支持"},
        {"SHIBAI", "dcj", &f.dcj, "无法创建"},
        {"SHIBAI", "dmc", &f.dmc, "名称已占用"},
        {"SHIBAI", "dfg", &f.dfg, "会覆盖源文件"},
        {"SHIBAI", "ddc", &f.ddc, "读取出错"},
        {"SHIBAI", "dxr", &f.dxr, "写入出错"},
        {"SHIBAI", "dbwz", &f.dbwz, "不完整"},
        {"SHIBAI", "dnc", &f.dnc, "内存不足"},
        {"SHIBAI", "dxz", &f.dxz, "旋转未写入"},
        {"SHIBAI", "dbj", &f.dbj, "输出已丢失"},
        {"SHIBAI", "dkj", &f.dkj, "磁盘已满"},
        {"SHIBAI", "dtd", &f.dtd, "文件太大"},
        {"SHIBAI", "dqx", &f.dqx, "没有权限"},
        {"SHIBAI", "dzd", &f.dzd, "磁盘只读"},
        {"SHIBAI", "dsh", &f.dsh, "已损坏"},
        {"SHIBAI", "dio", &f.dio, "读写错误"},
        {"SHIBAI", "dbcz", &f.dbcz, "文件不存在"},
        {"SHIBAI", "dbzc", &f.dbzc, "不支持"},
        {"SHIBAI", "wjsb", &f.wjsb, "文件 %1 没有旋转成功。"},
        {"SHIBAI", "dgsb", &f.dgsb, "以下文件没有旋转成功："},
        {"SHIBAI", "wks", &f.wks, "转换到此结束，以下文件没有旋转："},
        {"SHIBAI", "gdwj", &f.gdwj, "……另有 %1 个文件"},
    };
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// "de", "de_DE", "pt_BR", "zh_Hans_CN": letters and underscores, starting
// with a two- or three-letter language.
bool LooksLikeLocale(const std::string& name)
{
    std::size_t language = 0;
    while (language < name.size() && std::islower(static_cast<unsigned char>(name[language])))
        ++language;
    if (language < 2 || language > 3)
        return false;
    for (std::size_t i = language; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (!std::isalnum(c) && c != '_' && c != '-')
            return false;
    }
    return language == name.size() || name[language] == '_' || name[language] == '-';
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
        *entry.text = ReadText(*document, entry.section, entry.key, entry.fallback);
}

std::vector<std::pair<std::string, std::string>> LanguageCatalogueKeys()
{
    LanguageTexts scratch;
    std::vector<std::pair<std::string, std::string>> keys;
    for (const CatalogueEntry& entry : Catalogue(scratch))
        keys.emplace_back(entry.section, entry.key);
    return keys;
}

std::string LanguageLocale(const std::string& languageFile, const std::string& localeKey)
{
    if (!localeKey.empty())
        return localeKey;
    std::string name = languageFile.substr(languageFile.find_last_of('/') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    const std::string lower = Lower(name);
    static const std::pair<const char*, const char*> known[] = {{"chinese", "zh_CN"},
                                                                {"simplified chinese", "zh_CN"},
                                                                {"简体中文", "zh_CN"},
                                                                {"中文", "zh_CN"},
                                                                {"traditional chinese", "zh_TW"},
                                                                {"繁體中文", "zh_TW"},
                                                                {"english", "en"},
                                                                {"german", "de"},
                                                                {"deutsch", "de"},
                                                                {"french", "fr"},
                                                                {"francais", "fr"},
                                                                {"français", "fr"},
                                                                {"spanish", "es"},
                                                                {"espanol", "es"},
                                                                {"español", "es"},
                                                                {"japanese", "ja"},
                                                                {"日本語", "ja"},
                                                                {"korean", "ko"},
                                                                {"한국어", "ko"},
                                                                {"russian", "ru"},
                                                                {"italian", "it"},
                                                                {"portuguese", "pt_BR"}};
    for (const auto& [fileName, locale] : known) {
        if (lower == fileName)
            return locale;
    }
    if (LooksLikeLocale(name))
        return name;
    return {};
}
