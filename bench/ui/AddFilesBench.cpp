// Times adding N files through the main window's Add-files path against the
// probes of the same files on their own, and how long the window goes
// without handling events while it adds; then how long the rows' pictures
// take (those in the list's viewport, from the start of the add and after
// the rows are listed; all of them), the longest pause meanwhile and the
// peak memory. The files are copies of 720p H.264 (one in two turned a
// quarter, the other starting black) and 1080p HEVC clips.
#include "controls/CCheckListCtrl.h"
#include "engine/ProbeMedia.h"
#include "settings/ExeFolder.h"
#include "tests/support/MediaFixtures.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/DesktopHooks.h"
#include "ui/RowPictures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>
#include <sys/resource.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// CPU time of the calling thread, in ms.
double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// The longest of some pauses, and how long the window's thread ran during
// it: a pause the thread spent waiting for a core is the machine's load,
// not the program's work.
struct Pause {
    qint64 ms = 0;
    double busyMs = 0;

    void Take(qint64 gap, double busy)
    {
        if (gap > ms) {
            ms = gap;
            busyMs = busy;
        }
    }
};

// Counts paints of the window and the longest pause between two handled
// timer ticks, which is what a user sees as a frozen window.
struct Responsiveness : QObject {
    QElapsedTimer clock;
    qint64 last = 0;
    double lastCpu = ThreadCpuMs();
    Pause longest;
    Pause longestAfterAdd;
    bool afterAdd = false;
    int ticks = 0;
    int paints = 0;

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    void Tick()
    {
        const qint64 now = clock.elapsed();
        const double cpu = ThreadCpuMs();
        longest.Take(now - last, cpu - lastCpu);
        if (afterAdd)
            longestAfterAdd.Take(now - last, cpu - lastCpu);
        last = now;
        lastCpu = cpu;
        ++ticks;
    }
};

// When the rows in sight in the list's viewport (however many it holds)
// all show their pictures: the viewport full of rows, or every row listed.
struct PicturesInSight {
    const CFennexAVConverterDlg& dialog;
    std::set<int> shown;  // rows (by id) whose picture the window shows
    qint64 doneMs = -1;
    int rows = 0;  // how many were in sight then

    explicit PicturesInSight(const CFennexAVConverterDlg& window) : dialog(window) {}

    void Shown(int id) { shown.insert(id); }
    int ShownCount() const { return static_cast<int>(shown.size()); }

    void Check(bool allListed, qint64 nowMs)
    {
        if (doneMs >= 0)
            return;
        const CCheckListCtrl* list = dialog.FileList();
        QTreeWidgetItem* top = list->itemAt(0, 0);
        if (!top)
            return;
        const int height = list->viewport()->height();
        int count = 0;
        bool full = false;
        for (int index = list->indexOfTopLevelItem(top); index < list->GetItemCount(); ++index) {
            const QRect rect = list->visualItemRect(list->topLevelItem(index));
            if (rect.top() >= height)
                break;
            full = full || rect.bottom() >= height - 1;
            if (!shown.count(dialog.Rows().At(index).id))
                return;
            ++count;
        }
        if (!full && !allListed)
            return;
        doneMs = nowMs;
        rows = count;
    }
};

