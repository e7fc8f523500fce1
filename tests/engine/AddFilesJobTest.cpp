#include "batch/AddFilesJob.h"

#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "batch/BatchJobKind.h"
#include "batch/FolderScan.h"
#include "batch/ImageBatch.h"
#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using namespace enginefix;
using testpics::TempDir;
constexpr std::chrono::milliseconds kLong { 60000 };

Posted Add(std::uint32_t code, std::int64_t value) { return { WM_ADD_PROGRESS, code, value }; }

// Steps 1 .. 2 x paths, then the end; a folder scan's total first when there is one.
std::vector<Posted> Expected(int paths, std::optional<int> scanned = std::nullopt)
{
    std::vector<Posted> posts;
    if (scanned)
        posts.push_back(Add(AddCodeTotal, *scanned));
    for (int step = 1; step <= 2 * paths; ++step)
        posts.push_back(Add(AddCodeStep, step));
    posts.push_back(Add(AddCodeEnd, 0));
    return posts;
}

// Cancel pressed before the start, for both jobs: neither stop may end the new job.
constexpr Posted kBeforeStart {};

struct AddCase {
    std::string name;
    Names paths;                    // added one by one from pics/, or
    std::string folder;             // scanned
    std::optional<Posted> cancelOn; // the post after which Cancel is pressed
    Names entries;                  // file names of the entries, in list order
    std::vector<Posted> posts;
};

// Every case sees the same files: one.JPG, four.gif and the sub-folder pics with a.jpg, b.png,
// d.gif, e.jpg and c.jpg, a TIFF header without pixels; and an empty folder.
class AddFilesJobTest : public testing::TestWithParam<AddCase> {
protected:
    TempDir m_dir;
};

TEST_P(AddFilesJobTest, AddsReadablePicturesInOrderAndPostsEveryStep)
{
    const AddCase& c = GetParam();
    std::filesystem::create_directories(m_dir / "pics");
    std::filesystem::create_directories(m_dir / "empty");
    for (const char* name : { "one.JPG", "pics/a.jpg", "pics/e.jpg" })
        testpics::WriteColour(m_dir / name, 40, 30, "jpg");
    for (const char* name : { "four.gif", "pics/d.gif" })
        testpics::WriteColour(m_dir / name, 40, 30, "gif");
    testpics::WriteColour(m_dir / "pics/b.png", 40, 30, "png");
    // A sound header and no pixels where it says: no entry.
    testpics::WriteDamaged(m_dir / "pics/c.jpg", "no_strips.tif");

    // Read side by side or one at a time, the rows and the messages come in the order of the files.
    for (const int jobs : { 1, 2, 3 }) {
        SCOPED_TRACE("jobs " + std::to_string(jobs));
        ImageBatch batch;
        batch.SetJobs(jobs);
        for (const std::string& name : c.paths)
            batch.AddPendingPath(m_dir / ("pics/" + name));
        if (!c.folder.empty()) {
            // The folder with and without the trailing '/'.
            batch.SetScanFolder(c.folder == "." ? m_dir.Path().string() : m_dir / (c.folder + "/"));
            batch.SetScanFolderFlag(true);
        }
        if (c.cancelOn == kBeforeStart) {
            batch.CancelAddJob();
            batch.CancelConvertJob();
        }
        auto sink = std::make_shared<RecordingSink>();
        sink->onPost = [&](const Posted& p) {
            if (p == c.cancelOn)
                batch.CancelAddJob();
        };
        batch.StartAddJob(sink);
        ASSERT_TRUE(batch.WaitAddJob(kLong));
        EXPECT_FALSE(batch.IsAddJobRunning());

        Names names;
        for (int i = 0; i < batch.GetEntryCount(); ++i) {
            names.push_back(std::filesystem::path(batch.GetEntry(i)->GetPath()).filename().string());
            EXPECT_EQ(batch.GetThumbnailBitmap(i).width, 80) << names.back();
            EXPECT_NE(batch.GetInfoText(i), "") << names.back();
            EXPECT_EQ(batch.GetEntry(i)->GetImage(), nullptr) << "the full picture is freed";
        }
        EXPECT_EQ(names, c.entries);
        EXPECT_EQ(sink->posts, c.posts);
        // The files met and not added are listed with the reason.
        Names rejected;
        for (const RejectedFile& file : batch.GetRejectedFiles())
            rejected.push_back(std::filesystem::path(file.path).filename().string() + ": " + file.reason);
        EXPECT_EQ(rejected,
            c.name == "FiveWithOneDamaged" ? Names { "c.jpg: damaged: none of the picture could be read" } : Names {});
    }
}

