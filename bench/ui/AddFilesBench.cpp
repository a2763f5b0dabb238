// Times adding N files through the main window's Add-files path against the
// probes of the same files on their own, and how long the window goes
// without handling events while it adds.
#include "controls/CCheckListCtrl.h"
#include "engine/ProbeMedia.h"
#include "settings/ExeFolder.h"
#include "tests/support/MediaFixtures.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/DesktopHooks.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Counts paints of the window and the longest pause between two handled
// timer ticks, which is what a user sees as a frozen window.
struct Responsiveness : QObject {
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
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
        longest = std::max(longest, now - last);
        last = now;
        ++ticks;
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

    MediaRecipe recipe;
    recipe.seconds = 0.5;
    const std::string first = folder + "/clip0.mp4";
    if (const std::string error = MakeMediaFile(first, recipe); !error.empty()) {
        std::fprintf(stderr, "cannot make the clip: %s\n", error.c_str());
        return 1;
    }
    QStringList paths{QString::fromStdString(first)};
    for (int i = 1; i < count; ++i) {
        const std::string path = folder + "/clip" + std::to_string(i) + ".mp4";
        fs::copy_file(first, path);
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
    QObject::connect(&ticker, &QTimer::timeout, &watch, [&watch] { watch.Tick(); });
    ticker.start(0);
    QElapsedTimer addClock;
    addClock.start();
    watch.clock.start();
    const double addCpu0 = CpuMs();
    dialog.AddFilesByDialog();
    const double addMs = static_cast<double>(addClock.nsecsElapsed()) / 1e6;
    const double addCpu = CpuMs() - addCpu0;
    ticker.stop();

    const int rows = dialog.FileList()->GetItemCount();
    std::printf("files:                    %d (rows added: %d)\n", count, rows);
    std::printf("probes alone:             %.1f ms (%.3f ms per file)\n", probeMs, probeMs / count);
    std::printf("whole add:                %.1f ms (%.3f ms per file)\n", addMs, addMs / count);
    std::printf("add / probes:             %.2f wall, %.2f cpu (%.1f / %.1f ms cpu)\n",
                addMs / probeMs, addCpu / probeCpu, addCpu, probeCpu);
    std::printf("event loop turns:         %d, longest pause %lld ms\n", watch.ticks,
                static_cast<long long>(watch.longest));
    std::printf("window paints during add: %d\n", watch.paints);

    RemoveTree(folder);
    return rows == count ? 0 : 1;
}
