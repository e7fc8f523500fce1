#include "batch/AddFilesJob.h"

#include <filesystem>
#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "batch/BatchJobKind.h"
#include "batch/FolderScan.h"
#include "imaging/ImageBatch.h"
#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using enginefix::Posted;
using enginefix::RecordingSink;
using testpics::TempDir;
using Names = std::vector<std::string>;
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

struct AddCase {
    std::string name;
    // Makes the files and tells the batch what to add.
    std::function<void(const TempDir& dir, ImageBatch& batch)> prepare;
    std::optional<Posted> cancelOn; // the post after which Cancel is pressed
    Names entries;                  // file names of the entries, in list order
    std::vector<Posted> posts;
};

void Pending(const TempDir& dir, ImageBatch& batch, const Names& names)
{
    for (const std::string& name : names)
        batch.AddPendingPath(dir / name);
}

void MixedFolder(const TempDir& dir, ImageBatch& batch)
{
    testpics::WriteColour(dir / "one.JPG", 40, 30, "jpg");
    testpics::WriteColour(dir / "two.tiff", 40, 30, "tif");
    testpics::WriteColour(dir / "three.pcx", 40, 30, "pcx");
    testpics::WriteColour(dir / "four.gif", 40, 30, "gif");
    std::filesystem::create_directory(dir / "five");
    testpics::WriteColour(dir / "five/inside.jpg", 40, 30, "jpg");
    batch.SetScanFolder(dir.Path().string()); // without the trailing '/'
    batch.SetScanFolderFlag(true);
}

void FivePicturesOneDamaged(const TempDir& dir, ImageBatch& batch)
{
    for (const char* name : { "a.jpg", "b.png", "d.gif", "e.jpg" })
        testpics::WriteColour(dir / name, 40, 30, std::filesystem::path(name).extension().string().substr(1));
    testpics::WriteBytes(dir / "c.jpg", { 0xFF, 0xD8, 0xFF, 'n', 'o', 't' });
    Pending(dir, batch, { "e.jpg", "a.jpg", "c.jpg", "d.gif", "b.png" });
}

class AddFilesJobTest : public testing::TestWithParam<AddCase> { };

TEST_P(AddFilesJobTest, AddsReadablePicturesInOrderAndPostsEveryStep)
{
    const AddCase& c = GetParam();
    TempDir dir;
    ImageBatch batch;
    c.prepare(dir, batch);
    auto sink = std::make_shared<RecordingSink>();
    if (c.cancelOn)
        sink->onPost = [&](const Posted& p) {
            if (p == *c.cancelOn)
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
}

INSTANTIATE_TEST_SUITE_P(Cases, AddFilesJobTest,
    testing::Values(AddCase { "FiveWithOneDamaged", FivePicturesOneDamaged, std::nullopt,
                        { "e.jpg", "a.jpg", "d.gif", "b.png" }, Expected(5) },
        AddCase { "SameFileTwice",
            [](const TempDir& dir, ImageBatch& batch) {
                testpics::WriteColour(dir / "a.jpg", 40, 30, "jpg");
                Pending(dir, batch, { "a.jpg", "a.jpg" });
            },
            std::nullopt, { "a.jpg", "a.jpg" }, Expected(2) },
        AddCase { "FolderTakesListedExtensionsOnly", MixedFolder, std::nullopt, { "four.gif", "one.JPG" },
            Expected(2, 2) },
        AddCase { "EmptyFolder",
            [](const TempDir& dir, ImageBatch& batch) {
                batch.SetScanFolder(dir / "");
                batch.SetScanFolderFlag(true);
            },
            std::nullopt, {}, Expected(0, 0) },
        // The scan is not interrupted; the stop is seen before the first path.
        AddCase { "CancelDuringScan", MixedFolder, Add(AddCodeTotal, 2), {}, { Add(AddCodeTotal, 2), Add(AddCodeEnd, 0) } },
        // Seen before the second post: the path is added, its second step never posted.
        AddCase { "CancelDuringFirstPath", FivePicturesOneDamaged, Add(AddCodeStep, 1), { "e.jpg" },
            { Add(AddCodeStep, 1), Add(AddCodeEnd, 0) } }),
    enginefix::CaseName);

TEST(AddJob, AStopLeftFromBeforeDoesNotEndANewJob)
{
    TempDir dir;
    ImageBatch batch;
    testpics::WriteColour(dir / "a.jpg", 40, 30, "jpg");
    batch.AddPendingPath(dir / "a.jpg");
    batch.CancelAddJob();
    batch.CancelConvertJob(); // the conversion's stop is not the add job's
    auto sink = std::make_shared<RecordingSink>();
    batch.StartAddJob(sink);
    ASSERT_TRUE(batch.WaitAddJob(kLong));
    EXPECT_EQ(batch.GetEntryCount(), 1);
    EXPECT_EQ(sink->posts, Expected(1));
}

TEST(AddJob, AWaitThatRunsOutKeepsTheWorkerUntilItEnds)
{
    TempDir dir;
    auto batch = std::make_unique<ImageBatch>();
    batch->AddPendingPath(dir / "missing.jpg");
    AutoResetEvent release;
    auto sink = std::make_shared<RecordingSink>();
    sink->onPost = [&](const Posted& p) {
        if (p.code == AddCodeStep && p.value == 1)
            release.WaitFor(kLong);
    };
    batch->StartAddJob(sink);
    EXPECT_FALSE(batch->WaitAddJob(std::chrono::milliseconds(50)));
    EXPECT_TRUE(batch->IsAddJobRunning());
    batch->StartAddJob(sink); // no second worker while one exists
    release.Set();
    ASSERT_TRUE(batch->WaitAddJob(kLong));
    EXPECT_FALSE(batch->IsAddJobRunning());
    EXPECT_EQ(sink->posts, Expected(1));
}

TEST(ScanFolderForPictures, TakesTheListedExtensionsIgnoringCaseAndNoSubFolders)
{
    TempDir dir;
    for (const char* name : { "one.JPG", "two.tiff", "three.pcx", "four.gif", "notes.txt", "six.Jpeg", ".bmp",
             "seven.emf", "eight.WMF", "nine.tif", "ten.png.txt" })
        testpics::WriteBytes(dir / name, { 'x' });
    std::filesystem::create_directory(dir / "five.jpg");
    testpics::WriteBytes(dir / "five.jpg/inside.jpg", { 'x' });
    std::string error;
    EXPECT_EQ(ScanFolderForPictures(dir.Path().string() + "/", error),
        (Names { dir / ".bmp", dir / "eight.WMF", dir / "four.gif", dir / "nine.tif", dir / "one.JPG",
            dir / "seven.emf", dir / "six.Jpeg" }));
    EXPECT_EQ(error, "");
    EXPECT_TRUE(ScanFolderForPictures(dir / "missing", error).empty());
    EXPECT_NE(error, "");
}

} // namespace
