#include "imaging/ConversionEngine.h"

#include <csignal>
#include <filesystem>
#include <set>
#include <sys/resource.h>
#include <thread>

#include <gtest/gtest.h>

#include "imaging/ImageBatch.h"
#include "imaging/OutputFile.h"
#include "imaging/PathUtil.h"
#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using enginefix::Decode;
using enginefix::ListNames;
using enginefix::MakeBatch;
using enginefix::Posted;
using enginefix::RecordingSink;
using enginefix::RunJob;
using enginefix::StepsThenEnd;
using testpics::TempDir;

class ConversionEngineTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(m_dir / "in");
        std::filesystem::create_directory(m_dir / "out");
    }
    std::string In(const std::string& name) const { return m_dir / ("in/" + name); }
    std::string Out() const { return m_dir / "out"; }
    std::string Out(const std::string& name) const { return m_dir / ("out/" + name); }
    std::vector<std::string> OutNames() const { return ListNames(Out()); }
    // Small colour pictures named p1.jpg, p2.jpg, ...
    std::vector<std::string> Pictures(int count, const std::string& prefix = "p")
    {
        std::vector<std::string> paths;
        for (int i = 1; i <= count; ++i) {
            paths.push_back(In(prefix + std::to_string(i) + ".jpg"));
            testpics::WriteColour(paths.back(), 64, 48, "jpg");
        }
        return paths;
    }

    TempDir m_dir;
};

TEST_F(ConversionEngineTest, EmptyListPostsOnlyTheEnd)
{
    auto batch = MakeBatch({}, Out());
    auto sink = std::make_shared<RecordingSink>();
    ASSERT_TRUE(RunJob(*batch, sink));
    EXPECT_EQ(sink->Posts(), (std::vector<Posted> { { WM_CONVERT_PROGRESS, ConvertCodeEnd, 0 } }));
    EXPECT_TRUE(batch->GetConvertOutcomes().empty());
    EXPECT_FALSE(batch->GetConvertStopped());
}

TEST_F(ConversionEngineTest, UnreadableFirstPictureStillPostsItsTwoSteps)
{
    testpics::WriteBytes(In("broken.jpg"), { 'n', 'o' });
    auto batch = MakeBatch({ In("broken.jpg"), Pictures(1)[0] }, Out());
    auto sink = std::make_shared<RecordingSink>();
    ASSERT_TRUE(RunJob(*batch, sink));
    EXPECT_EQ(sink->Posts(), StepsThenEnd(2));
    EXPECT_EQ(OutNames(), std::vector<std::string> { "p1.jpg" });
    ASSERT_EQ(batch->GetConvertOutcomes().size(), 2u);
    EXPECT_EQ(batch->GetConvertOutcomes()[0].status, ConvertStatus::Unreadable);
    EXPECT_EQ(batch->GetConvertOutcomes()[0].source, In("broken.jpg"));
    EXPECT_FALSE(batch->GetConvertOutcomes()[0].reason.empty());
    EXPECT_EQ(batch->GetConvertOutcomes()[1].status, ConvertStatus::Written);
    EXPECT_EQ(batch->GetConvertFailureCount(), 1);
}

TEST_F(ConversionEngineTest, CancelDuringThirdOfTenFinishesItAndTouchesNoMore)
{
    auto batch = MakeBatch(Pictures(10), Out());
    auto sink = std::make_shared<RecordingSink>();
    // The sink runs on the job's thread: this is Cancel pressed while picture 3 is converted.
    sink->onPost = [&](const Posted& p) {
        if (p.code == ConvertCodeStep && p.value == 5)
            batch->CancelConvertJob();
    };
    ASSERT_TRUE(RunJob(*batch, sink));
    EXPECT_EQ(sink->Posts(), StepsThenEnd(3));
    EXPECT_EQ(OutNames(), (std::vector<std::string> { "p1.jpg", "p2.jpg", "p3.jpg" }));
    EXPECT_EQ(batch->GetConvertOutcomes().size(), 3u);
    EXPECT_TRUE(batch->GetConvertStopped());
    EXPECT_EQ(batch->GetConvertFailureCount(), 0);
}

