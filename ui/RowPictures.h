#pragma once

#include <QImage>
#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "engine/preview/FirstPicture.h"

// The first pictures of the rows of the file list, decoded by a few
// background threads: the rows on screen first, then the rest in the order
// asked. Each picture is kept by row and in a bounded cache by file
// identity (device, inode, size, modification time), so a file added again
// is not decoded again. A turn redraws from the kept picture.
class RowPictures : public QObject
{
    Q_OBJECT

public:
    // threads: how many files are decoded at once; cacheLimit: how many
    // pictures the cache keeps beyond the rows' own.
    explicit RowPictures(int threads = 2, std::size_t cacheLimit = 1500, QObject* parent = nullptr);
    ~RowPictures() override;

    // Asks for the picture of the file at path for row id (a row's number
    // that is never reused).
    void Request(int id, const std::string& path);
    // The row is gone: its work is dropped and its picture let go.
    void Drop(int id);
    // These rows are on screen: their pictures come before the others'.
    void PreferRows(const std::vector<int>& ids);

    // The row's picture once decoded (a failure says why), else null.
    std::shared_ptr<const VideoPicture> Picture(int id) const;
    // How many files were decoded (not taken from the cache) so far.
    int DecodeCount() const;
    // How many requests wait for a thread.
    int PendingCount() const;

    // Holds the threads before their next file (tests); Resume lets them go on.
    void Pause();
    void Resume();

signals:
    // The row's picture (or its failure) is there.
    void pictureReady(int id);

private:
    struct Job {
        int id = 0;
        std::string path;
    };
    using FileKey = std::tuple<std::uint64_t, std::uint64_t, std::int64_t, std::int64_t,
                               std::int64_t>;  // device, inode, size, mtime s, mtime ns

    void Work();
    std::shared_ptr<const VideoPicture> Cached(const FileKey& key);
    void Store(const FileKey& key, std::shared_ptr<const VideoPicture> picture);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_queue;
    std::map<int, std::string> m_wanted;  // rows asked for and not dropped
    std::map<int, std::shared_ptr<const VideoPicture>> m_pictures;
    using CacheList = std::list<std::pair<FileKey, std::shared_ptr<const VideoPicture>>>;
    CacheList m_cache;  // newest first
    std::map<FileKey, CacheList::iterator> m_cacheIndex;  // the cache's entries by key
    std::size_t m_cacheLimit;
    int m_decoded = 0;
    bool m_paused = false;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

// The picture as a player will show it after a batch turns the file by
// `turn` more, as an image to draw; a null image for a failure.
QImage ShownImage(const VideoPicture& picture, int turn);

// How the file is shown today, clockwise, with its size as shown:
// "90° · 720×1280", and mirroredWord after it where the matrix mirrors.
// Empty for a file whose video was not read.
QString RotationCaption(const VideoPicture& picture, const QString& mirroredWord);
// The larger view of a row's picture as rich text: how a player shows the
// file now (the stored picture with its rotation) and after the batch turns
// it by `turn`, side by side under their captions, each within side×side
// (the window's units), with ratio times as many pixels for a screen of
// that scale. Empty for a failure.
QString NowAfterView(const VideoPicture& picture, int turn, const QString& nowWord,
                     const QString& afterWord, int side, double ratio = 1.0);

// The same in short lines for the room beside a row's picture: "90°" (and
// mirroredWord) above "720×1280".
QString RotationLines(const VideoPicture& picture, const QString& mirroredWord);
