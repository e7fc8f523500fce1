#include "imaging/PictureConversion.h"

#include <algorithm>
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
    bool firstUnreadable = false;
};

class ProgressTest : public ConversionEngineTest, public testing::WithParamInterface<ProgressCase> { };

// With pictures side by side the messages, files and outcomes are those of one at a time.
TEST_P(ProgressTest, PostsTwoStepsPerPictureAndTheEndLast)
{
    const ProgressCase& c = GetParam();
    const Names sources = Pictures(c.pictures);
    if (c.firstUnreadable)
        testpics::WriteBytes(sources[0], { 'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g' });
    for (const int jobs : { 1, 2, 4 }) {
        SCOPED_TRACE("jobs " + std::to_string(jobs));
        std::filesystem::remove_all(Out());
        std::filesystem::create_directory(Out());
        auto batch = MakeBatch(sources, Out());
        batch->SetJobs(jobs);
        auto sink = std::make_shared<RecordingSink>();
        // The sink runs on the job's thread: this is Cancel pressed while a picture is converted.
        sink->onPost = [&](const Posted& p) {
            if (p.code == ConvertCodeStep && p.value == c.cancelAtStep)
                batch->CancelConvertJob();
        };
        ASSERT_TRUE(RunJob(*batch, sink));
        // Up to two side by side, a Cancel sent from the sink is seen before a third starts;
        // with more, the pictures already started when it came are finished too.
        const int reached = jobs <= 2 ? c.reached : static_cast<int>(sink->posts.size() - 1) / 2;
        EXPECT_GE(reached, c.reached);
        EXPECT_LE(reached, std::min(c.pictures, c.reached + jobs - 1));
        EXPECT_EQ(sink->posts, StepsThenEnd(reached));
        Names written;
        for (int i = c.firstUnreadable ? 2 : 1; i <= reached; ++i)
            written.push_back("p" + std::to_string(i) + ".jpg");
        std::sort(written.begin(), written.end());
        EXPECT_EQ(ListNames(Out()), written);
        ASSERT_EQ(batch->GetConvertOutcomes().size(), static_cast<std::size_t>(reached));
        for (int i = 0; i < reached; ++i)
            EXPECT_EQ(
                batch->GetConvertOutcomes()[static_cast<std::size_t>(i)].source, sources[static_cast<std::size_t>(i)]);
        EXPECT_EQ(batch->GetConvertStopped(), c.stopped && reached < c.pictures);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgressTest,
    testing::Values(ProgressCase { "EmptyList", 0, 0, 0, false },
        ProgressCase { "FirstUnreadable", 5, 0, 5, false, true },
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

// Many small pictures side by side, titles colliding in threes: every run names every
// picture exactly as a run one at a time does, whichever picture finishes first.
TEST_F(ConversionEngineTest, PicturesSideBySideTakeTheNamesOfOneAtATime)
{
    Names sources;
    for (int i = 0; i < 24; ++i) {
        // The width tells which source a file came from; the formats make the titles collide.
        const char* formats[] = { "png", "bmp", "gif" };
        const std::string name = std::string(1, char('a' + i / 3)) + "." + formats[i % 3];
        std::filesystem::create_directory(In(std::to_string(i)));
        testpics::WriteColour(In(std::to_string(i) + "/" + name), 8 + i, 6, formats[i % 3]);
        sources.push_back(In(std::to_string(i) + "/" + name));
    }
    const auto run = [&](int jobs, bool overwrite) {
        std::filesystem::remove_all(Out());
        std::filesystem::create_directory(Out());
        auto batch = MakeBatch(sources, Out());
        batch->SetJobs(jobs);
        batch->SetOverwriteExisting(overwrite);
        EXPECT_TRUE(RunJob(*batch));
        std::vector<std::pair<std::string, int>> named; // file, source width
        for (const std::string& name : ListNames(Out()))
            named.emplace_back(name, Decode(Out(name)).width);
        return named;
    };
    for (const bool overwrite : { false, true }) {
        const auto alone = run(1, overwrite);
        ASSERT_EQ(alone.size(), overwrite ? 8u : 24u);
        for (int repeat = 0; repeat < 2; ++repeat)
            for (const int jobs : { 2, 4 })
                ASSERT_EQ(run(jobs, overwrite), alone) << jobs << " jobs, overwrite " << overwrite;
    }
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
