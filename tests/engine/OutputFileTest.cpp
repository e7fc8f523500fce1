#include "imaging/OutputFile.h"

#include <filesystem>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using enginefix::ListNames;
using testpics::TempDir;

void Touch(const std::string& path) { testpics::WriteBytes(path, { 'x' }); }

struct NamingCase {
    const char* name;
    std::vector<std::string> present; // files already in the folder; a trailing '/' makes a folder
    std::string wanted;
    std::string expected;
};
void PrintTo(const NamingCase& c, std::ostream* os) { *os << c.name; }


class MakeUniquePathTest : public testing::TestWithParam<NamingCase> { };

TEST_P(MakeUniquePathTest, FindsTheFirstFreeName)
{
    const NamingCase& c = GetParam();
    TempDir dir;
    for (const std::string& name : c.present) {
        if (name.back() == '/')
            std::filesystem::create_directory(dir / name.substr(0, name.size() - 1));
        else
            Touch(dir / name);
    }
    std::string path = dir / c.wanted;
    ASSERT_TRUE(MakeUniquePath(path, false));
    EXPECT_EQ(path, dir / c.expected);
    EXPECT_FALSE(std::filesystem::exists(path)) << "without reserve nothing is created";

    std::string reserved = dir / c.wanted;
    ASSERT_TRUE(MakeUniquePath(reserved, true));
    EXPECT_EQ(reserved, dir / c.expected);
    EXPECT_EQ(std::filesystem::file_size(reserved), 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, MakeUniquePathTest,
    testing::Values(NamingCase { "Free", {}, "photo.jpg", "photo.jpg" },
        NamingCase { "Taken", { "photo.jpg" }, "photo.jpg", "photo(0).jpg" },
        NamingCase { "TakenTwice", { "photo.jpg", "photo(0).jpg" }, "photo.jpg", "photo(1).jpg" },
        NamingCase { "GapIsFilled", { "photo.jpg", "photo(1).jpg" }, "photo.jpg", "photo(0).jpg" },
        NamingCase { "NumberFollowsTheTitle", { "photo.jpg", "photo(0).jpg", "photo(1).jpg" }, "photo(0).jpg",
            "photo(0)(0).jpg" },
        NamingCase { "FolderTakesTheName", { "photo.jpg/" }, "photo.jpg", "photo(0).jpg" },
        NamingCase { "OtherExtensionIsNoClash", { "photo.png" }, "photo.jpg", "photo.jpg" },
        NamingCase { "DotFileHasAnEmptyTitle", { ".jpg" }, ".jpg", "(0).jpg" }),
    enginefix::CaseName);

TEST(MakeUniquePath, ReservingNeverTakesOverAFileThatAppearedMeanwhile)
{
    TempDir dir;
    // A dangling link looks free to a look-up but is a name that is taken.
    std::filesystem::create_symlink(dir / "elsewhere.jpg", dir / "photo.jpg");
    std::string path = dir / "photo.jpg";
    ASSERT_TRUE(MakeUniquePath(path, true));
    EXPECT_EQ(path, dir / "photo(0).jpg");
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere.jpg"));
}

TEST(MakeUniquePath, MissingFolderFailsAtOnce)
{
    TempDir dir;
    std::string path = dir / "no/such/photo.jpg";
    EXPECT_FALSE(MakeUniquePath(path, true));
    EXPECT_TRUE(ListNames(dir.Path().string()).empty());
}

bool WriteText(const std::string& path, const std::string& text, std::string& error)
{
    testpics::WriteBytes(path, { text.begin(), text.end() });
    (void)error;
    return true;
}

TEST(WriteOutputFile, FailedWriteLeavesNothingBehindAndKeepsTheOldFile)
{
    for (const bool overwrite : { false, true }) {
        TempDir dir;
        Touch(dir / "a.jpg");
        std::string path = dir / "a.jpg", error;
        const bool ok = WriteOutputFile(path, overwrite,
            [](const std::string& p, std::string& e) {
                WriteText(p, "half", e);
                e = "could not write: disk full";
                return false;
            },
            error);
        EXPECT_FALSE(ok);
        EXPECT_EQ(error, "could not write: disk full");
        EXPECT_EQ(ListNames(dir.Path().string()), std::vector<std::string> { "a.jpg" }) << "overwrite " << overwrite;
        EXPECT_EQ(testpics::ReadBytes(dir / "a.jpg"), std::vector<std::uint8_t> { 'x' });
    }
}

} // namespace
