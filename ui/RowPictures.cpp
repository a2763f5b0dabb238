#include "ui/RowPictures.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QBuffer>

#include <algorithm>
#include <utility>

RowPictures::RowPictures(int threads, std::size_t cacheLimit, QObject* parent)
    : QObject(parent), m_cacheLimit(cacheLimit)
{
    for (int k = 0; k < std::max(1, threads); ++k)
        m_threads.emplace_back([this] { Work(); });
}

RowPictures::~RowPictures()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void RowPictures::Request(int id, const std::string& path)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_wanted[id] = path;
        m_pictures.erase(id);
        m_queue.push_back(Job{id, path});
    }
    m_wake.notify_one();
}

void RowPictures::Drop(int id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wanted.erase(id);
    m_pictures.erase(id);
    m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(),
                                 [id](const Job& job) { return job.id == id; }),
                  m_queue.end());
}

void RowPictures::PreferRows(const std::vector<int>& ids)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // A stable partition keeps the order asked within each part.
    std::stable_partition(m_queue.begin(), m_queue.end(), [&ids](const Job& job) {
        return std::find(ids.begin(), ids.end(), job.id) != ids.end();
    });
}

std::shared_ptr<const VideoPicture> RowPictures::Picture(int id) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_pictures.find(id);
    return found == m_pictures.end() ? nullptr : found->second;
}

int RowPictures::DecodeCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_decoded;
}

int RowPictures::PendingCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_queue.size());
}

void RowPictures::Pause()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_paused = true;
}

void RowPictures::Resume()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_paused = false;
    }
    m_wake.notify_all();
}

std::shared_ptr<const VideoPicture> RowPictures::Cached(const FileKey& key)
{
    const auto found = m_cacheIndex.find(key);
    if (found == m_cacheIndex.end())
        return nullptr;
    m_cache.splice(m_cache.begin(), m_cache, found->second);
    return m_cache.front().second;
}

void RowPictures::Store(const FileKey& key, std::shared_ptr<const VideoPicture> picture)
{
    // Two threads may have decoded the same file at once: one entry.
    if (const auto found = m_cacheIndex.find(key); found != m_cacheIndex.end())
        m_cache.erase(found->second);
    m_cache.emplace_front(key, std::move(picture));
    m_cacheIndex[key] = m_cache.begin();
    while (m_cache.size() > m_cacheLimit) {
        m_cacheIndex.erase(m_cache.back().first);
        m_cache.pop_back();
    }
}

void RowPictures::Work()
{
    // Pictures wait for the window: the list and its adding come first on
    // a machine with few cores (Linux gives each thread its own niceness).
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 15);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || (!m_paused && !m_queue.empty()); });
        if (m_stopping)
            return;
        const Job job = m_queue.front();
        m_queue.pop_front();

        lock.unlock();
        struct stat st {};
        const bool known = ::stat(job.path.c_str(), &st) == 0;
        const FileKey key{
            static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
            static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
        lock.lock();
        std::shared_ptr<const VideoPicture> picture = known ? Cached(key) : nullptr;
        if (!picture) {
            lock.unlock();
            picture = std::make_shared<const VideoPicture>(FirstPicture(job.path));
            lock.lock();
            ++m_decoded;
            if (known)
                Store(key, picture);
        }
        // A row dropped, or asked for again, meanwhile takes nothing.
        const auto wanted = m_wanted.find(job.id);
        if (wanted == m_wanted.end() || wanted->second != job.path)
            continue;
        m_pictures[job.id] = picture;
        // Posted without the lock: posting wakes the window's thread, which
        // takes the lock too and should not wait for a thread this low in
        // priority to run again.
        lock.unlock();
        QMetaObject::invokeMethod(
            this, [this, id = job.id] { emit pictureReady(id); }, Qt::QueuedConnection);
        lock.lock();
    }
}

QImage ShownImage(const VideoPicture& picture, int turn)
{
    if (!picture.ok())
        return {};
    const RgbPicture shown = PictureAfterTurn(picture.stored, picture.matrix, turn);
    if (shown.empty())
        return {};
    const QImage view(shown.pixels.data(), shown.width, shown.height, shown.width * 3,
                      QImage::Format_RGB888);
    return view.copy();  // the image owns its pixels
}

namespace {

// The rotation, clockwise, and the size as shown, of a rotation caption.
std::pair<QString, QString> RotationParts(const VideoPicture& picture)
{
    const int rotation = NearestQuarterTurn(picture.rotationCw());
    const bool sideways = rotation % 180 != 0;
    const int width = sideways ? picture.stored_height : picture.stored_width;
    const int height = sideways ? picture.stored_width : picture.stored_height;
    return {QString::number(rotation) + QChar(0x00B0),
            QString::number(width) + QChar(0x00D7) + QString::number(height)};
}

const QString kDot = QStringLiteral(" \u00B7 ");

}  // namespace

QString RotationCaption(const VideoPicture& picture, const QString& mirroredWord)
{
    if (picture.stored_width <= 0 || picture.stored_height <= 0)
        return {};
    const auto [turned, size] = RotationParts(picture);
    QString caption = turned + kDot + size;
    if (picture.mirrored())
        caption += kDot + mirroredWord;
    return caption;
}

QString NowAfterView(const VideoPicture& picture, int turn, const QString& nowWord,
                     const QString& afterWord, int side, double ratio)
{
    const QImage now = picture.ok() ? ShownImage(picture, 0) : QImage();
    const QImage after = picture.ok() ? ShownImage(picture, turn) : QImage();
    if (now.isNull() || after.isNull())
        return {};
    const auto source = [side, ratio](const QImage& image) {
        // Pixels for the screen's scale, drawn at the size in the window's
        // units that the width and height say.
        const int pixels = static_cast<int>(side * std::max(1.0, ratio) + 0.5);
        const QImage scaled =
            image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const QSize shown = image.size().scaled(side, side, Qt::KeepAspectRatio);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        scaled.save(&buffer, "PNG");
        return QStringLiteral("<td align=\"center\" valign=\"middle\"><img width=\"%2\" "
                              "height=\"%3\" src=\"data:image/png;base64,%1\"></td>")
            .arg(QString::fromLatin1(png.toBase64()))
            .arg(shown.width())
            .arg(shown.height());
    };
    // The captions in a row of their own, so both stand level above
    // pictures of different heights.
    const auto caption = [](const QString& word) {
        return QStringLiteral("<td align=\"center\"><b>%1</b></td>").arg(word.toHtmlEscaped());
    };
    return QStringLiteral("<table cellspacing=\"6\"><tr>") + caption(nowWord) + caption(afterWord) +
           QStringLiteral("</tr><tr>") + source(now) + source(after) +
           QStringLiteral("</tr></table>");
}

QString RotationLines(const VideoPicture& picture, const QString& mirroredWord)
{
    if (picture.stored_width <= 0 || picture.stored_height <= 0)
        return {};
    const auto [turned, size] = RotationParts(picture);
    return (picture.mirrored() ? turned + kDot + mirroredWord : turned) + '\n' + size;
}
