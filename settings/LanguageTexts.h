#pragma once

#include <string>
#include <utility>
#include <vector>

// File name of the current language file: the one setting.ini [LANGUAGE]
// file names, else the one for the desktop's locale (LanguageChoice.h).
extern std::string g_languageFile;

// One text per key of the language catalogue, grouped by what the texts
// are for and named by meaning; the language files keep their own sections
// and keys ([JIEMIAN] zb, [TISHI] cjml, ...), which the catalogue in
// LanguageTexts.cpp maps to these names once.
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
    // The window's own words: the help link, the list's column headings
    // and "ready", the Add dialog's filters, the progress dialog's
    // captions and stop button, the rotation group and its three choices,
    // the output-folder label, the progress dialog's check box and the
    // title of the folder chooser.
    struct Window {
        std::string helpLink, fileColumn, formatColumn, durationColumn, sizeColumn, frameRateColumn,
            statusColumn, ready, videoFilesFilter, allFilesFilter, sameAsSource, currentFile,
            overall, stop;
        std::string rotationGroup, rotate90, rotate180, rotate270, outputFolder, bitRateColumn,
            openFolderWhenDone, chooseOutputFolder;
        // The link that opens the choice of languages.
        std::string languageLink;
        // A picture per row: the rotation column's heading and the word
        // for a mirroring matrix; the row's menu of turns (90, 180, 270
        // clockwise, follow the rotation group); a row whose own turn is
        // 0° (nothing to do, Start leaves it out); a row's own turn (%1
        // degrees); why a row has no picture: no decoder for %1, nothing
        // decodes.
        std::string mirrored, turn90, turn180, turn270, followGroup, nothingToTurn,
            nothingToTurnShort, ownTurn, ownTurnShort, noDecoderFor, pictureUndecodable, nowView,
            afterView;
        // Adding a folder: the link beside Add, the folder chooser's title,
        // the progress while it is looked through (%1 folders, %2 videos
        // found) and the link that stops it.
        std::string addFolderLink, chooseAddFolder, folderScanning, stopScanning;
    } window;
    // Messages and the words of the progress lines and the status column.
    struct Prompts {
        std::string theFile, notRotatable, addVideosFirst, folderMissing, fileDone, batchOf,
            filesDone, done, failed, lastFileFailed;
        // Start refusals: nothing ticked, too many ticked (%1 the most),
        // folder not writable, not enough room.
        std::string tickFilesFirst, tooManyTicked, folderNotWritable, notEnoughSpace;
        // Browse: the chosen folder is not valid, or cannot be written.
        std::string folderNotValid, folderNotWritableChosen;
        // The names of a batch cannot be recorded (%1 the file error).
        std::string namesNotRecorded;
        // Start-up after a killed batch: the names given back, the
        // unfinished outputs removed (as the first news, or after the names).
        std::string namesGivenBack, unfinishedOutputsRemoved, alsoUnfinishedOutputsRemoved;
        // A typed output folder that does not exist (%1): create it?
        std::string createFolder;
        // Files refused when adding: several of them, one line each (%1 the
        // name, %2 why), and the reason under a single one (%1 why).
        std::string filesNotAdded, fileAndReason, reason;
        // A done file's note of what it left out, %1 for the streams' names.
        std::string leftOut;
        // A done file's tip: the name of its new file (%1).
        std::string newFile;
        // At the end of adding a folder: %1 videos added from %2 folders.
        std::string videosAddedFromFolders;
        // A language chosen in the window cannot be kept in setting.ini (%1).
        std::string languageNotKept;
    } prompts;
    // Tooltips: the start, add and remove buttons, the file list, the
    // remove-all button, the link to the choice of languages.
    struct Tips {
        std::string start, addFiles, remove;
        std::string fileList, removeAll;
        std::string languageLink;
    } tips;
    // The captions of the bitmap buttons: add, remove, remove all, start,
    // open folder, browse. A blank in a caption is where it may break into
    // two lines.
    struct Captions {
        std::string addFiles, remove, removeAll, start, openFolder, browse;
    } captions;
    // Why an added file was refused.
    struct Refusals {
        std::string noVideoStream, notMedia, streamsUnreadable, outOfMemory, noDecoder, isFolder,
            notRegularFile, empty, missing, notReadable, cannotOpen, samplesOverclaimed,
            tooManyStreams;
    } refusals;
    // The file-error box, one text per kind of failure (%1 the path).
    struct FileErrors {
        std::string accessDenied, inUse, notFound, targetExists, diskFull, invalidPath, otherDisk,
            tooManyOpen, hardwareError, unknown;
    } fileErrors;
    // Why a file of a batch failed, as the window says it.
    struct Failures {
        // A sentence for each step of the work that can fail (%1 and %2
        // where it names a codec, a container, a path, a time or an angle);
        // stepAndCause puts the cause (%2) after the step's sentence (%1).
        std::string rotationFailed, openInput, readStreams, setUpDecoder, openDecoder,
            setUpOutputStreams, checkOutputStreams, cannotHold, createOutput, namesTaken,
            wouldReplaceInput, writeHeader, readInput, writeOutput, completeOutput, outOfMemory,
            rotationNotWritten, outputGone, stepAndCause, samplesOverclaimed, tooManyStreams,
            inputChanged;
        // A file cut short: where it ends of how long it should be (%1,
        // %2), or only where it ends; then, when an index tells, how many
        // of its listed units were read (%1 of %2, %3 the units' word:
        // pictures, sound packets, packets).
        std::string cutShortOf, cutShort, indexCount, pictures, soundPackets, packets;
        // Causes worth their own words.
        std::string noSpace, fileTooLarge, permissionDenied, readOnlyDisk, damagedData, noMemory,
            ioError, notThere, endsEarly, notSupported;
        // A stream by its codec's name (%1): video, sound, subtitles; the
        // name of an unknown codec; the joints of a list of streams; a
        // stream's stereo (3D) mode (%1 the stream).
        std::string video, sound, subtitles, unknownCodec, listSeparator, listLastSeparator,
            stereoMode, coverPicture;
        // A few words for the status column, by step and by cause.
        std::string shortCannotOpen, shortUnreadable, shortDecoder, shortOutput, shortCannotHold,
            shortCannotCreate, shortNameTaken, shortSameAsInput, shortReadError, shortWriteError,
            shortCutShort, shortOutOfMemory, shortNotRotated, shortOutputGone, shortDiskFull,
            shortTooLarge, shortNoAccess, shortReadOnly, shortDamaged, shortIoError, shortNotFound,
            shortUnsupported, shortBadTables, shortTooManyStreams, shortInputChanged;
        // The message at the end of a batch: one file that failed (%1 its
        // name), several, the files a failure kept from their turn, and the
        // line for the files of a long list left unnamed (%1 how many).
        std::string oneFileFailed, filesFailed, filesNotReached, moreFiles;
    } failures;
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
