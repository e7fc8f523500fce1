// Runs the built kestrova-cli as a user or a script would, and checks what it leaves on disk.
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "files/OutputFile.h"
#include "settings/PanelOptions.h"
#include "settings/SettingsStore.h"
#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using Args = std::vector<std::string>;
using namespace enginefix;
using testpics::ReadText;

// The program in a child process, its standard output and errors in files.
class CliProcess {
public:
    explicit CliProcess(const Args& args, const std::string& folder = ".",
        const std::vector<std::pair<std::string, std::string>>& env = {})
    {
        const std::string out = m_files / "stdout", err = m_files / "stderr";
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT, 0600), STDOUT_FILENO);
            ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT, 0600), STDERR_FILENO);
            for (const auto& [name, value] : env)
                ::setenv(name.c_str(), value.c_str(), 1);
            std::vector<char*> argv { const_cast<char*>(KESTROVA_CLI_PATH) };
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            if (::chdir(folder.c_str()) == 0)
                ::execv(KESTROVA_CLI_PATH, argv.data());
            ::_exit(127);
        }
    }
    ~CliProcess()
    {
        if (m_status < 0)
            ::kill(m_pid, SIGKILL), Wait();
    }
    // Waits a minute at most for standard output to hold `lines` lines; false at once if the program ended.
    bool ReadLines(std::ptrdiff_t lines)
    {
        for (int i = 0; i < 6000 && std::ranges::count(Out(), '\n') < lines && !Reap(WNOHANG); ++i)
            ::usleep(10000);
        return std::ranges::count(Out(), '\n') >= lines;
    }
    void Signal(int sig) { ::kill(m_pid, sig); }
    // The exit status, 128 + n for a signal.
    int Wait()
    {
        Reap(0);
        return m_status;
    }
    std::string Out() const { return ReadText(m_files / "stdout"); }
    std::string Err() const { return ReadText(m_files / "stderr"); }

private:
    // True once the program has ended and its status is known.
    bool Reap(int options)
    {
        int status = 0;
        if (m_status < 0 && ::waitpid(m_pid, &status, options) == m_pid)
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return m_status >= 0;
    }
    testpics::TempDir m_files;
    pid_t m_pid = -1;
    int m_status = -1;
};

// How often part occurs in text.
std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class CliRunTest : public FolderTest {
protected:
    const std::string m_out = dir / "result"; // made by the program
    const std::string m_report = dir / "report.csv";
};

struct UsageCase {
    const char* name;
    Args args;           // after -o result, run in the test's folder
    const char* message; // part of the error, or of the output when the status is 0
    int status = 2;
};

class UsageTest : public CliRunTest, public testing::WithParamInterface<UsageCase> { };

// Refused with a reason and exit status 2, or help and version: nothing is written.
TEST_P(UsageTest, WritesNothing)
{
    const UsageCase& c = GetParam();
    testpics::WriteBytes(dir / "file", { 'x' });
    Args args { "-o", "result" };
    args.insert(args.end(), c.args.begin(), c.args.end());
    CliProcess r(args, dir.Path());
    EXPECT_EQ(r.Wait(), c.status) << r.Err();
    const std::string text = c.status ? r.Err() : r.Out();
    EXPECT_EQ(text.rfind(c.status ? "kestrova-cli: " : "", 0), 0u) << text;
    EXPECT_NE(text.find(c.message), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(m_out));
}

