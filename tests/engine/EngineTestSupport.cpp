#include "tests/engine/EngineTestSupport.h"

#include "engine/RotationWorker.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

namespace {
// Stream dumps of every probe and file would drown the test output.
const bool kQuiet = (av_log_set_level(AV_LOG_ERROR), true);
}  // namespace

std::unique_ptr<TestJob> MakeJob(int rotation_deg)
{
    (void)kQuiet;
    auto job = std::make_unique<TestJob>();
    job->turn_deg = rotation_deg;
    job->pre_file_wait_ms = 0;
    // These tests are of the remux way; the byte-exact way of MP4, MOV and
    // 3GP files has its own (tests/iso).
    job->copy_iso_files = false;
    return job;
}

void AddFile(TestJob& job, const std::string& input, const std::string& output,
             double duration_s)
{
    job.files.push_back(JobFile{input, output, duration_s, job.turn_deg});
}

int RunBatch(ConversionJob& job)
{
    std::thread worker = StartRotationWorker(job);
    worker.join();
    return job.worker_exit_code.load();
}

std::string RotateFixture(const TempFolder& folder, const MediaRecipe& recipe, int rotation_deg,
                          const std::string& in_name, const std::string& out_name)
{
    const std::string input = folder / in_name;
    EXPECT_EQ(MakeMediaFile(input, recipe), "") << in_name;
    return RotateFile(input, folder / out_name, rotation_deg);
}

std::string RotateFile(const std::string& input, const std::string& output, int rotation_deg,
                       std::vector<LeftOutStream>* left_out)
{
    auto job = MakeJob(rotation_deg);
    AddFile(*job, input, output);
    EXPECT_EQ(RunBatch(*job), 0);
    EXPECT_EQ(job->reports[0].file_status.load(), kFileDone)
        << input << ": " << FailureSentence(job->reports[0].failure);
    if (left_out)
        *left_out = job->reports[0].left_out;
    else
        EXPECT_TRUE(job->reports[0].left_out.empty()) << input << ": " << LeftOutNote(job->reports[0].left_out);
    return output;
}

std::vector<std::vector<FixturePacket>> PacketsByStream(const std::string& path,
                                                        const std::vector<int>& streams)
{
    std::vector<std::vector<FixturePacket>> result(streams.size());
    for (FixturePacket& p : ReadPackets(path)) {
        for (std::size_t k = 0; k < streams.size(); ++k) {
            if (streams[k] == p.stream_index)
                result[k].push_back(std::move(p));
        }
    }
    return result;
}

bool SamePayloads(const std::vector<std::vector<FixturePacket>>& a,
                  const std::vector<std::vector<FixturePacket>>& b, std::string* why)
{
    if (a.size() != b.size()) {
        *why = "stream count " + std::to_string(a.size()) + " vs " + std::to_string(b.size());
        return false;
    }
    for (std::size_t s = 0; s < a.size(); ++s) {
        if (a[s].empty()) {
            *why = "stream " + std::to_string(s) + " has no packets";
            return false;
        }
        if (a[s].size() != b[s].size()) {
            *why = "stream " + std::to_string(s) + ": " + std::to_string(a[s].size()) + " vs " +
                   std::to_string(b[s].size()) + " packets";
            return false;
        }
        for (std::size_t k = 0; k < a[s].size(); ++k) {
            if (a[s][k].data != b[s][k].data) {
                *why = "stream " + std::to_string(s) + " packet " + std::to_string(k) + " differs";
                return false;
            }
        }
    }
    return true;
}
