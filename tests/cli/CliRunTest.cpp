// Runs the built kestrova-cli as a user or a script would, and checks what it leaves on disk.
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "imaging/OutputFile.h"
#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using Args = std::vector<std::string>;
using enginefix::Decode;
using enginefix::ListNames;
using testpics::TempDir;

// The program in a child process with its output on pipes.
class CliProcess {
public:
    explicit CliProcess(const Args& args, rlim_t fileSizeLimit = RLIM_INFINITY)
    {
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            if (fileSizeLimit != RLIM_INFINITY) {
                std::signal(SIGXFSZ, SIG_IGN);
                rlimit limit { fileSizeLimit, fileSizeLimit };
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            std::vector<char*> argv { const_cast<char*>(KESTROVA_CLI_PATH) };
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(KESTROVA_CLI_PATH, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~CliProcess()
    {
        if (m_pid > 0 && !m_waited) {
            ::kill(m_pid, SIGKILL);
            Wait();
        }
        ::close(m_out);
        ::close(m_err);
    }

    // Reads standard output until it holds `lines` lines or the program ends.
    // Bounded by a generous limit, so a hung program fails the test instead of hanging it.
    bool ReadLines(std::size_t lines)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::count(m_stdout.begin(), m_stdout.end(), '\n') < static_cast<std::ptrdiff_t>(lines)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd fd { m_out, POLLIN, 0 };
            if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) <= 0)
                return false;
            char buf[4096];
            const ssize_t n = ::read(m_out, buf, sizeof buf);
            if (n <= 0)
                return false;
            m_stdout.append(buf, static_cast<std::size_t>(n));
        }
        return true;
    }
    void Signal(int sig) { ::kill(m_pid, sig); }
    // Drains both pipes and returns the exit status (128 + n for a signal).
    int Wait()
    {
        Drain(m_out, m_stdout);
        Drain(m_err, m_stderr);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_waited = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    const std::string& Out() const { return m_stdout; }
    const std::string& Err() const { return m_stderr; }

private:
    static void Drain(int fd, std::string& into)
    {
        char buf[4096];
        for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
            into.append(buf, static_cast<std::size_t>(n));
    }
    pid_t m_pid = -1;
    int m_out = -1, m_err = -1;
    bool m_waited = false;
    std::string m_stdout, m_stderr;
};

struct Finished {
    int status;
    std::string out, err;
};

Finished RunCli(const Args& args, rlim_t fileSizeLimit = RLIM_INFINITY)
{
    CliProcess p(args, fileSizeLimit);
    const int status = p.Wait();
    return { status, p.Out(), p.Err() };
}

std::size_t CountLines(const std::string& text, const std::string& containing)
{
    std::size_t n = 0;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        if (text.substr(start, end - start).find(containing) != std::string::npos)
            ++n;
    return n;
}

// Output names that are not our temporary files.
std::vector<std::string> FinalNames(const std::string& folder)
{
    std::vector<std::string> names = ListNames(folder);
    std::erase_if(names, [](const std::string& n) { return n.rfind(TempFilePrefix, 0) == 0; });
    return names;
}

class CliRunTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(m_dir / "in");
        m_out = m_dir / "out";
    }
    std::string In(const std::string& name) const { return m_dir / ("in/" + name); }
    std::string Out(const std::string& name) const { return m_out + "/" + name; }
    // count copies of one picture, so large batches are quick to make.
    std::vector<std::string> Copies(int count, int width, int height)
    {
        testpics::WriteNoiseJpeg(In("master.jpg"), width, height);
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back(In("p" + std::to_string(100 + i) + ".jpg"));
            std::filesystem::copy_file(In("master.jpg"), paths.back());
        }
        std::filesystem::remove(In("master.jpg"));
        return paths;
    }

    TempDir m_dir;
    std::string m_out;
};

