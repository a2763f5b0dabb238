#include "ui/LargerPictures.h"

#include <algorithm>

LargerPictures::LargerPictures(std::size_t keep, QObject* parent)
    : QObject(parent), m_keep(std::max<std::size_t>(1, keep)), m_thread([this] { Work(); })
{}

LargerPictures::~LargerPictures()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_next.reset();
    }
    m_wake.notify_all();
    m_thread.join();
}

std::shared_ptr<const VideoPicture> LargerPictures::Get(int id, const std::string& path, int side)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto kept = m_kept.begin(); kept != m_kept.end(); ++kept) {
        if (kept->id == id && kept->side >= side) {
            m_kept.splice(m_kept.begin(), m_kept, kept);
            return m_kept.front().picture;
        }
    }
    const auto same = [&](const std::optional<Job>& job) {
        return job && job->id == id && job->path == path && job->side >= side;
    };
    if (!same(m_busy) && !same(m_next)) {
        m_next = Job{id, path, side};
        m_wake.notify_one();
    }
    return nullptr;
}

void LargerPictures::Drop(int id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_kept.remove_if([id](const Kept& kept) { return kept.id == id; });
    if (m_next && m_next->id == id)
        m_next.reset();
    if (m_busy && m_busy->id == id)
        m_busy->id = -1;  // what it brings is not kept
}

int LargerPictures::DecodeCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_decoded;
}

void LargerPictures::Work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_next; });
        if (m_stopping)
            return;
        m_busy = std::move(m_next);
        m_next.reset();
        const Job job = *m_busy;

        lock.unlock();
        PictureSearch search;
        search.box_width = job.side;
        search.box_height = job.side;
        auto picture = std::make_shared<const VideoPicture>(FirstPicture(job.path, search));
        lock.lock();
        ++m_decoded;
        const bool dropped = m_busy->id != job.id;
        m_busy.reset();
        if (dropped || m_stopping)
            continue;
        m_kept.remove_if([&job](const Kept& kept) { return kept.id == job.id; });
        m_kept.push_front(Kept{job.id, job.side, std::move(picture)});
        while (m_kept.size() > m_keep)
            m_kept.pop_back();
        QMetaObject::invokeMethod(
            this, [this, id = job.id] { emit pictureReady(id); }, Qt::QueuedConnection);
    }
}