TEST_F(ConversionEngineTest, StopLeftFromBeforeDoesNotEndANewRun)
{
    auto batch = MakeBatch(Pictures(2), Out());
    batch->CancelConvertJob();
    auto sink = std::make_shared<RecordingSink>();
    ASSERT_TRUE(RunJob(*batch, sink));
    EXPECT_EQ(sink->Posts(), StepsThenEnd(2));
}

TEST_F(ConversionEngineTest, RunsOnItsOwnThreadAndNeedsASink)
{
    auto batch = MakeBatch(Pictures(1), Out());
    batch->StartConvertJob(nullptr);
    EXPECT_FALSE(batch->IsConvertJobRunning());
    EXPECT_TRUE(OutNames().empty());

    auto sink = std::make_shared<RecordingSink>();
    std::thread::id jobThread;
    sink->onPost = [&](const Posted&) { jobThread = std::this_thread::get_id(); };
    ASSERT_TRUE(RunJob(*batch, sink));
    EXPECT_NE(jobThread, std::this_thread::get_id());
    EXPECT_FALSE(batch->IsConvertJobRunning());
}

// A job that outlives the wait is kept, never destroyed while it runs, and a
// second start meanwhile does not start a second worker.
TEST_F(ConversionEngineTest, WaitThatTimesOutKeepsTheJobAndNoSecondJobStarts)
{
    auto batch = MakeBatch(Pictures(2), Out());
    auto first = std::make_shared<RecordingSink>(), second = std::make_shared<RecordingSink>();
    AutoResetEvent reached, release;
    first->onPost = [&](const Posted& p) {
        if (p.value == 1) {
            reached.Set();
            release.WaitFor(std::chrono::seconds(60));
        }
    };
    batch->StartConvertJob(first);
    ASSERT_TRUE(reached.WaitFor(std::chrono::seconds(60)));
    EXPECT_FALSE(batch->WaitConvertJob(std::chrono::milliseconds(0)));
    EXPECT_TRUE(batch->IsConvertJobRunning());
    batch->StartConvertJob(second); // takes over the progress, starts nothing
    release.Set();
    ASSERT_TRUE(batch->WaitConvertJob());
    std::vector<Posted> all = first->Posts();
    const std::vector<Posted> rest = second->Posts();
    all.insert(all.end(), rest.begin(), rest.end());
    EXPECT_EQ(all, StepsThenEnd(2));
    EXPECT_EQ(OutNames(), (std::vector<std::string> { "p1.jpg", "p2.jpg" }));
}

TEST_F(ConversionEngineTest, OptionsAreReadOnceWhenTheJobStarts)
{
    auto batch = MakeBatch(Pictures(2), Out());
    auto sink = std::make_shared<RecordingSink>();
    sink->onPost = [&](const Posted& p) {
        if (p.value == 1) {
            batch->SetOutputExtension(".png");
            batch->SetCompressionChoice(CompressFormatDefault);
        }
    };
    ASSERT_TRUE(RunJob(*batch, sink));
    EXPECT_EQ(OutNames(), (std::vector<std::string> { "p1.jpg", "p2.jpg" }));
}

TEST_F(ConversionEngineTest, EntryCountIsReadBeforeEachPicture)
{
    const std::vector<std::string> paths = Pictures(2);
    auto batch = MakeBatch({ paths[0] }, Out());
    auto sink = std::make_shared<RecordingSink>();
    sink->onPost = [&](const Posted& p) {
        if (p.value == 1) {
            auto entry = std::make_unique<ImageEntry>();
            entry->SetPath(paths[1]);
            batch->AddEntry(std::move(entry));
        }
    };
    ASSERT_TRUE(RunJob(*batch, sink));
    EXPECT_EQ(sink->Posts(), StepsThenEnd(2));
}

// ---- naming ----

