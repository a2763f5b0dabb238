// What a batch start and a polling tick cost: planning N inputs, recovering
// N crash-record entries of an earlier version, one tick over a job record
// of 10,001 positions and the outcomes of all its positions.
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

    {
        const std::vector<TickedRow> rows = MakeInputs(root + "/in", files);
        const auto start = std::chrono::steady_clock::now();
        const PreparedBatch batch = PrepareBatch(rows, out);
        const double prepare = Seconds(start);
        std::printf("prepare %d inputs: %.3f s (%.3f ms per input)%s\n", files, prepare,
                    prepare * 1000 / files, batch.Complete() ? "" : " INCOMPLETE");
    }

    {
        // A killed batch of an earlier version, which renamed its inputs:
        // its records are put right at the next start.
        const std::vector<TickedRow> rows = MakeInputs(root + "/killed", files);
        {
            std::ofstream journal(root + "/killed-names.txt", std::ios::binary);
            for (const TickedRow& row : rows) {
                const std::string temporary = row.path.substr(0, row.path.size() - 4) + ".mov";
                journal << "P" << '\0' << row.path << '\0' << temporary << '\0';
                fs::rename(row.path, temporary);
            }
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
