#include <gtest/gtest.h>

#include "engine/iso/IsoBoxIterator.h"
#include "tests/support/TempFolder.h"

#include <fcntl.h>
#include <unistd.h>

#include <vector>

// The walk over a range of boxes: what each header gives, where the walk
// stops, and that a status other than a box does not move it on.

namespace {

std::string U32(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::string Box(std::uint32_t size, const char* type, std::size_t body)
{
    return U32(size) + type + std::string(body, 'x');
}

struct Step {
    IsoBoxStatus status;
    std::uint64_t size;  // of a box
    bool to_end = false;
    bool large = false;
};

struct Case {
    const char* name;
    std::string bytes;
    std::uint64_t begin, limit;  // the range walked
    std::vector<Step> steps;
};

TEST(IsoBoxIteratorTest, WalksARangeByTheReadersRules)
{
    using S = IsoBoxStatus;
    const std::string large = U32(1) + "free" + U32(0) + U32(20) + "abcd";
    const std::vector<Case> cases = {
        {"two boxes and end padding", Box(8, "free", 0) + Box(12, "skip", 4) + std::string(4, '\0'),
         0, 24, {{S::kBox, 8}, {S::kBox, 12}, {S::kEnd, 0}}},
        {"size 0 reaches to the end of the range", Box(8, "free", 0) + Box(0, "mdat", 8), 0, 24,
         {{S::kBox, 8}, {S::kBox, 16, true}, {S::kEnd, 0}}},
        {"64-bit size", large + Box(8, "free", 0), 0, 28,
         {{S::kBox, 20, false, true}, {S::kBox, 8}, {S::kEnd, 0}}},
        {"a box past the range stays there", Box(8, "free", 0) + Box(16, "skip", 8), 0, 20,
         {{S::kBox, 8}, {S::kPastLimit, 0}, {S::kPastLimit, 0}}},
        {"a size smaller than its header", Box(4, "free", 4), 0, 8,
         {{S::kMalformed, 0}, {S::kMalformed, 0}}},
        {"the children of a box, not what follows it",
         U32(24) + "moov" + Box(16, "trak", 8) + Box(8, "free", 0), 8, 24,
         {{S::kBox, 16}, {S::kEnd, 0}}},
    };
    TempFolder folder{"iso-iterator"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder / "boxes";
        ASSERT_TRUE(WriteBytes(path, c.bytes));
        const int fd = ::open(path.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        IsoBoxReader reader(fd, c.bytes.size());
        IsoBoxIterator boxes(reader, c.begin, c.limit);
        std::uint64_t given = 0;
        for (const Step& step : c.steps) {
            IsoBox box;
            const IsoBoxStatus status = boxes.Next(box);
            EXPECT_EQ(status, step.status);
            if (status != S::kBox || step.status != S::kBox)
                continue;
            ++given;
            EXPECT_EQ(box.size, step.size);
            EXPECT_EQ(box.to_end, step.to_end);
            EXPECT_EQ(box.large, step.large);
        }
        EXPECT_EQ(boxes.count(), given);
        ::close(fd);
    }
}

}  // namespace
