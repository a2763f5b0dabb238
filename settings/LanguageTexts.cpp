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

// One line per text: a table, long by its nature, so kept as one function.
std::vector<CatalogueEntry> Catalogue(LanguageTexts& t)
{
    auto& a = t.application;
    auto& window = t.window;
    auto& prompts = t.prompts;
    auto& tips = t.tips;
    auto& captions = t.captions;
    auto& refusals = t.refusals;
    auto& fileErrors = t.fileErrors;
    auto& failures = t.failures;
    return {
        {"APPLICATION", "name", &a.name},
        {"APPLICATION", "version", &a.version},
        {"APPLICATION", "url", &a.url},
        {"APPLICATION", "locale", &a.locale},
        {"APPLICATION", "language", &a.language},
        {"JIEMIAN", "zysybrj", &window.helpLink},
        {"JIEMIAN", "ywj", &window.fileColumn},
        {"JIEMIAN", "spgs", &window.formatColumn},
        {"JIEMIAN", "spcd", &window.durationColumn},
        {"JIEMIAN", "spdx", &window.sizeColumn},
        {"JIEMIAN", "zl", &window.frameRateColumn},
        {"JIEMIAN", "zt", &window.statusColumn},
        {"JIEMIAN", "zb", &window.ready},
        {"JIEMIAN", "symtwj", &window.videoFilesFilter},
        {"JIEMIAN", "sywj", &window.allFilesFilter},
        {"JIEMIAN", "ywjyy", &window.sameAsSource},
        {"JIEMIAN", "dqwj", &window.currentFile},
        {"JIEMIAN", "zgwj", &window.overall},
        {"JIEMIAN", "tz", &window.stop},
        {"JIEMIAN", "szxzjd", &window.rotationGroup, "设置旋转角度"},
        {"JIEMIAN", "ssz90", &window.rotate90, "顺时针旋转90度"},
        {"JIEMIAN", "ssz180", &window.rotate180, "顺时针旋转180度"},
        {"JIEMIAN", "ssz270", &window.rotate270, "顺时针旋转270度"},
        {"JIEMIAN", "scml", &window.outputFolder, "输出目录"},
        {"JIEMIAN", "spzl", &window.bitRateColumn, "视频质量"},
        {"JIEMIAN", "wcdkwjj", &window.openFolderWhenDone, "完成后打开文件夹"},
        {"JIEMIAN", "xzscml", &window.chooseOutputFolder, "Please select output folder:"},
        {"JIEMIAN", "jmyy", &window.languageLink, "语言"},
        {"JIEMIAN", "jx", &window.mirrored, "镜像"},
        {"JIEMIAN", "zz90", &window.turn90, "本文件顺时针旋转90度"},
        {"JIEMIAN", "zz180", &window.turn180, "本文件旋转180度"},
        {"JIEMIAN", "zz270", &window.turn270, "本文件顺时针旋转270度"},
        {"JIEMIAN", "gszz", &window.followGroup, "按旋转角度设置"},
        {"JIEMIAN", "bxz", &window.nothingToTurn, "不需旋转，开始时跳过"},
        {"JIEMIAN", "bxzd", &window.nothingToTurnShort, "不需旋转"},
        {"JIEMIAN", "zxz", &window.ownTurn, "本文件旋转%1°"},
        {"JIEMIAN", "zxzd", &window.ownTurnShort, "旋转%1°"},
        {"JIEMIAN", "wjmq", &window.noDecoderFor, "没有%1解码器，无法显示画面"},
        {"JIEMIAN", "wfjm", &window.pictureUndecodable, "开头的画面无法解码"},
        {"JIEMIAN", "dqhm", &window.nowView, "现在"},
        {"JIEMIAN", "xzhhm", &window.afterView, "旋转后"},
        {"JIEMIAN", "tjwjj", &window.addFolderLink, "添加文件夹"},
        {"JIEMIAN", "xzspwjj", &window.chooseAddFolder, "选择视频所在的文件夹"},
        {"JIEMIAN", "zzcz", &window.folderScanning, "正在查找：%1 个文件夹，找到 %2 个视频"},
        {"JIEMIAN", "tzcz", &window.stopScanning, "停止查找"},
        {"TISHI", "wj", &prompts.theFile},
        {"TISHI", "wx", &prompts.notRotatable},
        {"TISHI", "qxtjsp", &prompts.addVideosFirst},
        {"TISHI", "mlbcz", &prompts.folderMissing},
        {"TISHI", "wjwc", &prompts.fileDone},
        {"TISHI", "wjwczg", &prompts.batchOf},
        {"TISHI", "wj1", &prompts.filesDone},
        {"TISHI", "wc", &prompts.done},
        {"TISHI", "sb", &prompts.failed},
        {"TISHI", "hbsb", &prompts.lastFileFailed},
        {"TISHI", "qxxzwj", &prompts.tickFilesFirst, "请先选中文件!"},
        {"TISHI", "zdcl", &prompts.tooManyTicked, "一次最多只能处理%1个文件，请减少选中的文件!"},
        {"TISHI", "mlbkx", &prompts.folderNotWritable,
         "MP4文件生成失败，请点击浏览按钮选择保存到其他目录!"},
        {"TISHI", "kjbz", &prompts.notEnoughSpace,
         "磁盘可用容量不够，请点击浏览按钮选择保存到其他盘!"},
        {"TISHI", "mlwx", &prompts.folderNotValid, "目录无效!请点击浏览按钮选择保存其他目录"},
        {"TISHI", "mxqx", &prompts.folderNotWritableChosen, "没有写权限，请保存到其他目录!"},
        {"TISHI", "wfjl", &prompts.namesNotRecorded,
         "无法记录临时文件名，为保证文件安全，转换未开始：%1"},
        {"TISHI", "hfmc", &prompts.namesGivenBack,
         "上次转换没有正常结束，以下文件已恢复原来的名称："},
        {"TISHI", "scwwc", &prompts.unfinishedOutputsRemoved,
         "上次转换没有正常结束，以下未完成的输出文件已删除："},
        {"TISHI", "yscwwc", &prompts.alsoUnfinishedOutputsRemoved, "以下未完成的输出文件已删除："},
        {"TISHI", "cjml", &prompts.createFolder, "输出文件夹 %1 不存在。要创建这个文件夹吗？"},
        {"TISHI", "wjjtj", &prompts.videosAddedFromFolders, "已从 %2 个文件夹添加 %1 个视频。"},
        {"TISHI", "dgwj", &prompts.filesNotAdded, "以下文件不是可以旋转的视频文件，无法添加："},
        {"TISHI", "wjyy", &prompts.fileAndReason, "%1：%2"},
        {"TISHI", "yy", &prompts.reason, "原因：%1"},
        {"HINT", "hbcygwj", &tips.start},
        {"HINT", "tjspwj", &tips.addFiles},
        {"HINT", "sc", &tips.remove},
        {"HINT", "tfwj", &tips.fileList, "拖放文件到这里"},
        {"HINT", "scsywj", &tips.removeAll, "删除所有文件"},
        {"HINT", "xzyy", &tips.languageLink, "选择界面语言"},
        {"ANNIU", "tj", &captions.addFiles, "添加"},
        {"ANNIU", "sc", &captions.remove, "删除"},
        {"ANNIU", "scsywj", &captions.removeAll, "删除 所有文件"},
        {"ANNIU", "ks", &captions.start, "开始"},
        {"ANNIU", "dkml", &captions.openFolder, "打开目录"},
        {"ANNIU", "ll", &captions.browse, "浏览"},
        {"YUANYIN", "wsp", &refusals.noVideoStream, "没有视频流"},
        {"YUANYIN", "bsmt", &refusals.notMedia, "不是可以读取的媒体文件"},
        {"YUANYIN", "wfdq", &refusals.streamsUnreadable, "无法读取其中的流信息"},
        {"YUANYIN", "ncbz", &refusals.outOfMemory, "读取时内存不足"},
        {"YUANYIN", "jmq", &refusals.noDecoder, "无法打开其中一个流的解码器"},
        {"YUANYIN", "wjj", &refusals.isFolder, "是文件夹，不是文件"},
        {"YUANYIN", "bspt", &refusals.notRegularFile, "不是普通文件"},
        {"YUANYIN", "kwj", &refusals.empty, "是空文件"},
        {"YUANYIN", "bcz", &refusals.missing, "文件不存在"},
        {"YUANYIN", "wqx", &refusals.notReadable, "没有读取权限"},
        {"YUANYIN", "wfdk", &refusals.cannotOpen, "无法打开"},
        {"YUANYIN", "ybdy", &refusals.samplesOverclaimed, "其中的表列出的样本多于文件所含"},
        {"YUANYIN", "lgd", &refusals.tooManyStreams, "其中的流超过 100 个"},
        {"WJCW", "jjfw", &fileErrors.accessDenied, "拒绝访问 %1。"},
        {"WJCW", "gxct", &fileErrors.inUse, "访问 %1 时遇到了共享冲突。"},
        {"WJCW", "wzd", &fileErrors.notFound, "未找到 %1。"},
        {"WJCW", "mbcz", &fileErrors.targetExists, "无法移动 %1，目标文件已存在。"},
        {"WJCW", "cpym", &fileErrors.diskFull, "磁盘已满，无法访问 %1。"},
        {"WJCW", "wxlj", &fileErrors.invalidPath, "%1 包含无效路径。"},
        {"WJCW", "kcp", &fileErrors.otherDisk, "无法将 %1 移动到另一个磁盘。"},
        {"WJCW", "wjgd", &fileErrors.tooManyOpen, "打开的文件过多，无法访问 %1。"},
        {"WJCW", "yjcw", &fileErrors.hardwareError, "读写 %1 时发生硬件 I/O 错误。"},
        {"WJCW", "wzcw", &fileErrors.unknown, "访问 %1 时发生未知错误。"},
        {"TISHI", "wbl", &prompts.leftOut, "未保留%1：输出文件的格式无法容纳"},
        {"TISHI", "xwj", &prompts.newFile, "新文件：%1"},
        {"TISHI", "yywfbc", &prompts.languageNotKept,
         "无法把语言选择保存到 %1，下次启动时仍使用原来的语言。"},
        {"SHIBAI", "zhsb", &failures.rotationFailed, "转换失败"},
        {"SHIBAI", "dksr", &failures.openInput, "无法打开源文件"},
        {"SHIBAI", "dql", &failures.readStreams, "无法读取源文件中的流信息"},
        {"SHIBAI", "szjm", &failures.setUpDecoder, "无法设置%1解码器"},
        {"SHIBAI", "dkjm", &failures.openDecoder, "无法打开%1解码器"},
        {"SHIBAI", "szsc", &failures.setUpOutputStreams, "无法设置输出文件中的流"},
        {"SHIBAI", "jcsc", &failures.checkOutputStreams, "无法检查输出文件中的流"},
        {"SHIBAI", "brn", &failures.cannotHold, "%1格式的文件无法容纳%2"},
        {"SHIBAI", "cjsc", &failures.createOutput, "无法创建输出文件 %1"},
        {"SHIBAI", "mczy", &failures.namesTaken, "输出文件名 %1 及其后的名称都已被占用"},
        {"SHIBAI", "fgsr", &failures.wouldReplaceInput, "输出文件会替换源文件"},
        {"SHIBAI", "xwjt", &failures.writeHeader, "无法写入输出文件的文件头"},
        {"SHIBAI", "dqsr", &failures.readInput, "无法读取源文件"},
        {"SHIBAI", "xrsc", &failures.writeOutput, "无法写入输出文件"},
        {"SHIBAI", "wcsc", &failures.completeOutput, "无法完成输出文件"},
        {"SHIBAI", "ncbz", &failures.outOfMemory, "内存不足"},
        {"SHIBAI", "xzbf", &failures.rotationNotWritten, "写好的文件显示旋转 %1 度，而不是 %2 度"},
        {"SHIBAI", "scbj", &failures.outputGone, "输出文件 %1 不见了"},
        {"SHIBAI", "yyfg", &failures.stepAndCause, "%1：%2"},
        {"SHIBAI", "ybdy", &failures.samplesOverclaimed, "源文件中的表列出的样本多于文件所含"},
        {"SHIBAI", "lgd", &failures.tooManyStreams, "源文件的流超过 100 个"},
        {"SHIBAI", "srbh", &failures.inputChanged, "复制过程中源文件被改动了"},
        {"SHIBAI", "bwz", &failures.cutShortOf, "源文件不完整：在 %1 处中断，应有 %2"},
        {"SHIBAI", "bwz1", &failures.cutShort, "源文件不完整：在 %1 处中断"},
        {"SHIBAI", "sysl", &failures.indexCount, "（索引列出 %2 个%3，只读到 %1 个）"},
        {"SHIBAI", "hm", &failures.pictures, "画面"},
        {"SHIBAI", "yb", &failures.soundPackets, "音频包"},
        {"SHIBAI", "sjb", &failures.packets, "数据包"},
        {"SHIBAI", "kjbz", &failures.noSpace, "磁盘空间不足"},
        {"SHIBAI", "wjtd", &failures.fileTooLarge, "文件太大，磁盘无法存放"},
        {"SHIBAI", "mqx", &failures.permissionDenied, "没有权限"},
        {"SHIBAI", "zd", &failures.readOnlyDisk, "磁盘是只读的"},
        {"SHIBAI", "sjsh", &failures.damagedData, "数据已损坏"},
        {"SHIBAI", "nc", &failures.noMemory, "内存不足"},
        {"SHIBAI", "io", &failures.ioError, "磁盘读写出错"},
        {"SHIBAI", "bcz", &failures.notThere, "文件或文件夹不存在"},
        {"SHIBAI", "tqjs", &failures.endsEarly, "文件提前结束"},
        {"SHIBAI", "bzc", &failures.notSupported, "不支持"},
        {"SHIBAI", "sp", &failures.video, "%1视频"},
        {"SHIBAI", "yp", &failures.sound, "%1音频"},
        {"SHIBAI", "zm", &failures.subtitles, "%1字幕"},
        {"SHIBAI", "wzbm", &failures.unknownCodec, "未知"},
        {"SHIBAI", "lbfg", &failures.listSeparator, "、"},
        {"SHIBAI", "lbzh", &failures.listLastSeparator, "和"},
        {"SHIBAI", "ltms", &failures.stereoMode, "%1的立体（3D）模式"},
        {"SHIBAI", "fmtp", &failures.coverPicture, "%1封面图片"},
        {"SHIBAI", "ddk", &failures.shortCannotOpen, "无法打开"},
        {"SHIBAI", "ddq", &failures.shortUnreadable, "无法读取"},
        {"SHIBAI", "djm", &failures.shortDecoder, "解码器出错"},
        {"SHIBAI", "dsc", &failures.shortOutput, "输出出错"},
        {"SHIBAI", "dbrn", &failures.shortCannotHold, "编码不支持"},
        {"SHIBAI", "dcj", &failures.shortCannotCreate, "无法创建"},
        {"SHIBAI", "dmc", &failures.shortNameTaken, "名称已占用"},
        {"SHIBAI", "dfg", &failures.shortSameAsInput, "会覆盖源文件"},
        {"SHIBAI", "ddc", &failures.shortReadError, "读取出错"},
        {"SHIBAI", "dxr", &failures.shortWriteError, "写入出错"},
        {"SHIBAI", "dbwz", &failures.shortCutShort, "不完整"},
        {"SHIBAI", "dnc", &failures.shortOutOfMemory, "内存不足"},
        {"SHIBAI", "dxz", &failures.shortNotRotated, "旋转未写入"},
        {"SHIBAI", "dbj", &failures.shortOutputGone, "输出已丢失"},
        {"SHIBAI", "dkj", &failures.shortDiskFull, "磁盘已满"},
        {"SHIBAI", "dtd", &failures.shortTooLarge, "文件太大"},
        {"SHIBAI", "dqx", &failures.shortNoAccess, "没有权限"},
        {"SHIBAI", "dzd", &failures.shortReadOnly, "磁盘只读"},
        {"SHIBAI", "dsh", &failures.shortDamaged, "已损坏"},
        {"SHIBAI", "dio", &failures.shortIoError, "读写错误"},
        {"SHIBAI", "dbcz", &failures.shortNotFound, "文件不存在"},
        {"SHIBAI", "dbzc", &failures.shortUnsupported, "不支持"},
        {"SHIBAI", "dbdy", &failures.shortBadTables, "索引有误"},
        {"SHIBAI", "dlgd", &failures.shortTooManyStreams, "流过多"},
        {"SHIBAI", "dsrbh", &failures.shortInputChanged, "源文件被改动"},
        {"SHIBAI", "wjsb", &failures.oneFileFailed, "文件 %1 没有旋转成功。"},
        {"SHIBAI", "dgsb", &failures.filesFailed, "以下文件没有旋转成功："},
        {"SHIBAI", "wks", &failures.filesNotReached, "转换到此结束，以下文件没有旋转："},
        {"SHIBAI", "gdwj", &failures.moreFiles, "……另有 %1 个文件"},
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