const Names kFive { "e.jpg", "a.jpg", "c.jpg", "d.gif", "b.png" };

INSTANTIATE_TEST_SUITE_P(Cases, AddFilesJobTest,
    testing::Values(
        AddCase { "FiveWithOneDamaged", kFive, "", {}, { "e.jpg", "a.jpg", "d.gif", "b.png" }, Expected(5) },
        AddCase { "SameFileTwice", { "a.jpg", "a.jpg" }, "", {}, { "a.jpg", "a.jpg" }, Expected(2) },
        AddCase { "FolderWithoutItsSubFolders", {}, ".", {}, { "four.gif", "one.JPG" }, Expected(2, 2) },
        AddCase { "EmptyFolder", {}, "empty", {}, {}, Expected(0, 0) },
        AddCase { "EarlierStopsAreForgotten", { "a.jpg" }, "", kBeforeStart, { "a.jpg" }, Expected(1) },
        // The scan is not interrupted; the stop is seen before the first path.
        AddCase { "CancelDuringScan", {}, ".", Add(AddCodeTotal, 2), {}, { Add(AddCodeTotal, 2), Add(AddCodeEnd, 0) } },
        // Seen before the second post: the path is added, its second step never posted.
        AddCase { "CancelDuringFirstPath", kFive, "", Add(AddCodeStep, 1), { "e.jpg" },
            { Add(AddCodeStep, 1), Add(AddCodeEnd, 0) } }),
    CaseName);

TEST(AddJob, AWaitThatRunsOutKeepsTheWorkerUntilItEnds)
{
    TempDir dir;
    AutoResetEvent release;
    ImageBatch batch;
    batch.AddPendingPath(dir / "missing.jpg");
    auto sink = std::make_shared<RecordingSink>();
    sink->onPost = [&](const Posted& p) {
        if (p == Add(AddCodeStep, 1))
            release.WaitFor(kLong);
    };
    batch.StartAddJob(sink);
    EXPECT_FALSE(batch.WaitAddJob(std::chrono::milliseconds(0)));
    EXPECT_TRUE(batch.IsAddJobRunning());
    batch.StartAddJob(sink); // no second worker while one exists
    release.Set();
    ASSERT_TRUE(batch.WaitAddJob(kLong));
    EXPECT_FALSE(batch.IsAddJobRunning());
    EXPECT_EQ(sink->posts, Expected(1));
}

TEST(ScanFolderForPictures, TakesTheListedExtensionsIgnoringCaseAndNoSubFolders)
{
    TempDir dir;
    for (const char* name : { "one.JPG", "two.tiff", "three.pcx", "four.gif", "notes.txt", "six.Jpeg", ".bmp",
             "seven.emf", "eight.WMF", "nine.tif", "ten.png.txt", "eleven.webp" })
        testpics::WriteBytes(dir / name, { 'x' });
    std::filesystem::create_directory(dir / "five.jpg");
    testpics::WriteBytes(dir / "five.jpg/inside.jpg", { 'x' });
    std::string error;
    EXPECT_EQ(ScanFolderForPictures(dir.Path().string() + "/", error),
        (Names { dir / ".bmp", dir / "eight.WMF", dir / "eleven.webp", dir / "four.gif", dir / "nine.tif",
            dir / "one.JPG", dir / "seven.emf", dir / "six.Jpeg", dir / "two.tiff" }));
    EXPECT_EQ(error, "");
    EXPECT_TRUE(ScanFolderForPictures(dir / "missing", error).empty());
    EXPECT_NE(error, "");
}

} // namespace