TEST_F(ConversionEngineTest, TakenNamesAreNumberedAfterTheTitle)
{
    testpics::WriteBytes(Out("photo.jpg"), { 'o', 'l', 'd' });
    testpics::WriteColour(In("photo.jpg"), 64, 48, "jpg");
    auto batch = MakeBatch({ In("photo.jpg"), In("photo.jpg") }, Out());
    ASSERT_TRUE(RunJob(*batch));
    EXPECT_EQ(OutNames(), (std::vector<std::string> { "photo(0).jpg", "photo(1).jpg", "photo.jpg" }));
    EXPECT_EQ(testpics::ReadBytes(Out("photo.jpg")), (std::vector<std::uint8_t> { 'o', 'l', 'd' }));
    EXPECT_EQ(batch->GetConvertOutcomes()[1].output, Out("photo(1).jpg"));
}

TEST_F(ConversionEngineTest, SameTitleFromTwoFormatsGetsTwoFiles)
{
    testpics::WriteColour(In("a.png"), 64, 48, "png");
    testpics::WriteColour(In("a.bmp"), 32, 24, "bmp");
    auto batch = MakeBatch({ In("a.png"), In("a.bmp") }, Out());
    ASSERT_TRUE(RunJob(*batch));
    EXPECT_EQ(OutNames(), (std::vector<std::string> { "a(0).jpg", "a.jpg" }));
    EXPECT_EQ(Decode(Out("a.jpg")).width, 64);
    EXPECT_EQ(Decode(Out("a(0).jpg")).width, 32);
}

TEST_F(ConversionEngineTest, OverwriteReplacesTheExistingFile)
{
    testpics::WriteBytes(Out("photo.jpg"), { 'o', 'l', 'd' });
    testpics::WriteColour(In("photo.jpg"), 64, 48, "jpg");
    auto batch = MakeBatch({ In("photo.jpg") }, Out());
    batch->SetOverwriteExisting(true);
    ASSERT_TRUE(RunJob(*batch));
    EXPECT_EQ(OutNames(), std::vector<std::string> { "photo.jpg" });
    EXPECT_EQ(Decode(Out("photo.jpg")).width, 64);
}

// Two runs into one folder at once: every picture gets a file of its own.
TEST_F(ConversionEngineTest, ConcurrentRunsNeverShareAName)
{
    std::filesystem::create_directory(m_dir / "in/b");
    std::vector<std::string> first = Pictures(6), second;
    for (int i = 1; i <= 6; ++i) {
        second.push_back(m_dir / ("in/b/p" + std::to_string(i) + ".jpg"));
        testpics::WriteColour(second.back(), 48 + i, 40, "jpg");
    }
    auto a = MakeBatch(first, Out()), b = MakeBatch(second, Out());
    auto sinkA = std::make_shared<RecordingSink>(), sinkB = std::make_shared<RecordingSink>();
    a->StartConvertJob(sinkA);
    b->StartConvertJob(sinkB);
    ASSERT_TRUE(a->WaitConvertJob());
    ASSERT_TRUE(b->WaitConvertJob());
    ASSERT_EQ(OutNames().size(), 12u);
    std::set<std::string> outputs;
    for (const ImageBatch* batch : { a.get(), b.get() })
        for (const ConvertOutcome& o : batch->GetConvertOutcomes()) {
            ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
            EXPECT_EQ(Decode(o.output).width, o.width) << o.output;
            outputs.insert(o.output);
        }
    EXPECT_EQ(outputs.size(), 12u);
}

// ---- the mended faults ----

// Writes beyond a few kilobytes fail for this process, as on a full disk; as root
// a read-only folder would not stop us.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

struct FailingSaveCase {
    const char* name;
    std::int32_t choice;
    const char* extension;
    bool overwrite;
};
void PrintTo(const FailingSaveCase& c, std::ostream* os) { *os << c.name; }


class FailingSaveTest : public ConversionEngineTest, public testing::WithParamInterface<FailingSaveCase> { };

