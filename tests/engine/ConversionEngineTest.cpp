#include "imaging/PictureConversion.h"

#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "batch/ImageBatch.h"
#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using namespace enginefix;

class ConversionEngineTest : public FolderTest { };

// ---- progress and stopping ----

struct ProgressCase {
    const char* name;
    int pictures;     // p1.jpg ... converted in order
    int cancelAtStep; // Cancel pressed as this step is posted; 0 never
    int reached;      // entries whose two steps are posted
    bool stopped;
};

class ProgressTest : public ConversionEngineTest, public testing::WithParamInterface<ProgressCase> { };

TEST_P(ProgressTest, PostsTwoStepsPerPictureAndTheEndLast)
{
    const ProgressCase& c = GetParam();
    auto batch = MakeBatch(Pictures(c.pictures), Out());
    auto sink = std::make_shared<RecordingSink>();
    // The sink runs on the job's thread: this is Cancel pressed while a picture is converted.
    sink->onPost = [&](const Posted& p) {
        if (p.code == ConvertCodeStep && p.value == c.cancelAtStep)
            batch->CancelConvertJob();
    };
    ASSERT_TRUE(RunJob(*batch, sink));
    EXPECT_EQ(sink->posts, StepsThenEnd(c.reached));
    Names written;
    for (int i = 1; i <= c.reached; ++i)
        written.push_back("p" + std::to_string(i) + ".jpg");
    EXPECT_EQ(ListNames(Out()), written);
    EXPECT_EQ(batch->GetConvertOutcomes().size(), static_cast<std::size_t>(c.reached));
    EXPECT_EQ(batch->GetConvertStopped(), c.stopped);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgressTest,
    testing::Values(ProgressCase { "EmptyList", 0, 0, 0, false },
        ProgressCase { "CancelDuringThirdOfTen", 10, 5, 3, true },
        ProgressCase { "CancelDuringTheLastIsNoStop", 2, 3, 2, false }),
    CaseName);

// ---- naming ----

// A name is taken by a file or a dangling link (which a look-up does not see); the first free one is used.
TEST_F(ConversionEngineTest, TakenNamesAreNumberedAfterTheTitleUnlessOverwriting)
{
    testpics::WriteBytes(Out("photo.jpg"), { 'o', 'l', 'd' });
    std::filesystem::create_symlink(dir / "elsewhere.jpg", Out("b.jpg"));
    testpics::WriteColour(In("photo.jpg"), 64, 48, "jpg");
    testpics::WriteColour(In("a.png"), 64, 48, "png");
    testpics::WriteColour(In("a.bmp"), 32, 24, "bmp");
    testpics::WriteColour(In("b.gif"), 16, 16, "gif");
    auto batch = MakeBatch({ In("photo.jpg"), In("photo.jpg"), In("a.png"), In("a.bmp"), In("b.gif") }, Out());
    ASSERT_TRUE(RunJob(*batch));
    EXPECT_EQ(ListNames(Out()),
        (Names { "a(0).jpg", "a.jpg", "b(0).jpg", "b.jpg", "photo(0).jpg", "photo(1).jpg", "photo.jpg" }));
    EXPECT_EQ(testpics::ReadBytes(Out("photo.jpg")), (std::vector<std::uint8_t> { 'o', 'l', 'd' }));
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere.jpg"));
    EXPECT_EQ(batch->GetConvertOutcomes()[1].output, Out("photo(1).jpg"));
    EXPECT_EQ(Decode(Out("a(0).jpg")).width, 32);

    auto again = MakeBatch({ In("photo.jpg") }, Out());
    again->SetOverwriteExisting(true);
    ASSERT_TRUE(RunJob(*again));
    EXPECT_EQ(ListNames(Out()).size(), 7u);
    EXPECT_EQ(Decode(Out("photo.jpg")).width, 64);
}

// Two runs into one folder at once: every picture gets a file of its own.
TEST_F(ConversionEngineTest, ConcurrentRunsNeverShareAName)
{
    const Names sources = Pictures(6);
    auto a = MakeBatch(sources, Out()), b = MakeBatch(sources, Out());
    b->SetWidthValue(50, Percent); // so that each file tells which run wrote it
    b->SetHeightValue(50, Percent);
    a->StartConvertJob(std::make_shared<RecordingSink>());
    b->StartConvertJob(std::make_shared<RecordingSink>());
    ASSERT_TRUE(a->WaitConvertJob());
    ASSERT_TRUE(b->WaitConvertJob());
    std::set<std::string> outputs;
    for (const ImageBatch* batch : { a.get(), b.get() })
        for (const ConvertOutcome& o : batch->GetConvertOutcomes()) {
            ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
            EXPECT_EQ(Decode(o.output).width, o.width) << o.output;
            outputs.insert(o.output);
        }
    EXPECT_EQ(outputs.size(), 12u);
}

// Each hostile input fails on its own with a reason and its two steps; half a JPEG is written with a warning.
TEST_F(ConversionEngineTest, HostileInputsFailOneEachAndTheGoodOnesAreWritten)
{
    const Names good = Pictures(2);
    auto half = testpics::ReadBytes(good[0]);
    half.resize(half.size() / 2);
    testpics::WriteBytes(In("half.jpg"), half);
    Names paths { good[0], In("half.jpg") };
    const auto hostile = HostileInputs();
    for (const auto& h : hostile) {
        h.make(In(h.name));
        paths.push_back(In(h.name));
    }
    paths.push_back(good[1]);
    auto batch = MakeBatch(paths, Out());
    auto sink = std::make_shared<RecordingSink>();
    ASSERT_TRUE(RunJob(*batch, sink));
    EXPECT_EQ(sink->posts, StepsThenEnd(static_cast<int>(paths.size())));
    EXPECT_EQ(ListNames(Out()), (Names { "half.jpg", "p1.jpg", "p2.jpg" }));
    const auto& outcomes = batch->GetConvertOutcomes();
    ASSERT_EQ(outcomes.size(), paths.size());
    EXPECT_EQ(outcomes[0].reason, "") << "a whole picture has no warning";
    EXPECT_EQ(outcomes[1].reason.rfind("damaged", 0), 0u) << outcomes[1].reason;
    EXPECT_TRUE(Decode(Out("half.jpg")).ok);
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        const ConvertOutcome& o = outcomes[i + 2];
        EXPECT_EQ(o.status, hostile[i].expected) << hostile[i].name << ": " << o.reason;
        EXPECT_TRUE(!o.reason.empty() && o.output.empty()) << hostile[i].name;
    }
    EXPECT_EQ(batch->GetConvertFailureCount(), static_cast<int>(hostile.size()));
}

} // namespace
