// The tree scan over a tree with everything a real one may hold.
#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "batch/AddFilesJob.h"
#include "batch/FolderScan.h"
#include "batch/ImageBatch.h"
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

// The window's model: a folder added with its sub-folders brings every picture once, the link back up is
// listed as not added, and with the tree kept each output lands at its source's place; without the tree
// the same names are numbered. Turning the tree on after adding still counts.
TEST_F(FolderTest, WindowModelAddsATreeAndMirrorsIt)
{
    for (const char* folder : { "a/b", "c" })
        std::filesystem::create_directories(In(folder));
    for (const char* file : { "x.png", "a/x.png", "a/b/x.png", "c/x.png" })
        testpics::WriteColour(In(file), 30, 20, "png");
    std::filesystem::create_directory_symlink("..", In("a/up"));

    for (const bool keepTree : { false, true }) {
        SCOPED_TRACE(keepTree ? "tree kept" : "one folder");
        std::filesystem::remove_all(Out());
        std::filesystem::create_directory(Out());
        ImageBatch batch;
        OutputOptions options;
        options.includeSubfolders = true;
        batch.SetOutputOptions(options);
        batch.SetScanFolder(In(""));
        batch.SetScanFolderFlag(true);
        batch.StartAddJob(std::make_shared<enginefix::RecordingSink>());
        ASSERT_TRUE(batch.WaitAddJob(std::chrono::milliseconds(60000)));
        ASSERT_EQ(batch.GetEntryCount(), 4);
        ASSERT_EQ(batch.GetRejectedFiles().size(), 1u);
        EXPECT_EQ(batch.GetRejectedFiles()[0].path, In("a/up"));

        options.keepTree = keepTree;
        batch.SetOutputOptions(options);
        batch.SetOutputFolder(Out());
        ASSERT_TRUE(enginefix::RunJob(batch));
        EXPECT_EQ(batch.GetConvertFailureCount(), 0);
        std::vector<std::string> written;
        for (const auto& e : std::filesystem::recursive_directory_iterator(Out()))
            if (e.is_regular_file())
                written.push_back(std::filesystem::relative(e.path(), Out()).string());
        std::ranges::sort(written);
        EXPECT_EQ(written,
            keepTree ? (std::vector<std::string> { "a/b/x.jpg", "a/x.jpg", "c/x.jpg", "x.jpg" })
                     : (std::vector<std::string> { "x(0).jpg", "x(1).jpg", "x(2).jpg", "x.jpg" }));
    }
}

} // namespace