// CPU time of the whole process (all threads), in ms: steadier than the
// wall clock on a busy machine.
double CpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;

    const std::string folder = MakeTempFolder("fennex-bench-add");
    fs::create_directories(folder + "/exe");
    OverrideExeFolder(folder + "/exe");

    // Three sources; each file is a copy (a file of its own to the cache).
    std::vector<std::string> sources;
    for (int k = 0; k < 3; ++k) {
        MediaRecipe recipe;
        recipe.seconds = 1.0;
        recipe.video_codec = k == 1 ? "hevc" : "h264";
        recipe.width = k == 1 ? 1920 : 1280;
        recipe.height = k == 1 ? 1080 : 720;
        recipe.black_seconds = k == 2 ? 0.5 : 0.0;
        recipe.rotation_cw = k == 0 ? 90 : 0;
        const std::string source = folder + "/source" + std::to_string(k) + ".mp4";
        if (const std::string error = MakeMediaFile(source, recipe); !error.empty()) {
            std::fprintf(stderr, "cannot make the clip: %s\n", error.c_str());
            return 1;
        }
        sources.push_back(source);
    }
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "/clip" + std::to_string(i) + ".mp4";
        fs::copy_file(sources[static_cast<std::size_t>(i) % 3], path);
        paths << QString::fromStdString(path);
    }

    // Probes alone (a first pass warms the file cache for both runs).
    for (const QString& path : paths)
        ProbeMedia(path.toStdString());
    QElapsedTimer probeClock;
    probeClock.start();
    const double probeCpu0 = CpuMs();
    for (const QString& path : paths)
        ProbeMedia(path.toStdString());
    const double probeMs = static_cast<double>(probeClock.nsecsElapsed()) / 1e6;
    const double probeCpu = CpuMs() - probeCpu0;

    // The whole add through the window.
    Desktop().chooseFiles = [&paths](QWidget*, const QString&, const QString&) { return paths; };
    Desktop().showMessage = [](QWidget*, const QString& text) {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    };
    CFennexAVConverterDlg dialog;
    dialog.endProcess = [] {};
    dialog.show();
    app.processEvents();

    Responsiveness watch;
    dialog.installEventFilter(&watch);
    QTimer ticker;
    QElapsedTimer addClock;
    bool listed = false;  // AddFilesByDialog has returned
    PicturesInSight sight(dialog);
    // Connected after the window's own slot: a picture counts once the
    // window has put it into its row.
    QObject::connect(&dialog.Pictures(), &RowPictures::pictureReady, &watch, [&](int id) {
        sight.Shown(id);
        sight.Check(listed, addClock.elapsed());
    });
    QObject::connect(&ticker, &QTimer::timeout, &watch, [&] {
        watch.Tick();
        sight.Check(listed, addClock.elapsed());
    });
    // A tick every 2 ms while files are added: often enough to see each turn
    // of the window's event handling, without keeping a waiting loop awake.
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.start(2);
    addClock.start();
    watch.clock.start();
    watch.lastCpu = ThreadCpuMs();
    const double addCpu0 = CpuMs();
    dialog.AddFilesByDialog();
    const double addMs = static_cast<double>(addClock.nsecsElapsed()) / 1e6;
    const double addCpu = CpuMs() - addCpu0;
    const Pause addPause = watch.longest;
    listed = true;
    sight.Check(listed, addClock.elapsed());

    // An idle window from here on: the ticker every 10 ms, the loop asleep
    // in between, as a user's window waits for input.
    watch.afterAdd = true;
    ticker.setInterval(10);
    const int rows = dialog.FileList()->GetItemCount();
    while (sight.ShownCount() < rows) {
        app.processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    const qint64 allMs = addClock.elapsed();
    ticker.stop();
    // A change of the rotation group redraws the rows that follow it.
    QElapsedTimer groupClock;
    groupClock.start();
    dialog.Rotate180Radio()->setChecked(true);
    const double groupMs = static_cast<double>(groupClock.nsecsElapsed()) / 1e6;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    std::printf("files:                    %d (rows added: %d)\n", count, rows);
    std::printf("probes alone:             %.1f ms (%.3f ms per file)\n", probeMs, probeMs / count);
    std::printf("whole add:                %.1f ms (%.3f ms per file)\n", addMs, addMs / count);
    std::printf("add / probes:             %.2f wall, %.2f cpu (%.1f / %.1f ms cpu)\n",
                addMs / probeMs, addCpu / probeCpu, addCpu, probeCpu);
    std::printf("event loop turns:         %d, longest pause %lld ms during the add (%.0f ms "
                "busy)\n",
                watch.ticks, static_cast<long long>(addPause.ms), addPause.busyMs);
    std::printf("window paints:            %d\n", watch.paints);
    std::printf("pictures in sight after:  %lld ms (%+lld ms after the rows were listed; %d rows "
                "in sight)\n",
                static_cast<long long>(sight.doneMs),
                static_cast<long long>(static_cast<double>(sight.doneMs) - addMs), sight.rows);
    std::printf("all pictures after:       %lld ms (%d decoded)\n", static_cast<long long>(allMs),
                dialog.Pictures().DecodeCount());
    std::printf("longest pause afterwards: %lld ms while the pictures arrive (%.0f ms busy)\n",
                static_cast<long long>(watch.longestAfterAdd.ms), watch.longestAfterAdd.busyMs);
    std::printf("longest pause overall:    %lld ms (%.0f ms of it the window's thread was busy)\n",
                static_cast<long long>(watch.longest.ms), watch.longest.busyMs);
    std::printf("group change redraw:      %.1f ms for %d rows\n", groupMs, rows);
    std::printf("peak memory:              %ld MB\n", usage.ru_maxrss / 1024);

    RemoveTree(folder);
    return rows == count ? 0 : 1;
}