TEST_F(CliRunTest, HelpAndVersion)
{
    const Finished help = RunCli({ "--help" });
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: kestrova-cli", 0), 0u);
    const Finished version = RunCli({ "--version" });
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find(KESTROVA_VERSION), std::string::npos);
}

TEST_F(CliRunTest, BadUsageExitsWith2AndWritesNothing)
{
    testpics::WriteColour(In("a.jpg"), 40, 30, "jpg");
    for (const Args& args : { Args { "-o", m_out, "--quality", "0", In("a.jpg") }, Args { "-o", m_out },
             Args { "-o", m_out, "--frobnicate", In("a.jpg") } }) {
        const Finished r = RunCli(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find("kestrova-cli: "), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(m_out));
    }
    testpics::WriteBytes(m_dir / "file", { 'x' });
    const Finished onFile = RunCli({ "-o", m_dir / "file/out", In("a.jpg") });
    EXPECT_EQ(onFile.status, 2);
    EXPECT_NE(onFile.err.find("output folder"), std::string::npos) << onFile.err;
}

TEST_F(CliRunTest, ConvertsFilesAndFoldersAndReportsEachPicture)
{
    testpics::WriteColour(In("one.JPG"), 400, 300, "jpg");
    testpics::WriteColour(In("four.gif"), 200, 100, "gif");
    testpics::WriteColour(In("three.tif"), 100, 100, "tif");
    testpics::WriteBytes(In("two.tiff"), { 'x' });
    std::filesystem::create_directory(m_dir / "in/five");
    testpics::WriteColour(m_dir / "in/five/deep.jpg", 50, 50, "jpg");
    testpics::WriteColour(m_dir / "extra.png", 80, 40, "png");
    const Finished r = RunCli({ "-o", m_out + "/new/sub", "--mode", "width", "--width", "100", "--format", "png",
        m_dir / "in", m_dir / "extra.png", "--report", m_dir / "report.csv" });
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string out = m_out + "/new/sub";
    EXPECT_EQ(ListNames(out), (std::vector<std::string> { "extra.png", "four.png", "one.png", "three.png" }));
    const auto one = Decode(out + "/one.png");
    EXPECT_EQ(one.loader, "pngload");
    EXPECT_EQ(one.width, 100);
    EXPECT_EQ(one.height, 75);
    EXPECT_EQ(Decode(out + "/extra.png").height, 50);
    EXPECT_EQ(CountLines(r.out, " -> "), 4u);
    EXPECT_NE(r.out.find("4 written, 0 failed"), std::string::npos) << r.out;
    EXPECT_EQ(r.err.find('\r'), std::string::npos) << "no progress bar when not on a terminal";
    const auto report = testpics::ReadBytes(m_dir / "report.csv");
    const std::string csv(report.begin(), report.end());
    EXPECT_EQ(csv.rfind("source,output,width,height,bytes,quality,status,reason\n", 0), 0u);
    EXPECT_EQ(CountLines(csv, ",written,"), 4u);
}

