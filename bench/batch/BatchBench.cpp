// What a batch start and a polling tick cost: preparing N inputs (temporary
// names with and without the durable journal), recovering N journal
// entries, one tick over a full job record and the outcomes of all its
// positions.
//   batch_bench [files] [folder]   (folder: where the inputs are made, default /tmp)
#include "batch/BatchPlan.h"
#include "batch/NameJournal.h"
#include "batch/PollTick.h"
#include "engine/ConversionJob.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::vector<TickedRow> MakeInputs(const std::string& folder, int count)
{
    fs::create_directories(folder);
    std::vector<TickedRow> rows;
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "/clip" + std::to_string(i) + ".mp4";
        std::ofstream(path) << "x";
        rows.push_back({i, path, "00:00:10.000"});
    }
    return rows;
}

}  // namespace

int main(int argc, char* argv[])
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::string base = argc > 2 ? argv[2] : "/tmp";
    char pattern[4096];
    std::snprintf(pattern, sizeof pattern, "%s/fennex-batch-bench-XXXXXX", base.c_str());
    if (!::mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string root = pattern;
    const std::string out = root + "/out";
    fs::create_directories(out);

    for (const bool journaled : {false, true}) {
        const std::string in = root + (journaled ? "/with" : "/without");
        const std::vector<TickedRow> rows = MakeInputs(in, files);
        NameJournal journal(root + "/pending-names.txt");
        auto start = std::chrono::steady_clock::now();
        const PreparedBatch batch =
            PrepareBatch(rows, out, DefaultBatchFileOps(journaled ? &journal : nullptr));
        const double prepare = Seconds(start);
        std::printf("prepare %d inputs %s journal: %.3f s (%.3f ms per input)%s\n", files,
                    journaled ? "with   " : "without", prepare, prepare * 1000 / files,
                    batch.Complete() ? "" : " INCOMPLETE");
        if (journaled) {
            start = std::chrono::steady_clock::now();
            for (const BatchFile& f : batch.files)
                journal.Release(f.source);
            std::printf("release %d entries: %.3f s\n", files, Seconds(start));
        }
    }

    {
        // A killed batch: entries left behind, recovered at the next start.
        const std::vector<TickedRow> rows = MakeInputs(root + "/killed", files);
        {
            NameJournal journal(root + "/killed-names.txt");
            PrepareBatch(rows, out, DefaultBatchFileOps(&journal));
        }
        const auto start = std::chrono::steady_clock::now();
        const std::size_t restored = RecoverPendingNames(root + "/killed-names.txt").size();
        std::printf("recover %zu entries: %.3f s\n", restored, Seconds(start));
    }

    {
        constexpr int kPositions = 10001;
        auto job = std::make_unique<ConversionJob>();
        job->files.resize(kPositions);
        job->ResetReports();
        job->current_index = kPositions / 2;
        for (int i = 0; i < kPositions; ++i)
            job->reports[i].file_status = i < kPositions / 2 ? kFileDone : kFilePending;
        const int rounds = 1000;
        int sink = 0;
        auto start = std::chrono::steady_clock::now();
        for (int r = 0; r < rounds; ++r)
            sink += PollTick(ReadJob(*job), r).doneCount;
        std::printf("tick over %d positions: %.1f us\n", kPositions,
                    Seconds(start) * 1e6 / rounds);
        // What settling every position reads, as a batch's end does.
        start = std::chrono::steady_clock::now();
        for (int r = 0; r < rounds; ++r) {
            const JobSnapshot snapshot = ReadJob(*job);
            for (int position = 0; position < kPositions; ++position)
                sink += OutcomeOf(snapshot, position).kind;
        }
        std::printf("outcomes of %d positions: %.1f us%s\n", kPositions,
                    Seconds(start) * 1e6 / rounds, sink == 42 ? " " : "");
    }

    fs::remove_all(root);
    return 0;
}
