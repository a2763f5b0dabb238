#include <gtest/gtest.h>

#include "engine/ConversionJob.h"
#include "engine/RotationWorker.h"
#include "tests/iso/IsoTestSupport.h"
#include "tests/support/IsoBoxEdit.h"
#include "tests/support/IsoFixtures.h"
#include "tests/support/TempFolder.h"

#include <cmath>
#include <map>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

// Thousands of damaged small files (flipped bits, sizes and counts set to
// 0, 1, small and huge values, cuts, swapped boxes), made the same way on
// every run: the inspection never crashes, never hangs, never reads or
// writes outside the file, and whatever it calls rewritable goes through
// copy, patch and read-back with the copy differing only in its matrices.
// The whole count runs under AddressSanitizer and UBSan (FENNEX_FUZZ_FULL,
// set by FENNEX_ASAN), where a stray read is caught; other builds run the
// first eighth of the same mutants.

namespace {

using Verdict = IsoInspection::Verdict;

#ifdef FENNEX_FUZZ_FULL
constexpr int kFuzzShare = 8;
#else
constexpr int kFuzzShare = 1;
#endif

struct Span {
    std::uint64_t start, size, header;
    std::string type;
};

// Every box the test reader knows, depth first.
void Collect(const std::vector<TestBox>& boxes, std::vector<Span>& out)
{
    for (const TestBox& box : boxes) {
        out.push_back({box.old_start, box.old_size, box.old_header, box.type});
        Collect(box.children, out);
    }
}

class Mutator
{
public:
    explicit Mutator(const std::string& seed) : seed_(seed)
    {
        IsoTestFile file(seed);
        Collect(file.boxes(), boxes_);
        for (const Span& box : boxes_) {
            if (box.type != "mdat")
                structure_.push_back(box);
        }
        Siblings(file.boxes());
    }

    std::string Next(std::mt19937& random)
    {
        std::string bytes = seed_;
        const int kind = Pick(random, 5);
        switch (kind) {
        case 0: {  // flipped bits, mostly in the headers
            const int flips = 1 + Pick(random, 4);
            for (int i = 0; i < flips; ++i) {
                const std::uint64_t at = PlaceInHeaders(random);
                bytes[at] = static_cast<char>(bytes[at] ^ (1 << Pick(random, 8)));
            }
            break;
        }
        case 1: {  // a box size
            const Span& box = boxes_[static_cast<std::size_t>(Pick(random, Count(boxes_)))];
            const std::uint32_t sizes[] = {0,
                                           1,
                                           static_cast<std::uint32_t>(2 + Pick(random, 6)),
                                           8,
                                           static_cast<std::uint32_t>(box.size - 1),
                                           static_cast<std::uint32_t>(box.size + 1),
                                           static_cast<std::uint32_t>(box.size + 8),
                                           0x7fffffff,
                                           0xffffffff,
                                           static_cast<std::uint32_t>(random())};
            if (box.header == 16 && Pick(random, 2) == 0) {
                const std::uint64_t large[] = {
                    0, 15, 16, box.size * 2, ~std::uint64_t{0} / 3, ~std::uint64_t{0}};
                PutU64(bytes, box.start + 8, large[Pick(random, 6)]);
            } else {
                PutU32(bytes, box.start, sizes[Pick(random, 10)]);
            }
            break;
        }
        case 2: {  // a cut, anywhere or near the start of a box
            std::uint64_t keep = static_cast<std::uint64_t>(Pick(random, Count(bytes)));
            if (Pick(random, 2) == 0) {
                const Span& box = boxes_[static_cast<std::size_t>(Pick(random, Count(boxes_)))];
                keep = std::min<std::uint64_t>(
                    box.start + static_cast<std::uint64_t>(Pick(random, 24)), bytes.size());
            }
            bytes.resize(keep);
            break;
        }
        case 3: {  // two neighbouring boxes swapped
            if (pairs_.empty())
                break;
            const auto& [a, b] = pairs_[static_cast<std::size_t>(Pick(random, Count(pairs_)))];
            bytes = bytes.substr(0, a.start) + bytes.substr(b.start, b.size) +
                    bytes.substr(a.start, a.size) + bytes.substr(b.start + b.size);
            break;
        }
        default: {  // the entry count (or a field near it) of a table
            const Span& box = structure_[static_cast<std::size_t>(Pick(random, Count(structure_)))];
            const std::uint64_t field =
                box.start + box.header + 4 * static_cast<std::uint64_t>(Pick(random, 3));
            if (field + 4 > bytes.size())
                break;
            const std::uint32_t counts[] = {0, 1, 2, 0x10000, 0x7fffffff, 0xffffffff};
            PutU32(bytes, field, counts[Pick(random, 6)]);
            break;
        }
        }
        return bytes;
    }

private:
    template <typename C>
    static int Count(const C& c)
    {
        return static_cast<int>(c.size());
    }

