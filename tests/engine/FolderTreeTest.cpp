// The tree scan over a tree with everything a real one may hold.
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "batch/FolderScan.h"
#include "tests/support/EngineFixtures.h"

namespace {

using enginefix::FolderTest;

// Pictures, a look-alike FIFO, a hidden folder, a link back up and (unless root reads everything) a locked folder:
// exactly the pictures come back, each folder's own first, with their folders; the loop and the locked folder
// are notes, and the FIFO is never opened (the scan would hang on it).
TEST_F(FolderTest, TreeScanListsExactlyThePictures)
{
    const std::string root = dir / "in";
    for (const char* folder : { "a/b", "c", ".hidden", "locked" })
        std::filesystem::create_directories(root + "/" + folder);
    for (const char* file : { "z.png", "a/x.png", "a/b/x.png", "c/x.png", ".hidden/h.png", "locked/l.png" })
        testpics::WriteColour(root + "/" + file, 8, 8, "png");
    testpics::WriteBytes(root + "/a/notes.txt", { 'x' });
    ASSERT_EQ(::mkfifo((root + "/c/pipe.jpg").c_str(), 0600), 0);
    std::filesystem::create_directory_symlink("..", root + "/a/b/up");
    ::chmod((root + "/locked").c_str(), 0);
    const bool rootUser = ::geteuid() == 0;

    std::vector<SkippedFolder> skipped;
    const auto found = ScanFolderTree(root, skipped);
    ::chmod((root + "/locked").c_str(), 0700);
    std::vector<std::pair<std::string, std::string>> got;
    for (const ScannedPicture& p : found)
        got.emplace_back(p.path.substr(root.size() + 1), p.subfolder);
    std::vector<std::pair<std::string, std::string>> wanted { { "z.png", "" }, { "a/x.png", "a/" },
        { "a/b/x.png", "a/b/" }, { "c/x.png", "c/" } };
    if (rootUser)
        wanted.emplace_back("locked/l.png", "locked/");
    EXPECT_EQ(got, wanted);
    ASSERT_EQ(skipped.size(), rootUser ? 1u : 2u);
    EXPECT_EQ(skipped[0].folder, root + "/a/b/up");
    EXPECT_EQ(skipped[0].reason, "a link back to a folder above it");
    if (!rootUser) {
        EXPECT_EQ(skipped[1].folder, root + "/locked");
    }

    std::string error;
    EXPECT_EQ(ScanFolderForPictures(root + "/c", error), std::vector<std::string> { root + "/c/x.png" }) << "no FIFO";
}

} // namespace