TEST_F(CliRunTest, HostileInputsFailOneEachGoodOnesAreWrittenExit1)
{
    testpics::WriteColour(In("good1.jpg"), 120, 90, "jpg");
    testpics::WriteColour(In("good2.png"), 120, 90, "png");
    Args args { "-o", m_out, "--quiet", "--report", m_dir / "report.csv", In("good1.jpg") };
    auto hostile = enginefix::HostileInputs();
    // A folder on the command line is scanned, not converted: that one is no failure here.
    std::erase_if(hostile, [](const auto& h) { return h.name == "folder_named.jpg"; });
    for (const auto& h : hostile) {
        h.make(In(h.name));
        args.push_back(In(h.name));
    }
    args.push_back(In("good2.png"));
    const Finished r = RunCli(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(FinalNames(m_out), (std::vector<std::string> { "good1.jpg", "good2.jpg" }));
    EXPECT_EQ(ListNames(m_out).size(), 2u) << "no temporary file left";
    EXPECT_EQ(r.out, "") << "quiet";
    for (const auto& h : hostile)
        EXPECT_EQ(CountLines(r.err, In(h.name) + ": "), 1u) << h.name << "\n" << r.err;
    EXPECT_EQ(CountLines(r.err, "kestrova-cli: "), hostile.size());
    const auto report = testpics::ReadBytes(m_dir / "report.csv");
    const std::string csv(report.begin(), report.end());
    EXPECT_EQ(CountLines(csv, ",written,"), 2u);
    EXPECT_EQ(CountLines(csv, ",unreadable,"), hostile.size() - 1);
    EXPECT_EQ(CountLines(csv, ",too large,"), 1u);
}

TEST_F(CliRunTest, FailingSaveLeavesNoFileAndExits1)
{
    Copies(2, 300, 200);
    const Finished r = RunCli({ "-o", m_out, "-s", "500", m_dir / "in" }, 8192);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(CountLines(r.err, "could not write"), 2u) << r.err;
    EXPECT_TRUE(ListNames(m_out).empty());
}

TEST_F(CliRunTest, OverwritingTheSourceInPlaceGivesACorrectPicture)
{
    testpics::WriteColour(In("photo.jpg"), 800, 600, "jpg");
    const Finished r = RunCli({ "-o", m_dir / "in", "--overwrite", "-w", "50", "-H", "50", In("photo.jpg") });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ListNames(m_dir / "in"), std::vector<std::string> { "photo.jpg" });
    const auto d = Decode(In("photo.jpg"));
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.width, 400);
    EXPECT_EQ(d.height, 300);
    EXPECT_NEAR(d.topRight[0], 255, 40);
    EXPECT_NEAR(d.topRight[1], 0, 40);
}

// Killed without warning in the middle of a batch: whatever carries a final
// name is a whole picture; only hidden temporary files may be left over.
TEST_F(CliRunTest, KilledRunLeavesNoPartialFileUnderAFinalName)
{
    const auto sources = Copies(24, 1600, 1200);
    CliProcess p({ "-o", m_out, "--format", "png", m_dir / "in" });
    ASSERT_TRUE(p.ReadLines(2)) << "two pictures done before the kill";
    p.Signal(SIGKILL);
    EXPECT_EQ(p.Wait(), 128 + SIGKILL);
    const auto names = FinalNames(m_out);
    EXPECT_GE(names.size(), 2u);
    EXPECT_LT(names.size(), sources.size());
    for (const std::string& name : names) {
        const auto d = Decode(Out(name));
        EXPECT_TRUE(d.ok) << name << ": " << d.error;
        EXPECT_EQ(d.width, 1600) << name;
    }
    EXPECT_LE(ListNames(m_out).size() - names.size(), 1u) << "at most the one picture in progress";
}

TEST_F(CliRunTest, CtrlCStopsBetweenPicturesAndLeavesNothingHalfMade)
{
    const auto sources = Copies(40, 800, 600);
    CliProcess p({ "-o", m_out, "--report", m_dir / "report.csv", m_dir / "in" });
    ASSERT_TRUE(p.ReadLines(1));
    p.Signal(SIGINT);
    EXPECT_EQ(p.Wait(), 130) << p.Err();
    EXPECT_NE(p.Err().find("stopped: "), std::string::npos) << p.Err();
    const auto names = ListNames(m_out);
    EXPECT_EQ(names, FinalNames(m_out)) << "no temporary file";
    EXPECT_GE(names.size(), 1u);
    EXPECT_LT(names.size(), sources.size());
    for (const std::string& name : names)
        EXPECT_TRUE(Decode(Out(name)).ok) << name;
    const auto report = testpics::ReadBytes(m_dir / "report.csv");
    const std::string csv(report.begin(), report.end());
    EXPECT_EQ(CountLines(csv, ",written,"), names.size());
    EXPECT_EQ(CountLines(csv, ",skipped,"), sources.size() - names.size());
}

} // namespace