    static int Pick(std::mt19937& random, int n)
    {
        return n <= 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(n));
    }

    std::uint64_t PlaceInHeaders(std::mt19937& random)
    {
        if (Pick(random, 5) == 0 || structure_.empty())
            return static_cast<std::uint64_t>(Pick(random, Count(seed_)));
        const Span& box = structure_[static_cast<std::size_t>(Pick(random, Count(structure_)))];
        const int reach = static_cast<int>(std::min<std::uint64_t>(box.size, 64));
        return box.start + static_cast<std::uint64_t>(Pick(random, reach));
    }

    void Siblings(const std::vector<TestBox>& boxes)
    {
        for (std::size_t i = 0; i + 1 < boxes.size(); ++i) {
            pairs_.push_back(
                {{boxes[i].old_start, boxes[i].old_size, 0, boxes[i].type},
                 {boxes[i + 1].old_start, boxes[i + 1].old_size, 0, boxes[i + 1].type}});
        }
        for (const TestBox& box : boxes)
            Siblings(box.children);
    }

    std::string seed_;
    std::vector<Span> boxes_, structure_;
    std::vector<std::pair<Span, Span>> pairs_;
};

TEST(IsoFuzzTest, DamagedFilesNeverCrashAndRewritableOnesRotate)
{
    TempFolder folder("iso-fuzz");
    IsoRecipe plain;
    plain.width = 64;
    plain.height = 48;
    plain.seconds = 0.5;
    IsoRecipe fragmented = plain;
    fragmented.seconds = 2.2;  // three fragments
    fragmented.movflags = "frag_keyframe+empty_moov";
    ASSERT_EQ(MakeIsoWithFfmpeg(folder / "plain.mp4", plain), "");
    ASSERT_EQ(MakeIsoWithFfmpeg(folder / "fragmented.mp4", fragmented), "");
    ASSERT_EQ(MakeIsoWithGstreamer(folder / "gst.mp4", 400), "");
    IsoTestFile large = IsoTestFile::Load(folder / "plain.mp4");
    large.Find("mdat")->large = true;
    const std::vector<std::string> seeds = {ReadWholeFile(folder / "plain.mp4"),
                                            ReadWholeFile(folder / "fragmented.mp4"),
                                            ReadWholeFile(folder / "gst.mp4"), large.Bytes()};

    std::mt19937 random(20240611u);
    std::map<Verdict, int> verdicts;
    const std::string mutant = folder / "mutant.mp4";
    const std::string out = folder / "out.mp4";
    constexpr int kPerSeed = 100 * kFuzzShare;
    for (std::size_t s = 0; s < seeds.size(); ++s) {
        Mutator mutator(seeds[s]);
        for (int i = 0; i < kPerSeed; ++i) {
            SCOPED_TRACE("seed " + std::to_string(s) + " mutant " + std::to_string(i));
            const std::string bytes = mutator.Next(random);
            ASSERT_TRUE(WriteBytes(mutant, bytes));
            const IsoInspection inspection = InspectPath(mutant);
            ++verdicts[inspection.verdict];
            ASSERT_NE(inspection.verdict, Verdict::kUnreadable);
            ASSERT_EQ(inspection.file_size, bytes.size());
            if (inspection.verdict == Verdict::kCutShort) {
                EXPECT_TRUE(std::isfinite(inspection.ends_at_s) && inspection.ends_at_s >= 0);
                EXPECT_TRUE(std::isfinite(inspection.duration_s) && inspection.duration_s >= 0);
            }
            if (inspection.verdict != Verdict::kRewritable) {
                EXPECT_TRUE(inspection.video_tracks.empty());
                continue;
            }
            std::vector<std::uint64_t> offsets;
            for (const IsoVideoTrack& track : inspection.video_tracks) {
                ASSERT_LE(track.matrix_offset + 36, bytes.size());
                offsets.push_back(track.matrix_offset);
            }
            ::unlink(out.c_str());
            const RotatedCopy rotated = RotateByCopy(mutant, out, 90 * (1 + i % 3));
            ASSERT_EQ(rotated.failed, "");
            std::string why;
            ASSERT_TRUE(DiffersOnlyInMatrices(mutant, out, offsets, &why)) << why;
        }
    }
    for (const auto& [verdict, count] : verdicts)
        std::cout << "verdict " << static_cast<int>(verdict) << ": " << count << " mutants\n";
    // The damage reaches every kind of answer, or the mutants say little.
    EXPECT_GT(verdicts[Verdict::kRewritable], 100 * kFuzzShare / 8);
    EXPECT_GT(verdicts[Verdict::kNotTaken], 100 * kFuzzShare / 8);
    EXPECT_GT(verdicts[Verdict::kCutShort], 100 * kFuzzShare / 8);
}

