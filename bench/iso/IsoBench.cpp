// Times the byte-exact rotation of an MP4 (inspect, copy, write the turned
// matrices, read them back, ask libavformat for the new rotation) against
// `cp --reflink=never` and `ffmpeg -c copy` on one large file, and prints
// each one's wall time and peak resident memory. As root it also loop-mounts
// an XFS image and times the same rotation where the copy is a reflink,
// with the space it takes.
//
//   iso_bench [--size-mb N | --long-minutes N | --input FILE] [--runs N] [--tmp DIR] [--no-xfs]
//
// Goals: at most 1.1 x cp on a plain filesystem, under 5 % of a plain
// copy's time with a reflink and almost no new space, peak RSS <= 40 MB
// whatever the size. It also prints what syncing a done output costs
// (the rotation with and without it, against cp followed by sync), the
// whole program against cp, the box reader's time over two million empty
// boxes (goal < 3 s) and the program's peak memory on a file whose tables
// declare 80 million samples per video track (goal < 300 MB).
//
// The rotation runs in a child process (this program again, with
// --rotate-one). Its time and peak memory are the ones the child measures
// from its first read to the end of the writer's last check (libavformat's
// rotation, read with the sample tables hidden), as is the whole process.

#include "bench/support/BenchProcess.h"
#include "engine/iso/FileDataCopy.h"
#include "engine/iso/IsoInspection.h"
#include "engine/iso/IsoMatrixPatch.h"
#include "engine/iso/ReportedRotation.h"
#include "engine/iso/IsoBoxReader.h"
#include "files/DurableFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The child: one rotation by copy, printing the way and the time of each step.
int RotateOne(const std::string& first_way, const std::string& in, const std::string& out)
{
    const auto start = std::chrono::steady_clock::now();
    const int in_fd = ::open(in.c_str(), O_RDONLY | O_CLOEXEC);
    if (in_fd < 0)
        return 2;
    const IsoInspection inspection = InspectIsoFile(in_fd);
    if (inspection.verdict != IsoInspection::Verdict::kRewritable) {
        std::printf("not rewritable: %s\n", inspection.not_taken.c_str());
        return 3;
    }
    const double inspected = Since(start);
    const int out_fd = ::open(out.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out_fd < 0)
        return 4;
    // "WAY+sync": the output's data and folder are synced at the end, as
    // before a file is called done.
    const std::size_t plus = first_way.find("+sync");
    const bool sync = plus != std::string::npos;
    const std::string way = first_way.substr(0, plus);
    CopyOptions options;
    if (way == "copy_file_range")
        options.first_way = CopyWay::kCopyFileRange;
    else if (way == "read/write")
        options.first_way = CopyWay::kReadWrite;
    const CopyOutcome copy = CopyFileData(in_fd, out_fd, inspection.file_size, {}, {}, options);
    if (copy.result != CopyOutcome::Result::kDone) {
        std::printf("copy failed: %s\n", std::strerror(copy.error));
        return 5;
    }
    const double copied = Since(start);
    const std::vector<IsoMatrixPatch> patches = TurnedMatrices(inspection, 90);
    if (WriteMatrices(out_fd, patches) != 0)
        return 6;
    const MatrixCheck check = VerifyMatrices(out_fd, patches);
    if (!check.matches) {
        std::printf("read-back: %s\n", check.difference.c_str());
        return 7;
    }
    const double verified = Since(start);
    // The writer's last check: libavformat's view of the header, with the
    // sample tables hidden.
    const int wanted = (MatrixRotationCw(inspection.video_tracks[0].matrix) + 90) % 360;
    if (ReportedRotationCw(out_fd, inspection.file_size, inspection.sample_tables) != wanted)
        return 8;
    const double checked = Since(start);
    if (sync) {
        if (SyncData(out_fd) != 0)
            return 9;
        SyncFolderOf(out);
    }
    const double synced = Since(start) - checked;
    ::close(out_fd);
    ::close(in_fd);
    const double total = Since(start);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const long peakKb = usage.ru_maxrss;
    // First the whole rotation's time and peak memory, for the parent to read.
    std::printf("%.6f %ld way %s: inspect %.4f s, copy %.4f s, patch and read back %.4f s, "
                "libavformat's rotation %.4f s, sync %.4f s\n",
                total, peakKb, CopyWayName(copy.way), inspected, copied - inspected,
                verified - copied, checked - verified, synced);
    return 0;
}

