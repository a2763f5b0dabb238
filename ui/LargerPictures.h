#pragma once

#include <QObject>

#include <condition_variable>
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "engine/preview/FirstPicture.h"

// Sharper pictures for the larger view of a row. The rows' own pictures are
// decoded small so that many can be kept; the few a user looks at larger
// are decoded again at the size they are shown, by one background thread,
// the latest request first, and the last few kept.
class LargerPictures : public QObject
{
    Q_OBJECT

public:
    explicit LargerPictures(std::size_t keep = 4, QObject* parent = nullptr);
    ~LargerPictures() override;

    // The picture of row id decoded to fit a box of side pixels, when it is
    // there; else null, and it is asked for (a request not yet begun gives
    // way to this one).
    std::shared_ptr<const VideoPicture> Get(int id, const std::string& path, int side);
    // The row is gone: its picture and its request go too.
    void Drop(int id);
    // How many files were decoded so far.
    int DecodeCount() const;

signals:
    // A picture asked for is there.
    void pictureReady(int id);

private:
    struct Job {
        int id = 0;
        std::string path;
        int side = 0;
    };
    struct Kept {
        int id = 0;
        int side = 0;
        std::shared_ptr<const VideoPicture> picture;
    };
    void Work();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Job> m_next;
    std::optional<Job> m_busy;
    std::list<Kept> m_kept;  // the last used first
    std::size_t m_keep;
    int m_decoded = 0;
    bool m_stopping = false;
    std::thread m_thread;  // last: it starts once the rest is set up
};