// Damaged files as a batch meets them: through the worker, which picks
// the byte copy or the remux for each. Whatever the verdict, a file is
// either done with its output in place or leaves nothing behind, and its
// input is never changed.
TEST(IsoFuzzTest, DamagedFilesInABatchLeaveNothingUnreportedWhenTheyFail)
{
    TempFolder folder("iso-fuzz-batch");
    IsoRecipe plain;
    plain.width = 64;
    plain.height = 48;
    plain.seconds = 0.5;
    IsoRecipe fragmented = plain;
    fragmented.seconds = 2.2;
    fragmented.movflags = "frag_keyframe+empty_moov";
    ASSERT_EQ(MakeIsoWithFfmpeg(folder / "plain.mp4", plain), "");
    ASSERT_EQ(MakeIsoWithFfmpeg(folder / "fragmented.mp4", fragmented), "");
    const std::vector<std::string> seeds = {ReadWholeFile(folder / "plain.mp4"),
                                            ReadWholeFile(folder / "fragmented.mp4")};
    std::mt19937 random(20261209u);
    std::map<int, int> statuses;
    constexpr int kPerSeed = 25 * kFuzzShare;
    for (std::size_t s = 0; s < seeds.size(); ++s) {
        Mutator mutator(seeds[s]);
        for (int i = 0; i < kPerSeed; ++i) {
            SCOPED_TRACE("seed " + std::to_string(s) + " mutant " + std::to_string(i));
            const std::string bytes = mutator.Next(random);
            const std::string in = folder / "mutant.mp4";
            const std::string out = folder / "out.mov";
            ASSERT_TRUE(WriteBytes(in, bytes));
            auto job = std::make_unique<ConversionJob>();
            job->pre_file_wait_ms = 0;
            job->files.push_back(JobFile{in, out, 1.0, 90});
            RotationWorker(*job);
            const int status = job->reports[0].file_status.load();
            ++statuses[status];
            EXPECT_EQ(ReadWholeFile(in), bytes) << "the input is never changed";
            // Whatever a file that did not get done left is reported, for
            // the session to remove.
            struct stat info {};
            const bool left = ::lstat(out.c_str(), &info) == 0;
            EXPECT_TRUE(status == kFileDone ? left
                                            : !left || (job->reports[0].output_created.load() &&
                                                        job->reports[0].created_output.path == out))
                << "status " << status;
            ::unlink(out.c_str());
        }
    }
    for (const auto& [status, count] : statuses)
        std::cout << "status " << status << ": " << count << " mutants\n";
    EXPECT_GT(statuses[kFileDone], 10 * kFuzzShare / 8);
    EXPECT_GT(statuses[kFileFailed], 10 * kFuzzShare / 8);
}

}  // namespace