std::string FirstLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

std::uint64_t FreeBytes(const std::string& folder)
{
    ::sync();
    struct statvfs info {};
    ::statvfs(folder.c_str(), &info);
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

// A loop-mounted XFS image with reflink, unmounted and deleted when it goes.
class XfsImage
{
public:
    XfsImage(const std::string& folder, std::uintmax_t bytes)
        : image_(folder + "/xfs.img"), dir_(folder + "/xfs")
    {
        if (::geteuid() != 0) {
            why_ = "not root";
            return;
        }
        fs::create_directory(dir_);
        {
            std::ofstream make(image_);
        }
        if (::truncate(image_.c_str(), static_cast<off_t>(bytes)) != 0) {
            why_ = "cannot make the image";
            return;
        }
        if (RunMeasured({"mkfs.xfs", "-q", "-m", "reflink=1", image_}).status != 0) {
            why_ = "mkfs.xfs failed";
            return;
        }
        if (RunMeasured({"mount", "-o", "loop", image_, dir_}).status != 0) {
            why_ = "mount -o loop refused";
            return;
        }
        mounted_ = true;
    }
    ~XfsImage()
    {
        if (mounted_ && RunMeasured({"umount", dir_}).status != 0)
            RunMeasured({"umount", "-l", dir_});
        std::error_code ignored;
        fs::remove(image_, ignored);
        fs::remove(dir_, ignored);
    }
    XfsImage(const XfsImage&) = delete;
    XfsImage& operator=(const XfsImage&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }
    const std::string& dir() const { return dir_; }

private:
    std::string image_, dir_, why_;
    bool mounted_ = false;
};

struct Contender {
    Contender(std::string n, std::vector<std::string> a) : name(std::move(n)), argv(std::move(a)) {}

    std::string name;
    std::vector<std::string> argv;
    std::vector<double> times;
    long peakKb = 0;      // the whole process
    long corePeakKb = 0;  // a rotation: to the end of its last check
    bool failed = false;
    std::string detail;  // the child's report of its steps
};

void Print(const Contender& c, double inputMb)
{
    const double t = Median(c.times);
    const double fastest = *std::min_element(c.times.begin(), c.times.end());
    std::printf("%-26s %7.3f s (fastest %.3f s)  %8.1f MB/s  peak RSS %6.1f MB%s\n", c.name.c_str(),
                t, fastest, inputMb / t,
                static_cast<double>(c.corePeakKb > 0 ? c.corePeakKb : c.peakKb) / 1024.0,
                c.failed ? "  FAILED" : "");
    if (!c.detail.empty())
        std::printf("    %s\n", c.detail.c_str());
}

// Runs every contender `runs` times, interleaved, each on a warm cache and
// into an emptied output folder.
void RunAll(std::vector<Contender>& contenders, int runs, const std::string& input,
            const std::string& outFolder, const std::string& log)
{
    for (int run = 0; run < runs; ++run) {
        for (Contender& c : contenders) {
            WarmCache(input);
            ::sync();
            const Measure m = RunMeasured(c.argv, log);
            ::sync();
            if (m.status != 0) {
                c.failed = true;
                std::ifstream text(log);
                std::cerr << c.name << " failed (" << m.status << "):\n" << text.rdbuf() << '\n';
            }
            double seconds = m.seconds;
            if (m.status == 0 && c.argv.size() > 1 && c.argv[1] == "--rotate-one") {
                // The rotation's own time (inspect, copy, patch, read back,
                // libavformat's check), without starting a process and
                // loading FFmpeg's libraries, which the program has done
                // once before its first file.
                const std::string line = FirstLine(log);
                char* rest = nullptr;
                seconds = std::strtod(line.c_str(), &rest);
                c.corePeakKb = std::max(c.corePeakKb, std::strtol(rest, &rest, 10));
                char process[160];
                std::snprintf(process, sizeof process, " (whole process %.3f s, peak RSS %.1f MB)",
                              m.seconds, static_cast<double>(m.peakKb) / 1024.0);
                c.detail = std::string(rest + (*rest == ' ' ? 1 : 0)) + process;
            }
            c.times.push_back(seconds);
            c.peakKb = std::max(c.peakKb, m.peakKb);
            RemoveAll(outFolder);
        }
    }
}

// A file of an ftyp box and two million empty boxes after it: the box
// reader's walk over them, in seconds.
double EmptyBoxesSeconds(const std::string& folder)
{
    const std::string path = folder + "/empty-boxes.mp4";
    {
        std::string bytes("\0\0\0\x10" "ftypisom\0\0\0\0", 16);
        const std::string empty("\0\0\0\x08" "free", 8);
        bytes.reserve(bytes.size() + empty.size() * 2'000'000);
        for (int i = 0; i < 2'000'000; ++i)
            bytes += empty;
        std::ofstream(path, std::ios::binary) << bytes;
    }
    WarmCache(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const auto start = std::chrono::steady_clock::now();
    const IsoInspection found = InspectIsoFile(fd);
    const double seconds = Since(start);
    ::close(fd);
    fs::remove(path);
    if (found.not_taken != "no movie header")
        std::printf("empty boxes: unexpected verdict: %s\n", found.not_taken.c_str());
    return seconds;
}

// Finds the first box of `type` under [begin, end), looking into the
// containers on the way to a sample table.
bool FindBox(IsoBoxReader& reader, std::uint64_t begin, std::uint64_t end, std::uint32_t type,
             IsoBox& found)
{
    for (std::uint64_t at = begin; at < end;) {
        IsoBox box;
        if (reader.Next(at, end, box) != IsoBoxStatus::kBox)
            return false;
        if (box.type == type) {
            found = box;
            return true;
        }
        for (const std::uint32_t inner :
             {FourCc("moov"), FourCc("trak"), FourCc("mdia"), FourCc("minf"), FourCc("stbl")}) {
            if (box.type == inner && FindBox(reader, box.body(), box.end(), type, found))
                return true;
        }
        at = box.end();
    }
    return false;
}

// A small MP4 whose video track declares 80 million one-byte samples in
// its first chunk, edited in place (every box keeps its size).
bool MakeSampleFlood(const std::string& path)
{
    if (RunMeasured({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                     "testsrc=size=160x120:rate=25:duration=1", "-c:v", "mpeg4", path})
            .status != 0)
        return false;
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return false;
    IsoBoxReader reader(fd, static_cast<std::uint64_t>(info.st_size));
    const std::uint32_t flood = 80'000'000;
    const auto put = [fd](const IsoBox& box, std::vector<std::uint32_t> values) {
        std::vector<std::uint8_t> bytes(values.size() * 4);
        for (std::size_t k = 0; k < values.size(); ++k)
            WriteU32(bytes.data() + 4 * k, values[k]);
        return ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(box.body())) ==
               static_cast<ssize_t>(bytes.size());
    };
    IsoBox stsz, stsc, stts, stco;
    const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
    const bool ok = FindBox(reader, 0, size, FourCc("stsz"), stsz) &&
                    FindBox(reader, 0, size, FourCc("stsc"), stsc) &&
                    FindBox(reader, 0, size, FourCc("stts"), stts) &&
                    FindBox(reader, 0, size, FourCc("stco"), stco) &&
                    put(stsz, {0, 1, flood}) && put(stsc, {0, 1, 1, flood, 1}) &&
                    put(stts, {0, 1, flood, 1});
    std::uint8_t count[4];
    WriteU32(count, 1);
    const bool oneChunk = ok && ::pwrite(fd, count, 4, static_cast<off_t>(stco.body() + 4)) == 4;
    ::close(fd);
    return oneChunk;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--rotate-one") == 0)
        return RotateOne(argv[2], argv[3], argv[4]);

    std::uintmax_t sizeMb = 600, longMinutes = 0;
    int runs = 3;
    bool xfs = true;
    std::string tmp = fs::temp_directory_path().string(), given;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        const bool value = i + 1 < argc;
        if (name == "--no-xfs")
            xfs = false;
        else if (name == "--size-mb" && value)
            sizeMb = std::strtoull(argv[++i], nullptr, 10);
        else if (name == "--long-minutes" && value)
            longMinutes = std::strtoull(argv[++i], nullptr, 10);
        else if (name == "--runs" && value)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (name == "--tmp" && value)
            tmp = argv[++i];
        else if (name == "--input" && value)
            given = argv[++i];
        else {
            std::cerr << "iso_bench: unknown option " << name << '\n';
            return 2;
        }
    }

    std::string pattern = tmp + "/fennex-iso-bench-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::cerr << "iso_bench: cannot make a folder in " << tmp << '\n';
        return 1;
    }
    const std::string folder = pattern;
    const std::string outFolder = folder + "/out";
    fs::create_directory(outFolder);
    const std::string self = fs::canonical("/proc/self/exe").string();

    std::string input = given;
    if (input.empty()) {
        std::cout << "making the input ..." << std::endl;
        if (!MakeLargeInput(folder, sizeMb, longMinutes, input)) {
            fs::remove_all(folder);
            return 1;
        }
    }
    const double inputMb = static_cast<double>(fs::file_size(input)) / 1e6;
    std::printf("input: %.0f MB, %d runs each, median times\n", inputMb, runs);

    std::vector<Contender> contenders{
        {"rotate (default way)", {self, "--rotate-one", "reflink", input, outFolder + "/a.mp4"}},
        {"rotate (read/write)", {self, "--rotate-one", "read/write", input, outFolder + "/b.mp4"}},
        {"cp --reflink=never", {"cp", "--reflink=never", input, outFolder + "/cp.mp4"}},
        {"ffmpeg -c copy",
         {"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", input, "-map", "0", "-c", "copy",
          outFolder + "/ffmpeg.mov"}},
    };
    const std::string inputName = fs::path(input).filename().string();
    contenders.push_back(
        {"rotate + sync", {self, "--rotate-one", "reflink+sync", input, outFolder + "/s.mp4"}});
    contenders.push_back({"cp + sync",
                          {"sh", "-c", "cp --reflink=never \"$0\" \"$1\" && sync \"$1\"", input,
                           outFolder + "/cps.mp4"}});
    // The whole program, as a user runs it: start, probe, copy, sync, done.
    contenders.push_back({"fennex-rotate (program)",
                          {FENNEX_ROTATE_EXE, "--rotate", "90", "--output", outFolder, input}});
    RunAll(contenders, runs, input, outFolder, folder + "/log.txt");
    for (const Contender& c : contenders)
        Print(c, inputMb);
    const double syncedRotate = Median(contenders[4].times);
    const double syncedCp = Median(contenders[5].times);
    std::printf("sync's cost    %.3f s (rotate + sync %.3f s against rotate %.3f s; "
                "cp + sync %.3f s)\n",
                syncedRotate - Median(contenders[0].times), syncedRotate,
                Median(contenders[0].times), syncedCp);
    std::printf("program+sync/cp+sync %.3f\n", Median(contenders[6].times) / syncedCp);
    const double rotateTime = Median(contenders[0].times);
    const double cpTime = Median(contenders[2].times);
    long peakKb = 0;
    for (std::size_t i = 0; i < 2; ++i)
        peakKb = std::max(peakKb, contenders[i].corePeakKb);
    const double peakMb = static_cast<double>(peakKb) / 1024.0;
    std::printf("rotate/cp      %.3f   (goal <= 1.10)\n", rotateTime / cpTime);
    std::printf("rotate/ffmpeg  %.3f\n", rotateTime / Median(contenders[3].times));
    // A virtual disk's write-back makes single runs of every writer, cp
    // included, several times slower now and then; the fastest runs show
    // what the programs themselves cost.
    std::printf("fastest rotate/fastest cp  %.3f\n",
                *std::min_element(contenders[0].times.begin(), contenders[0].times.end()) /
                    *std::min_element(contenders[2].times.begin(), contenders[2].times.end()));
    std::printf("rotate peak RSS %.1f MB, FFmpeg's libraries included   (goal <= 40 MB)\n", peakMb);
    bool met = !contenders[0].failed && !contenders[1].failed && rotateTime / cpTime <= 1.10 &&
               peakMb <= 40.0;

    if (xfs) {
        const std::uintmax_t bytes = fs::file_size(input) * 5 / 2 + (512u << 20);
        XfsImage image(folder, bytes);
        if (!image.mounted()) {
            std::printf("reflink: skipped (%s)\n", image.why().c_str());
        } else {
            const std::string xin = image.dir() + "/input.mp4";
            const std::string xout = image.dir() + "/out";
            fs::copy_file(input, xin);
            fs::create_directory(xout);
            std::vector<Contender> onXfs{
                {"rotate on XFS (reflink)",
                 {self, "--rotate-one", "reflink", xin, xout + "/a.mp4"}},
                {"cp --reflink=never on XFS", {"cp", "--reflink=never", xin, xout + "/cp.mp4"}},
            };
            // The space the reflinked copy takes, measured apart.
            const std::uint64_t before = FreeBytes(image.dir());
            const Measure one = RunMeasured(onXfs[0].argv, folder + "/log.txt");
            const std::uint64_t after = FreeBytes(image.dir());
            RemoveAll(xout);
            RunAll(onXfs, runs, xin, xout, folder + "/log.txt");
            for (const Contender& c : onXfs)
                Print(c, inputMb);
            const double share = Median(onXfs[0].times) / Median(onXfs[1].times);
            const double newMb = static_cast<double>(before - after) / 1e6;
            std::printf("reflink/cp     %.3f   (goal < 0.05)\n", share);
            std::printf("reflink new space %.2f MB of %.0f MB   (goal: almost none)\n", newMb,
                        inputMb);
            met =
                met && one.status == 0 && !onXfs[0].failed && share < 0.05 && newMb < inputMb / 100;
        }
    }

    const double emptyBoxes = EmptyBoxesSeconds(folder);
    std::printf("two million empty boxes: %.3f s   (goal < 3 s)\n", emptyBoxes);
    met = met && emptyBoxes < 3.0;
    const std::string bomb = folder + "/flood.mp4";
    if (MakeSampleFlood(bomb)) {
        const Measure flood = RunMeasured(
            {FENNEX_ROTATE_EXE, "--rotate", "90", "--output", outFolder, bomb}, folder + "/log.txt");
        std::printf("80 million declared samples: refused in %.3f s, peak RSS %.1f MB   "
                    "(goal < 300 MB)\n    %s\n",
                    flood.seconds, static_cast<double>(flood.peakKb) / 1024.0,
                    FirstLine(folder + "/log.txt").c_str());
        met = met && flood.peakKb < 300 * 1024;
    } else {
        std::printf("80 million declared samples: cannot make the file\n");
    }

    fs::remove_all(folder);
    std::printf("%s\n", met ? "goals met" : "goals NOT met");
    return met ? 0 : 1;
}
