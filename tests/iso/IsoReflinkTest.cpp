#include <gtest/gtest.h>

#include "tests/iso/IsoTestSupport.h"
#include "tests/support/IsoBoxEdit.h"
#include "tests/support/IsoFixtures.h"
#include "tests/support/MediaFixtures.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

// On a filesystem that shares blocks (XFS here, made on a loop device),
// the rotated copy costs almost no space: it shares the input's extents
// except the block of its matrices, and the input stays as it was.

namespace {

// An XFS image with reflink, loop-mounted for one test, unmounted and
// deleted in every case. Needs root.
class XfsMount
{
public:
    XfsMount()
    {
        if (::geteuid() != 0) {
            refused_ = "mounting a loop device needs root";
            return;
        }
        const std::string image = temp_ / "xfs.img";
        dir_ = temp_ / "mnt";
        std::string log;
        if (!WriteBytes(image, "") || ::truncate(image.c_str(), 1LL << 30) != 0 ||
            ::mkdir(dir_.c_str(), 0755) != 0) {
            refused_ = "cannot make the image file";
            return;
        }
        if (RunProgram({"mkfs.xfs", "-q", "-m", "reflink=1", image}, &log) != 0) {
            refused_ = "mkfs.xfs failed: " + log;
            return;
        }
        if (RunProgram({"mount", "-o", "loop", image, dir_}, &log) != 0) {
            refused_ = "mount -o loop refused: " + log;
            return;
        }
        mounted_ = true;
    }

    ~XfsMount()
    {
        if (mounted_ && RunProgram({"umount", dir_}) != 0)
            RunProgram({"umount", "-l", dir_});
    }

    XfsMount(const XfsMount&) = delete;
    XfsMount& operator=(const XfsMount&) = delete;

    const std::string& refused() const { return refused_; }
    std::string operator/(const std::string& name) const { return dir_ + "/" + name; }

    std::uint64_t FreeBytes() const
    {
        ::sync();
        struct statvfs info {};
        ::statvfs(dir_.c_str(), &info);
        return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
    }

private:
    TempFolder temp_{"iso-xfs"};  // removed after the unmount
    std::string dir_;
    std::string refused_;
    bool mounted_ = false;
};

TEST(IsoReflinkTest, RotatedCopySharesTheInputsBlocks)
{
    XfsMount xfs;
    if (!xfs.refused().empty())
        GTEST_SKIP() << xfs.refused();

    // A small clip with 48 MiB of padding after it, so that the space a
    // copy would take shows.
    IsoRecipe recipe;
    ASSERT_EQ(MakeIsoWithFfmpeg(xfs / "clip.mp4", recipe), "");
    IsoTestFile file = IsoTestFile::Load(xfs / "clip.mp4");
    std::string padding(48 << 20, '\0');
    for (std::size_t i = 0; i < padding.size(); i += 4096)
        padding[i] = static_cast<char>(i >> 12);
    file.boxes().push_back(LeafBox("free", padding));
    const std::string in = xfs / "input.mp4";
    ASSERT_TRUE(file.Save(in));
    const std::string before = ReadWholeFile(in);

    const std::uint64_t free_before = xfs.FreeBytes();
    const RotatedCopy rotated = RotateByCopy(in, xfs / "output.mp4", 90);
    ASSERT_EQ(rotated.failed, "");
    EXPECT_EQ(rotated.copy.way, CopyWay::kReflink) << CopyWayName(rotated.copy.way);
    const std::uint64_t free_after = xfs.FreeBytes();
    EXPECT_LT(free_before - free_after, 2u << 20)
        << "a copy of " << before.size() << " bytes took " << free_before - free_after;

    std::string extents;
    ASSERT_EQ(RunProgram({"filefrag", "-v", xfs / "output.mp4"}, &extents), 0);
    EXPECT_NE(extents.find("shared"), std::string::npos) << extents;

    EXPECT_EQ(ReadWholeFile(in), before) << "the input is never changed";
    std::string why;
    EXPECT_TRUE(DiffersOnlyInMatrices(in, xfs / "output.mp4", VideoMatrixOffsets(before), &why))
        << why;
    EXPECT_EQ(ExiftoolRotation(xfs / "output.mp4"), 90);
}

}  // namespace