INSTANTIATE_TEST_SUITE_P(Cases, UsageTest,
    testing::Values(UsageCase { "Help", { "--help", "x.jpg" }, "Usage: kestrova-cli", 0 },
        UsageCase { "Version", { "--version" }, KESTROVA_VERSION, 0 }, UsageCase { "NoPictures", {}, "no pictures" },
        UsageCase { "UnknownOption", { "--colour", "x.jpg" }, "unknown option '--colour'" },
        UsageCase { "MissingValue", { "x.jpg", "--width" }, "--width needs a value" },
        UsageCase { "BadMode", { "--mode", "diagonal", "x.jpg" }, "--mode" },
        UsageCase { "NegativeWidth", { "-w", "-5", "x.jpg" }, "invalid value '-5' for --width" },
        UsageCase { "QualityAndTarget", { "-q", "5", "-s", "9", "x.jpg" }, "exclude each other" },
        UsageCase { "HeightInRestrictWidth", { "-m", "width", "-H", "5", "x.jpg" }, "--mode width takes --width" },
        UsageCase { "FractionOfAPixel", { "-u", "pixel", "-w", "10.5", "x.jpg" }, "whole number" },
        UsageCase { "OutputFolderOnAFile", { "-o", "file/out", "x.jpg" }, "cannot use the output folder" },
        UsageCase { "BadGeometry", { "--resize", "800y600", "x.jpg" }, "invalid value '800y600' for --resize" },
        UsageCase { "ZeroEdge", { "--long-edge", "0", "x.jpg" }, "invalid value '0' for --long-edge" },
        UsageCase { "QualityOutOfRange", { "-q", "101", "x.jpg" }, "invalid value '101' for --quality" },
        UsageCase { "LosslessJpeg", { "--lossless", "x.jpg" }, "--lossless: jpg has no lossless mode" },
        UsageCase { "TargetSizePng", { "-f", "png", "-s", "50", "x.jpg" }, "--target-size: png has no quality" },
        UsageCase { "ShrinkWithoutTarget", { "--shrink-to-fit", "x.jpg" }, "--shrink-to-fit needs --target-size" },
        UsageCase { "TwoWaysOfSize", { "--resize", "800x", "-w", "5", "x.jpg" }, "exclude each other" },
        UsageCase { "MixedUnits", { "-w", "50%", "-H", "600", "x.jpg" }, "percent and pixels do not mix" },
        UsageCase { "HeightForAnEdge", { "-m", "long-edge", "-H", "5", "x.jpg" }, "--mode long-edge takes --width" },
        UsageCase { "SuffixAgainstTheUnit", { "-u", "pixel", "-w", "50%", "x.jpg" }, "but the unit is pixel" },
        UsageCase { "NoJobs", { "-j", "0", "x.jpg" }, "invalid value '0' for --jobs" },
        UsageCase { "ShardPastTheLast", { "--shard", "4/4", "x.jpg" }, "invalid value '4/4' for --shard" },
        UsageCase { "ShardWithoutSlash", { "--shard", "3", "x.jpg" }, "invalid value '3' for --shard" },
        UsageCase { "ShardOfNone", { "--shard", "0/0", "x.jpg" }, "invalid value '0/0' for --shard" },
        UsageCase { "ShardNumbered", { "--shard", "0/2", "x.jpg" }, "--shard: numbered names" },
        UsageCase { "MissingList", { "--files-from", "none.txt" }, "cannot read the list none.txt" }),
    CaseName);

// A folder is scanned for pictures (the scan's own test has its rules); a file is taken as given,
// and the output folder is made with its parents. Each hostile file fails on its own, the good pictures are
// written, and the exit status is 1.
TEST_F(CliRunTest, ConvertsFilesAndFoldersAndReportsEachPictureAndEachFailure)
{
    testpics::WriteColour(In("one.JPG"), 400, 300, "jpg");
    testpics::WriteColour(In("four.gif"), 200, 300, "gif");
    testpics::WriteBytes(In("five.wmf"), testpics::WmfBytes(200, 100));
    testpics::WriteBytes(In("notes.txt"), { 'x' });
    testpics::WriteColour(dir / "extra.png", 80, 40, "png");
    const std::string out = m_out + "/new/sub";
    Args args { "-o", out, "-j", "3", "--mode", "width", "--width", "100", "--format", "png", "--report", m_report,
        dir / "in", dir / "extra.png" };
    const auto hostile = HostileInputs();
    for (const auto& h : hostile) {
        h.make(dir / h.name);
        args.push_back(dir / h.name);
    }
    CliProcess r(args);
    EXPECT_EQ(r.Wait(), 1) << r.Err();
    EXPECT_EQ(ListNames(out), (Names { "extra.png", "five.png", "four.png", "one.png" })) << "no temporary file left";
    const auto one = Decode(out + "/one.png");
    EXPECT_EQ(std::tuple(one.loader, one.width, one.height), std::tuple("pngload", 100, 75));
    const auto five = Decode(out + "/five.png");
    EXPECT_EQ(std::tuple(five.width, five.height), std::tuple(100, 50));
    EXPECT_GT(five.topLeft.at(0), five.topLeft.at(1) + 30) << "the drawing's red";
    EXPECT_EQ(Count(r.Out(), " -> "), 4u);
    EXPECT_NE(r.Out().find("4 written, " + std::to_string(hostile.size()) + " failed"), std::string::npos) << r.Out();
    for (const auto& h : hostile)
        EXPECT_EQ(Count(r.Err(), dir / h.name + ": "), 1u) << h.name << "\n" << r.Err();
    EXPECT_EQ(Count(r.Err(), "kestrova-cli: "), hostile.size());
    const std::string csv = ReadText(m_report);
    EXPECT_EQ(Count(csv, ",written,"), 4u);
    EXPECT_EQ(Count(csv, ",unreadable,"), hostile.size() - 1);
    EXPECT_EQ(Count(csv, ",too large,"), 1u);
}

