// Runs the built kestrova-cli as a user or a script would, and checks what it leaves on disk.
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
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
using Names = std::vector<std::string>;

// The program in a child process with its output on pipes.
class CliProcess {
public:
    explicit CliProcess(const Args& args)
    {
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
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
        if (m_status < 0) {
            ::kill(m_pid, SIGKILL);
            Wait();
        }
        ::close(m_out);
        ::close(m_err);
    }
    // Reads standard output until it holds `lines` lines, false if the program ends first.
    bool ReadLines(std::ptrdiff_t lines) { return Read(m_out, m_stdout, lines); }
    void Signal(int sig) { ::kill(m_pid, sig); }
    // Reads both pipes to their end and returns the exit status (128 + n for a signal).
    int Wait()
    {
        Read(m_out, m_stdout);
        Read(m_err, m_stderr);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        return m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    const std::string& Out() const { return m_stdout; }
    const std::string& Err() const { return m_stderr; }

private:
    // Bounded by a generous limit, so a hung program fails the test instead of hanging it.
    static bool Read(int fd, std::string& into, std::ptrdiff_t lines = PTRDIFF_MAX)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::count(into.begin(), into.end(), '\n') < lines) {
            const auto left
                = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd p { fd, POLLIN, 0 };
            char buf[4096];
            ssize_t n = 0;
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0
                || (n = ::read(fd, buf, sizeof buf)) <= 0)
                return false;
            into.append(buf, static_cast<std::size_t>(n));
        }
        return true;
    }
    pid_t m_pid = -1;
    int m_out = -1, m_err = -1, m_status = -1;
    std::string m_stdout, m_stderr;
};

// How often part occurs in text.
std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::string ReadText(const std::string& path)
{
    const auto bytes = testpics::ReadBytes(path);
    return { bytes.begin(), bytes.end() };
}

// Output names that are not our temporary files.
Names FinalNames(const std::string& folder)
{
    Names names = ListNames(folder);
    std::erase_if(names, [](const std::string& n) { return n.rfind(TempFilePrefix, 0) == 0; });
    return names;
}

class CliRunTest : public enginefix::FolderTest {
protected:
    const std::string m_out = dir / "result"; // made by the program
    const std::string m_report = dir / "report.csv";
};

TEST_F(CliRunTest, HelpAndVersion)
{
    CliProcess help({ "--help" }), version({ "--version" });
    EXPECT_EQ(help.Wait(), 0);
    EXPECT_EQ(help.Out().rfind("Usage: kestrova-cli", 0), 0u);
    EXPECT_EQ(version.Wait(), 0);
    EXPECT_NE(version.Out().find(KESTROVA_VERSION), std::string::npos);
}

TEST_F(CliRunTest, BadUsageExitsWith2AndWritesNothing)
{
    testpics::WriteColour(In("a.jpg"), 40, 30, "jpg");
    testpics::WriteBytes(dir / "file", { 'x' });
    for (const Args& args : { Args { "-o", m_out, "--quality", "0", In("a.jpg") }, Args { "-o", m_out },
             Args { "-o", m_out, "-m", "width", "-H", "5", In("a.jpg") },
             Args { "-o", dir / "file/out", In("a.jpg") } }) {
        CliProcess r(args);
        EXPECT_EQ(r.Wait(), 2) << r.Err();
        EXPECT_EQ(r.Err().rfind("kestrova-cli: ", 0), 0u) << r.Err();
        EXPECT_FALSE(std::filesystem::exists(m_out));
    }
}