TEST_P(FailingSaveTest, LeavesNoFileAndKeepsWhatWasThere)
{
    const FailingSaveCase& c = GetParam();
    testpics::WriteNoiseJpeg(In("noise.jpg"), 400, 300);
    const std::string existing = std::string("noise") + c.extension;
    testpics::WriteBytes(Out(existing), { 'o', 'l', 'd' });
    auto batch = MakeBatch({ In("noise.jpg") }, Out());
    batch->SetCompressionChoice(c.choice);
    batch->SetOutputExtension(c.extension);
    batch->SetOverwriteExisting(c.overwrite);
    batch->SetTargetSizeKB(1000);
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(RunJob(*batch));
    }
    ASSERT_EQ(batch->GetConvertOutcomes().size(), 1u);
    const ConvertOutcome& o = batch->GetConvertOutcomes()[0];
    EXPECT_EQ(o.status, ConvertStatus::WriteFailed);
    EXPECT_EQ(o.reason.rfind("could not write", 0), 0u) << o.reason;
    EXPECT_TRUE(o.output.empty());
    EXPECT_EQ(OutNames(), std::vector<std::string> { existing }) << "no temporary file, no reserved name";
    EXPECT_EQ(testpics::ReadBytes(Out(existing)), (std::vector<std::uint8_t> { 'o', 'l', 'd' }));
    EXPECT_EQ(batch->GetConvertFailureCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Strategies, FailingSaveTest,
    testing::Values(FailingSaveCase { "FixedQuality", CompressQuality, ".jpg", false },
        FailingSaveCase { "FixedQualityOverwrite", CompressQuality, ".jpg", true },
        FailingSaveCase { "TargetSize", CompressTargetSize, ".jpg", false },
        FailingSaveCase { "Png", CompressFormatDefault, ".png", false },
        FailingSaveCase { "Bmp", CompressFormatDefault, ".bmp", true },
        FailingSaveCase { "Tif", CompressFormatDefault, ".tif", false }),
    enginefix::CaseName);

TEST_F(ConversionEngineTest, OutputFolderThatIsAFileFailsEachPicture)
{
    testpics::WriteBytes(m_dir / "file", { 'x' });
    auto batch = MakeBatch(Pictures(2), m_dir / "file");
    ASSERT_TRUE(RunJob(*batch));
    EXPECT_EQ(batch->GetConvertFailureCount(), 2);
    EXPECT_EQ(batch->GetConvertOutcomes()[0].status, ConvertStatus::WriteFailed);
}

struct InPlaceCase {
    const char* name;
    const char* source;
    std::int32_t choice;
    const char* extension;
    const char* loader;
};
void PrintTo(const InPlaceCase& c, std::ostream* os) { *os << c.name; }


class InPlaceTest : public ConversionEngineTest, public testing::WithParamInterface<InPlaceCase> { };

TEST_P(InPlaceTest, OverwritingTheSourceGivesACorrectPicture)
{
    const InPlaceCase& c = GetParam();
    const std::string source = In(c.source);
    testpics::WriteColour(source, 800, 600, SplitPath(source).extension.substr(1));
    auto batch = MakeBatch({ source }, m_dir / "in");
    batch->SetOverwriteExisting(true);
    batch->SetCompressionChoice(c.choice);
    batch->SetOutputExtension(c.extension);
    batch->SetWidthValue(50, Percent);
    batch->SetHeightValue(50, Percent);
    batch->SetTargetSizeKB(30);
    ASSERT_TRUE(RunJob(*batch));
    ASSERT_EQ(batch->GetConvertOutcomes()[0].status, ConvertStatus::Written) << batch->GetConvertOutcomes()[0].reason;
    EXPECT_EQ(batch->GetConvertOutcomes()[0].output, source);
    EXPECT_EQ(ListNames(m_dir / "in"), std::vector<std::string> { c.source });
    const enginefix::Decoded d = Decode(source);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.loader, c.loader);
    EXPECT_EQ(d.width, 400);
    EXPECT_EQ(d.height, 300);
    // The gradient's top-right corner is red with half blue: the picture, not a blank or a stripe.
    ASSERT_GE(d.topRight.size(), 3u);
    EXPECT_NEAR(d.topRight[0], 255, 40);
    EXPECT_NEAR(d.topRight[1], 0, 40);
    EXPECT_NEAR(d.topRight[2], 128, 40);
}

