#include "app/CreateFolderPath.h"

#include <climits>
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/app/TestHelpers.h"
#include "tests/support/TestPictures.h"

namespace fs = std::filesystem;

namespace {

TEST(CreateFolderPath, CreatesEveryMissingLevel)
{
    testpics::TempDir dir;
    const std::string path = dir.Path().string() + "/x/one/two/three/";
    EXPECT_TRUE(CreateFolderPath(path));
    EXPECT_TRUE(fs::is_directory(dir.Path() / "x/one/two/three"));
    // Existing folders, doubled and missing trailing slashes are all fine.
    EXPECT_TRUE(CreateFolderPath(path));
    EXPECT_TRUE(CreateFolderPath(dir.Path().string() + "//x//one/two/three/four"));
    EXPECT_TRUE(fs::is_directory(dir.Path() / "x/one/two/three/four"));
    EXPECT_TRUE(CreateFolderPath("/"));
}

struct RefusedPath {
    const char* name;
    std::string path;
};

class CreateFolderPathRefused : public ::testing::TestWithParam<RefusedPath> { };

// Run from an empty folder, so anything made relative to the current directory shows.
TEST_P(CreateFolderPathRefused, FailsAndCreatesNothing)
{
    testpics::TempDir dir;
    const fs::path previous = fs::current_path();
    fs::current_path(dir.Path());
    const bool created = CreateFolderPath(GetParam().path);
    const bool empty = fs::is_empty(dir.Path());
    fs::current_path(previous);
    EXPECT_FALSE(created);
    EXPECT_TRUE(empty);
}

INSTANTIATE_TEST_SUITE_P(Paths, CreateFolderPathRefused,
    ::testing::Values(RefusedPath { "Empty", "" }, RefusedPath { "Relative", "photos" },
        RefusedPath { "RelativeNested", "photos/2024/" }, RefusedPath { "DotRelative", "./photos" },
        RefusedPath { "Parent", "../photos" }, RefusedPath { "NetworkUrl", "smb://server/share" },
        RefusedPath { "DriveLetter", "C:\\Temp" }, RefusedPath { "TildeNotExpanded", "~/photos" },
        RefusedPath { "TooLong", "/" + std::string(PATH_MAX, 'a') },
        RefusedPath { "EmbeddedNul", std::string("/tmp/a\0b", 8) }),
    CaseName());

TEST(CreateFolderPath, PathThroughAFileFails)
{
    testpics::TempDir dir;
    testpics::WriteBytes(dir / "file", { 'x' });
    EXPECT_FALSE(CreateFolderPath(dir / "file/sub/deeper"));
    EXPECT_FALSE(CreateFolderPath(dir / "file"));
    EXPECT_FALSE(CreateFolderPath(dir / "file/"));
    EXPECT_TRUE(fs::is_regular_file(dir.Path() / "file"));
}

} // namespace