// A folder is scanned (not for two.tiff: no scanned extension), a file is taken as
// given, and the output folder is made with its parents. Each hostile file fails
// on its own, the good pictures are written, and the exit status is 1.
TEST_F(CliRunTest, ConvertsFilesAndFoldersAndReportsEachPictureAndEachFailure)
{
    testpics::WriteColour(In("one.JPG"), 400, 300, "jpg");
    testpics::WriteColour(In("four.gif"), 200, 100, "gif");
    testpics::WriteBytes(In("two.tiff"), { 'x' });
    testpics::WriteColour(dir / "extra.png", 80, 40, "png");
    const std::string out = m_out + "/new/sub";
    Args args { "-o", out, "--mode", "width", "--width", "100", "--format", "png", "--report", m_report, dir / "in",
        dir / "extra.png" };
    auto hostile = enginefix::HostileInputs();
    // A folder on the command line is scanned, not converted: that one is no failure here.
    std::erase_if(hostile, [](const auto& h) { return h.name == "folder_named.jpg"; });
    for (const auto& h : hostile) {
        h.make(dir / h.name);
        args.push_back(dir / h.name);
    }
    CliProcess r(args);
    EXPECT_EQ(r.Wait(), 1) << r.Err();
    EXPECT_EQ(ListNames(out), (Names { "extra.png", "four.png", "one.png" })) << "no temporary file left";
    const auto one = Decode(out + "/one.png");
    EXPECT_EQ(one.loader, "pngload");
    EXPECT_EQ(one.width, 100);
    EXPECT_EQ(one.height, 75);
    EXPECT_EQ(Decode(out + "/extra.png").height, 50);
    EXPECT_EQ(Count(r.Out(), " -> "), 3u);
    EXPECT_NE(r.Out().find("3 written, " + std::to_string(hostile.size()) + " failed"), std::string::npos) << r.Out();
    EXPECT_EQ(r.Err().find('\r'), std::string::npos) << "no progress bar when not on a terminal";
    for (const auto& h : hostile)
        EXPECT_EQ(Count(r.Err(), dir / h.name + ": "), 1u) << h.name << "\n" << r.Err();
    EXPECT_EQ(Count(r.Err(), "kestrova-cli: "), hostile.size());
    const std::string csv = ReadText(m_report);
    EXPECT_EQ(csv.rfind("source,output,width,height,bytes,quality,status,reason\n", 0), 0u);
    EXPECT_EQ(Count(csv, ",written,"), 3u);
    EXPECT_EQ(Count(csv, ",unreadable,"), hostile.size() - 1);
    EXPECT_EQ(Count(csv, ",too large,"), 1u);
}

// Killed without warning in the middle of a batch: whatever carries a final
// name is a whole picture; only hidden temporary files may be left over.
TEST_F(CliRunTest, KilledRunLeavesNoPartialFileUnderAFinalName)
{
    const auto sources = Pictures(24, 1600, 1200);
    CliProcess p({ "-o", m_out, "--format", "png", dir / "in" });
    ASSERT_TRUE(p.ReadLines(2)) << "two pictures done before the kill";
    p.Signal(SIGKILL);
    EXPECT_EQ(p.Wait(), 128 + SIGKILL);
    const auto names = FinalNames(m_out);
    EXPECT_GE(names.size(), 2u);
    EXPECT_LT(names.size(), sources.size());
    for (const std::string& name : names) {
        const auto d = Decode(m_out + "/" + name);
        EXPECT_TRUE(d.ok) << name << ": " << d.error;
        EXPECT_EQ(d.width, 1600) << name;
    }
    EXPECT_LE(ListNames(m_out).size() - names.size(), 1u) << "at most the one picture in progress";
}

TEST_F(CliRunTest, CtrlCStopsBetweenPicturesAndLeavesNothingHalfMade)
{
    const auto sources = Pictures(40, 800, 600);
    CliProcess p({ "-o", m_out, "--report", m_report, dir / "in" });
    ASSERT_TRUE(p.ReadLines(1));
    p.Signal(SIGINT);
    EXPECT_EQ(p.Wait(), 130) << p.Err();
    EXPECT_NE(p.Err().find("stopped: "), std::string::npos) << p.Err();
    const auto names = ListNames(m_out);
    EXPECT_EQ(names, FinalNames(m_out)) << "no temporary file";
    EXPECT_GE(names.size(), 1u);
    EXPECT_LT(names.size(), sources.size());
    for (const std::string& name : names)
        EXPECT_TRUE(Decode(m_out + "/" + name).ok) << name;
    const std::string csv = ReadText(m_report);
    EXPECT_EQ(Count(csv, ",written,"), names.size());
    EXPECT_EQ(Count(csv, ",skipped,"), sources.size() - names.size());
}

} // namespace