// A damaged picture is written with its warning in the CSV and on one line of our own; the decoders' hundreds
// of warnings never reach the terminal, even when a bar would be drawn.
TEST_F(CliRunTest, DamagedPicturesAreOneLineOfOursEach)
{
    testpics::WriteDamaged(In("idat_crc.png"), "idat_crc.png");
    testpics::WriteColour(In("cut.png"), 600, 400, "png");
    auto cut = testpics::ReadBytes(In("cut.png"));
    cut.resize(cut.size() / 2);
    testpics::WriteBytes(In("cut.png"), cut);
    CliProcess r({ "-o", m_out, "--quiet", "--report", m_report, In("idat_crc.png"), In("cut.png") });
    EXPECT_EQ(r.Wait(), 0) << r.Err();
    EXPECT_EQ(r.Err(),
        "kestrova-cli: " + In("idat_crc.png") + ": warning: damaged: only part of the picture could be read\n"
            + "kestrova-cli: " + In("cut.png") + ": warning: damaged: only part of the picture could be read\n");
    EXPECT_EQ(Count(ReadText(m_report), ",written,damaged: only part of the picture could be read\n"), 2u);
}

// The common jobs as the help shows them: a width alone keeps the proportions, '>' never enlarges, a WebP
// target is met, Shrink to Fit says its lever, and a missed target is a miss: reported, counted, exit status 1.
TEST_F(CliRunTest, CommonJobsAndAMissedTarget)
{
    testpics::WriteColour(In("photo.jpg"), 2000, 1000, "jpg");
    testpics::WriteColour(In("small.png"), 400, 300, "png");
    testpics::WriteNoiseJpeg(In("noise.jpg"), 320, 240);
    struct Run {
        Args args;
        const char* output;
        int width, height, status;
        const char* loader;
    };
    for (const Run& run : { Run { { "--width", "1600", In("photo.jpg") }, "photo.jpg", 1600, 800, 0, "jpegload" },
             Run { { "--resize", "1600x1600>", In("small.png") }, "small.jpg", 400, 300, 0, "jpegload" },
             Run { { "-f", "webp", "-s", "20", In("noise.jpg") }, "noise.webp", 320, 240, 0, "webpload" },
             Run { { "-f", "webp", "-s", "3", "--min-quality", "40", "--shrink-to-fit", In("noise.jpg") }, "noise.webp",
                 0, 0, 0, "webpload" },
             Run { { "-s", "1", "--report", m_report, In("noise.jpg") }, "noise.jpg", 320, 240, 1, "jpegload" } }) {
        std::filesystem::remove_all(m_out);
        Args args { "-o", m_out };
        args.insert(args.end(), run.args.begin(), run.args.end());
        CliProcess r(args);
        ASSERT_EQ(r.Wait(), run.status) << r.Err();
        const Decoded d = Decode(m_out + "/" + run.output);
        EXPECT_EQ(d.loader, run.loader) << run.output;
        if (run.width)
            EXPECT_EQ(std::pair(d.width, d.height), std::pair(run.width, run.height)) << run.output;
        else
            EXPECT_NE(r.Out().find(", quality 40, scaled to " + std::to_string(d.width) + " x "), std::string::npos)
                << r.Out();
        if (run.status == 0)
            continue;
        EXPECT_NE(r.Err().find("noise.jpg: over the target size: "), std::string::npos) << r.Err();
        EXPECT_NE(r.Out().find("1 written, 0 failed, 1 over the target size"), std::string::npos) << r.Out();
        const std::string csv = ReadText(m_report);
        EXPECT_NE(csv.find(",320,240,"), std::string::npos) << csv;
        EXPECT_NE(csv.find(",1,over-target,over the target of 1 KB\n"), std::string::npos) << csv;
    }
}