INSTANTIATE_TEST_SUITE_P(Strategies, InPlaceTest,
    testing::Values(InPlaceCase { "FixedQuality", "photo.jpg", CompressQuality, ".jpg", "jpegload" },
        InPlaceCase { "TargetSize", "photo.jpg", CompressTargetSize, ".jpg", "jpegload" },
        InPlaceCase { "Png", "photo.png", CompressFormatDefault, ".png", "pngload" },
        InPlaceCase { "Tif", "photo.tif", CompressFormatDefault, ".tif", "tiffload" }),
    enginefix::CaseName);

TEST_F(ConversionEngineTest, SourceFolderAsOutputWithoutOverwriteKeepsTheSource)
{
    const std::string source = In("photo.jpg");
    testpics::WriteColour(source, 80, 60, "jpg");
    const auto before = testpics::ReadBytes(source);
    auto batch = MakeBatch({ source }, m_dir / "in");
    batch->SetWidthValue(50, Percent);
    batch->SetHeightValue(50, Percent);
    ASSERT_TRUE(RunJob(*batch));
    EXPECT_EQ(ListNames(m_dir / "in"), (std::vector<std::string> { "photo(0).jpg", "photo.jpg" }));
    EXPECT_EQ(testpics::ReadBytes(source), before);
}

// ---- bad input ----

TEST_F(ConversionEngineTest, HostileInputsFailOneEachAndTheGoodOnesAreWritten)
{
    std::vector<std::string> paths { Pictures(1, "good")[0] };
    const auto hostile = enginefix::HostileInputs();
    for (const auto& h : hostile) {
        h.make(In(h.name));
        paths.push_back(In(h.name));
    }
    paths.push_back(Pictures(2, "fine")[1]);
    auto batch = MakeBatch(paths, Out());
    auto sink = std::make_shared<RecordingSink>();
    ASSERT_TRUE(RunJob(*batch, sink));
    EXPECT_EQ(sink->Posts(), StepsThenEnd(static_cast<int>(paths.size())));
    EXPECT_EQ(OutNames(), (std::vector<std::string> { "fine2.jpg", "good1.jpg" }));
    const auto& outcomes = batch->GetConvertOutcomes();
    ASSERT_EQ(outcomes.size(), paths.size());
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        const ConvertOutcome& o = outcomes[i + 1];
        EXPECT_EQ(o.source, In(hostile[i].name));
        EXPECT_EQ(o.status, hostile[i].expected) << hostile[i].name << ": " << o.reason;
        EXPECT_FALSE(o.reason.empty()) << hostile[i].name;
        EXPECT_TRUE(o.output.empty());
    }
    EXPECT_EQ(batch->GetConvertFailureCount(), static_cast<int>(hostile.size()));
}

TEST_F(ConversionEngineTest, TruncatedJpegIsWrittenWithAWarning)
{
    testpics::WriteNoiseJpeg(In("whole.jpg"), 200, 150);
    auto bytes = testpics::ReadBytes(In("whole.jpg"));
    bytes.resize(bytes.size() / 2);
    testpics::WriteBytes(In("half.jpg"), bytes);
    auto batch = MakeBatch({ In("half.jpg") }, Out());
    ASSERT_TRUE(RunJob(*batch));
    const ConvertOutcome& o = batch->GetConvertOutcomes()[0];
    EXPECT_EQ(o.status, ConvertStatus::Written);
    EXPECT_EQ(o.reason.rfind("damaged", 0), 0u) << o.reason;
    EXPECT_TRUE(Decode(Out("half.jpg")).ok);
}

TEST_F(ConversionEngineTest, EnlargingPastThePixelLimitIsRefusedBeforeDecoding)
{
    auto batch = MakeBatch(Pictures(1), Out());
    batch->SetWidthValue(1000000, Percent);
    batch->SetHeightValue(1000000, Percent);
    ASSERT_TRUE(RunJob(*batch));
    EXPECT_EQ(batch->GetConvertOutcomes()[0].status, ConvertStatus::TooLarge);
    EXPECT_TRUE(OutNames().empty());
}

} // namespace
