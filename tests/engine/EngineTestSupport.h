#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/FailureWords.h"
#include "engine/ConversionJob.h"
#include "tests/support/MediaFixtures.h"

// A job record with no wait before each file that remuxes every file, and
// the turn AddFile gives each file.
struct TestJob : ConversionJob {
    int turn_deg = 0;
};
std::unique_ptr<TestJob> MakeJob(int rotation_deg);
// Appends one position to the job, turned by the job's turn_deg.
void AddFile(TestJob& job, const std::string& input, const std::string& output,
             double duration_s = 1.0);
// Starts the worker on its thread and waits for it; returns its exit code.
int RunBatch(ConversionJob& job);
// Makes the fixture in_name in folder, rotates it by rotation_deg into
// out_name, expects it done and returns the output's path.
std::string RotateFixture(const TempFolder& folder, const MediaRecipe& recipe, int rotation_deg,
                          const std::string& in_name, const std::string& out_name);

// Rotates an existing file into output, expects it done and returns the
// output's path. The streams it left out go to left_out, or, without one,
// none are expected.
std::string RotateFile(const std::string& input, const std::string& output, int rotation_deg,
                       std::vector<LeftOutStream>* left_out = nullptr);

// The packets of each stream, in order, keeping only the streams listed.
std::vector<std::vector<FixturePacket>> PacketsByStream(const std::string& path,
                                                        const std::vector<int>& streams);
// True when every payload is the same, in the same order, per stream.
bool SamePayloads(const std::vector<std::vector<FixturePacket>>& a,
                  const std::vector<std::vector<FixturePacket>>& b, std::string* why);