// Stopped in the middle of a batch. Killed without warning: whatever carries a final
// name is a whole picture, and the temporary file of the picture in progress had no
// name to leave behind. Ctrl+C: the picture in progress is finished, no temporary file is left, and
// the report lists the pictures not converted.
class StoppedRunTest : public CliRunTest, public testing::WithParamInterface<int> { };

TEST_P(StoppedRunTest, LeavesNoPartialFileUnderAFinalName)
{
    const int sig = GetParam();
    const auto sources = Pictures(24, 1600, 1200);
    CliProcess p({ "-o", m_out, "--format", "png", "--report", m_report, dir / "in" });
    ASSERT_TRUE(p.ReadLines(2)) << "two pictures done before the signal";
    p.Signal(sig);
    EXPECT_EQ(p.Wait(), sig == SIGINT ? 130 : 128 + SIGKILL) << p.Err();
    // Output names that are not our temporary files.
    Names names = ListNames(m_out);
    std::erase_if(names, [](const std::string& n) { return n.rfind(TempFilePrefix, 0) == 0; });
    EXPECT_GE(names.size(), 2u);
    EXPECT_LT(names.size(), sources.size());
    for (const std::string& name : names)
        EXPECT_EQ(Decode(m_out + "/" + name).width, 1600) << name << " is a whole picture";
    EXPECT_EQ(ListNames(m_out).size(), names.size()) << "temporary files";
    if (sig == SIGINT) {
        const std::string csv = ReadText(m_report);
        EXPECT_EQ(Count(csv, ",written,"), names.size());
        EXPECT_EQ(Count(csv, ",skipped,"), sources.size() - names.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, StoppedRunTest, testing::Values(SIGKILL, SIGINT),
    [](const auto& i) { return std::string(i.param == SIGINT ? "CtrlC" : "Killed"); });

// A writer killed at random moments, again and again, with unnamed temporary files and
// with named ones, replacing its output or taking numbered names. Every final name holds
// the whole file; after the next write into the folder no file of ours is left.
class KilledWriterTest : public testing::TestWithParam<std::tuple<bool, bool>> { };

TEST_P(KilledWriterTest, LeavesWholeFilesOnly)
{
    const auto [unnamed, overwrite] = GetParam();
    testpics::TempDir dir;
    std::vector<std::uint8_t> content(3 << 20);
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
    std::mt19937 random(12345);
    std::size_t leftBeforeCleanup = 0;
    for (int run = 0; run < 16; ++run) {
        const std::string folder = dir / ("run" + std::to_string(run));
        std::filesystem::create_directory(folder);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            AllowUnnamedTempFiles(unnamed);
            for (int i = 0; i < 40; ++i) {
                std::string path = folder + "/out.bin", error;
                WriteOutputFile(
                    path, overwrite,
                    [&](const std::string& t, std::string& e) { return WriteFileBytes(t, content, e); }, error);
            }
            ::_exit(0);
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 40000)(random));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        for (const std::string& name : ListNames(folder))
            leftBeforeCleanup += name.starts_with(TempFilePrefix);
        std::string next = folder + "/next.bin", error;
        ASSERT_TRUE(WriteOutputFile(
            next, false, [](const std::string& t, std::string& e) { return WriteFileBytes(t, "x", e); }, error))
            << error;
        for (const std::string& name : ListNames(folder)) {
            EXPECT_FALSE(name.starts_with(TempFilePrefix)) << name;
            EXPECT_TRUE(name == "next.bin" || testpics::ReadBytes(folder + "/" + name) == content)
                << name << " is whole";
        }
    }
    // Replacing gives the file a hidden name for a moment, which a kill can leave; taking a
    // free name needs none.
    if (unnamed && !overwrite) {
        EXPECT_EQ(leftBeforeCleanup, 0u) << "named temporary files";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Writers, KilledWriterTest, testing::Combine(testing::Bool(), testing::Bool()), [](const auto& i) {
        return std::string(std::get<0>(i.param) ? "Unnamed" : "Named")
            + (std::get<1>(i.param) ? "Replacing" : "Numbered");
    });

// A tree with the same names in different folders, a hidden folder and a link back up.
class CliTreeTest : public CliRunTest {
protected:
    CliTreeTest()
    {
        for (const char* folder : { "a/b", "c", ".hidden" })
            std::filesystem::create_directories(In(folder));
        for (const char* file : { "x.png", "a/x.png", "a/b/x.png", "c/x.png", ".hidden/x.png" })
            testpics::WriteColour(In(file), 60, 40, "png");
        std::filesystem::create_directory_symlink("..", In("a/up"));
    }
    // Every file under folder, by its path relative to it.
    static Names Tree(const std::string& folder)
    {
        Names names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
            if (e.is_regular_file())
                names.push_back(std::filesystem::relative(e.path(), folder).string());
        std::ranges::sort(names);
        return names;
    }
};

// --keep-tree mirrors the tree: every source has an output of its own at its own place, no numbered names;
// the link back up is a note. A second run with --if-exists skip writes nothing and says so of every picture,
// and without the tree a name taken earlier in the same run is skipped too.
TEST_F(CliTreeTest, KeepTreeMirrorsTheTreeAndASecondRunSkipsEveryPicture)
{
    CliProcess first({ "-R", "--keep-tree", "-o", m_out, dir / "in" });
    EXPECT_EQ(first.Wait(), 0) << first.Err();
    const Names mirrored { "a/b/x.jpg", "a/x.jpg", "c/x.jpg", "x.jpg" };
    EXPECT_EQ(Tree(m_out), mirrored);
    EXPECT_EQ(first.Err(), "kestrova-cli: " + In("a/up") + ": skipped: a link back to a folder above it\n");
    EXPECT_EQ(Decode(m_out + "/a/b/x.jpg").width, 60);

    const auto before = std::filesystem::last_write_time(m_out + "/a/b/x.jpg");
    CliProcess second({ "-R", "--keep-tree", "--if-exists", "skip", "--report", m_report, "-o", m_out, dir / "in" });
    EXPECT_EQ(second.Wait(), 0) << second.Err();
    EXPECT_EQ(Tree(m_out), mirrored);
    EXPECT_EQ(std::filesystem::last_write_time(m_out + "/a/b/x.jpg"), before);
    EXPECT_EQ(Count(second.Out(), ": skipped: "), 4u) << second.Out();
    EXPECT_NE(second.Out().find("0 written, 0 failed, 4 skipped"), std::string::npos) << second.Out();
    EXPECT_EQ(Count(ReadText(m_report), ",skipped,skipped: "), 4u);

    // Without the tree, side by side, the first x takes the name and the others keep off it.
    CliProcess flat({ "-R", "--if-exists", "skip", "-j", "4", "-o", m_out + "/flat", dir / "in" });
    EXPECT_EQ(flat.Wait(), 0) << flat.Err();
    EXPECT_EQ(Tree(m_out + "/flat"), Names { "x.jpg" });
    EXPECT_NE(flat.Out().find("1 written, 0 failed, 3 skipped"), std::string::npos) << flat.Out();
}

// --skip-larger: a flat picture that a JPEG makes larger is left out with both sizes; noise that shrinks is written.
TEST_F(CliRunTest, SkipLargerLeavesOutAPictureThatWouldGrow)
{
    testpics::WriteSolid(In("flat.png"), 200, 200, 40, 90, 200);
    testpics::WriteNoiseJpeg(In("noise.jpg"), 200, 200);
    CliProcess r({ "--skip-larger", "-q", "30", "-o", m_out, In("flat.png"), In("noise.jpg") });
    EXPECT_EQ(r.Wait(), 0) << r.Err();
    EXPECT_EQ(ListNames(m_out), Names { "noise.jpg" });
    EXPECT_NE(r.Out().find(In("flat.png") + ": skipped: would be larger ("), std::string::npos) << r.Out();
    EXPECT_NE(r.Out().find("1 written, 0 failed, 1 skipped"), std::string::npos) << r.Out();
}

// --dry-run writes nothing, not even the output folder. Numbered names count the earlier pictures of the run;
// under overwrite, outputs two sources share and sources replaced are listed, and the plan fails.
TEST_F(CliTreeTest, DryRunWritesNothingAndListsCollisionsAndReplacedSources)
{
    CliProcess numbered({ "--dry-run", "-R", "-o", m_out, dir / "in" });
    EXPECT_EQ(numbered.Wait(), 0) << numbered.Err();
    for (const char* name : { "/x.jpg (60 x 40)", "/x(0).jpg (60 x 40)", "/x(1).jpg", "/x(2).jpg" })
        EXPECT_EQ(Count(numbered.Out(), m_out + name), 1u) << name << "\n" << numbered.Out();
    EXPECT_FALSE(std::filesystem::exists(m_out));

    CliProcess replacing({ "--dry-run", "-R", "--overwrite", "-f", "png", "-o", dir / "in", dir / "in" });
    EXPECT_EQ(replacing.Wait(), 1) << replacing.Err();
    EXPECT_EQ(Count(replacing.Out(), ", collides with " + In("x.png")), 3u) << replacing.Out();
    EXPECT_EQ(Count(replacing.Out(), In("x.png") + " -> " + In("x.png") + " (60 x 40, replaces a source)"), 1u)
        << replacing.Out();
    EXPECT_NE(replacing.Out().find("4 to write, 0 skipped, 3 collide, 4 replace a source; nothing written"),
        std::string::npos);
    EXPECT_EQ(Tree(dir / "in"), (Names { ".hidden/x.png", "a/b/x.png", "a/x.png", "c/x.png", "x.png" }));
}

// A run that would write over its own sources is refused, naming them, unless --overwrite itself was given;
// --if-exists overwrite alone (as a preset would give) is not enough. With --overwrite each gets a warning.
TEST_F(CliTreeTest, ReplacingItsOwnSourcesNeedsOverwriteItself)
{
    const std::vector<std::uint8_t> before = testpics::ReadBytes(In("x.png"));
    CliProcess refused({ "--if-exists", "overwrite", "-f", "png", "-o", dir / "in", In("x.png"), In("a/x.png") });
    EXPECT_EQ(refused.Wait(), 2) << refused.Err();
    EXPECT_NE(refused.Err().find("would replace 2 of its own pictures"), std::string::npos) << refused.Err();
    EXPECT_NE(refused.Err().find(In("x.png") + " -> " + In("x.png") + " (a source)"), std::string::npos);
    EXPECT_NE(
        refused.Err().find(In("a/x.png") + " -> " + In("x.png") + " (a source, also the output of " + In("x.png")),
        std::string::npos)
        << refused.Err();
    EXPECT_EQ(testpics::ReadBytes(In("x.png")), before);

    CliProcess elsewhere({ "--if-exists", "overwrite", "-o", m_out, In("x.png") });
    EXPECT_EQ(elsewhere.Wait(), 0) << elsewhere.Err();

    CliProcess confirmed({ "--overwrite", "-f", "png", "-o", dir / "in", In("x.png") });
    EXPECT_EQ(confirmed.Wait(), 0) << confirmed.Err();
    EXPECT_NE(confirmed.Err().find("warning: " + In("x.png") + " replaces a source of this run"), std::string::npos)
        << confirmed.Err();
}

// Without --output the converter writes where the window would: the folder last used
// there, else the default folder in the documents folder. (A FIFO in their place: the settings tests.)
TEST(CliRun, DefaultOutputIsTheWindowsFolder)
{
    testpics::TempDir dir;
    testpics::WriteColour(dir / "a.png", 40, 30, "png");
    const std::vector<std::pair<std::string, std::string>> env
        = { { "HOME", dir / "home" }, { "XDG_CONFIG_HOME", dir / "config" } };
    std::filesystem::create_directories(dir / "home");
    for (const std::string folder : { "home/Da Varozez Evozer", "used" }) {
        CliProcess run({ dir / "a.png" }, ".", env);
        ASSERT_EQ(run.Wait(), 0) << run.Err();
        EXPECT_TRUE(std::filesystem::exists(dir / (folder + "/a.jpg")));
        const std::string settings = "[SETTING_INFO]\nLAST_FOLDER=" + (dir / "used") + "/\n";
        testpics::WriteText(dir / "config/Lumisk Studio Data/settings.ini", settings);
    }
}

// Presets are kept in the window's settings file, here under a data folder of the test's own.
class CliPresetTest : public CliRunTest {
protected:
    CliPresetTest()
    {
        std::filesystem::create_directories(dir / "home");
        std::filesystem::create_directories(m_data);
        SettingsStore::SetSettingsFilePath(m_data + "/settings.ini");
    }
    ~CliPresetTest() override { SettingsStore::SetSettingsFilePath(""); }
    const std::string m_data = dir / "config/Lumisk Studio Data";
    const std::vector<std::pair<std::string, std::string>> m_env
        = { { "HOME", dir / "home" }, { "XDG_CONFIG_HOME", dir / "config" } };
};

// A preset stored from the model as the window leaves it gives the bytes the engine writes with that model;
// "-q 90" on top changes the quality alone.
TEST_F(CliPresetTest, PresetFromTheWindowWritesTheEnginesBytes)
{
    testpics::WriteNoiseJpeg(In("photo.jpg"), 640, 480);
    const auto configure = [&](ImageBatch& batch) {
        batch.SetResizeMode(LongEdge);
        batch.SetWidthValue(300, CurrentUnit);
        batch.SetOutputExtension(".webp");
        batch.SetCompressionChoice(CompressTargetSize);
        batch.SetTargetSizeKB(40);
    };
    auto window = MakeBatch({ In("photo.jpg") }, Out("window"));
    configure(*window);
    std::string error;
    ASSERT_TRUE(SettingsStore::SavePreset("web", CapturePanelOptions(*window), error)) << error;
    auto quality90 = MakeBatch({ In("photo.jpg") }, Out("quality90"));
    configure(*quality90);
    quality90->SetCompressionChoice(CompressQuality);
    quality90->SetQuality(90);
    for (auto& [batch, args] :
        { std::pair { window.get(), Args {} }, std::pair { quality90.get(), Args { "-q", "90" } } }) {
        const std::string folder = batch->GetOutputFolder();
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(RunJob(*batch));
        Args line { "--preset", "web", "-o", folder + "cli", In("photo.jpg") };
        line.insert(line.end(), args.begin(), args.end());
        CliProcess r(line, ".", m_env);
        ASSERT_EQ(r.Wait(), 0) << r.Err();
        EXPECT_EQ(Decode(folder + "photo.webp").width, 300);
        EXPECT_EQ(testpics::ReadBytes(folder + "cli/photo.webp"), testpics::ReadBytes(folder + "photo.webp"))
            << args.size();
    }
    EXPECT_NE(testpics::ReadBytes(Out("window/photo.webp")), testpics::ReadBytes(Out("quality90/photo.webp")));
}

// --save-preset without pictures saves and stops; the preset then brings the tree scan and the kept tree
// without -R or --keep-tree. An unknown preset and a bad name are usage errors.
TEST_F(CliPresetTest, SavedPresetDrivesALaterRun)
{
    CliProcess save({ "--save-preset", "Tree", "-R", "--keep-tree", "--long-edge", "30", "-f", "png" }, ".", m_env);
    ASSERT_EQ(save.Wait(), 0) << save.Err();
    EXPECT_EQ(save.Out(), "preset Tree saved\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "home/Da Varozez Evozer")) << "no output folder made";
    PanelOptions stored;
    std::string error;
    ASSERT_TRUE(SettingsStore::LoadPreset("tree", stored, error)) << error;
    EXPECT_EQ(std::tuple(stored.dimensions.mode, stored.dimensions.widthPixels, stored.extension,
                  stored.options.includeSubfolders, stored.options.keepTree),
        std::tuple(LongEdge, 30, ".png", true, true));

    std::filesystem::create_directories(In("a/b"));
    testpics::WriteColour(In("x.png"), 60, 40, "png");
    testpics::WriteColour(In("a/b/x.png"), 60, 40, "png");
    CliProcess run({ "--preset", "tree", "-o", m_out, dir / "in" }, ".", m_env);
    ASSERT_EQ(run.Wait(), 0) << run.Err();
    EXPECT_EQ(ListNames(m_out), (Names { "a", "x.png" }));
    const Decoded deep = Decode(m_out + "/a/b/x.png");
    EXPECT_EQ(std::tuple(deep.loader, deep.width, deep.height), std::tuple("pngload", 30, 20));

    CliProcess unknown({ "--preset", "web", In("x.png") }, ".", m_env);
    EXPECT_EQ(unknown.Wait(), 2);
    EXPECT_EQ(unknown.Err().rfind("kestrova-cli: no preset named web (presets: Tree)\n", 0), 0u) << unknown.Err();
    CliProcess badName({ "--save-preset", "a]b" }, ".", m_env);
    EXPECT_EQ(badName.Wait(), 2);
    EXPECT_NE(badName.Err().find("--save-preset: a preset's name cannot hold ']'"), std::string::npos);
}

} // namespace
