#include "settings/IniFile.h"

#include <csignal>
#include <filesystem>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "files/OutputFile.h"
#include "tests/settings/TestHelpers.h"

namespace fs = std::filesystem;

namespace {

// Rows: the file's text, and what reading key K of section S with the default " d " gives.
class IniRead : public ::testing::TestWithParam<Pairs::value_type> { };

TEST_P(IniRead, GivesValueOrDefault)
{
    testpics::TempDir dir;
    WriteText(dir / "test.ini", GetParam().first);
    EXPECT_EQ(IniFile(dir / "test.ini").ReadString("S", "K", " d "), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniRead,
    ::testing::ValuesIn(Pairs { { "[s]\nk=/a\n", "/a" },          // names ignore case
        { "[ S ]\n  K \t=   spaced value \t\n", "spaced value" }, //
        { "[S]\nK=\n", "" },                                      // an empty value is no default
        { "K=v\n[A]\nK=1\n[S]\nX=2\n", "d" },                     // keys outside the section are not seen
        { "[S]\nK=1\nK=2\n", "1" },                               // the first key wins
        { "[S]\nA=1\n[T]\n[S]\nK=2\n", "d" },                     // ... and the first section
        { "[S]\n;K=v\n", "d" }, { "[S]\nK=a=b\n", "a=b" }, { "[S]\r\nK=v\r\nL=w", "v" }, // CR LF, no final line end
        { "\xEF\xBB\xBF[S]\nK=Gr\xC3\xB6\xC3\x9F\x65\n", "Gr\xC3\xB6\xC3\x9F\x65" },
        { Utf16Le(u"[S]\r\nK= Gr\u00F6\u00DFe \r\n"), "Gr\xC3\xB6\xC3\x9F\x65" },
        { "[S]\nK=caf\xE9 \x80\x81\n", "caf\u00E9 \u20AC\u0081" } })); // Windows-1252

// Rows: the file's text before (empty: no file), the value written to key K of section S, the text after.
class IniWrite : public ::testing::TestWithParam<Triples::value_type> { };

TEST_P(IniWrite, ChangesOnlyItsLine)
{
    const auto& [before, value, after] = GetParam();
    testpics::TempDir dir;
    const IniFile file(dir / "test.ini");
    if (!before.empty())
        WriteText(file.GetPath(), before);
    ASSERT_TRUE(file.WriteString("S", "K", value));
    EXPECT_EQ(ReadText(file.GetPath()), after);
    EXPECT_EQ(Entries(dir.Path()), 1) << "no temporary file left";
}

INSTANTIATE_TEST_SUITE_P(Cases, IniWrite,
    ::testing::ValuesIn(Triples { { "", "v", "[S]\nK=v\n" }, { "[T]\nK=2\n", "v", "[T]\nK=2\n[S]\nK=v\n" },
        { "junk\n[S]\nlooks odd\n\n", "v", "junk\n[S]\nlooks odd\nK=v\n\n" }, // after the section's last line
        { "[S]\nK=1", "  /a b/  ", "[S]\nK=  /a b/  \n" },                    // value written unchanged
        { "[S]\r\nA=1\r\n", "v", "[S]\r\nA=1\r\nK=v\r\n" },
        { "\xEF\xBB\xBF[S]\nK=1\n", "\xC3\xA9", "\xEF\xBB\xBF[S]\nK=\xC3\xA9\n" },
        { Utf16Le(u"[S]\r\nA=\u00E9\r\n"), "v", Utf16Le(u"[S]\r\nA=\u00E9\r\nK=v\r\n") },
        { "[S]\nA=caf\xE9\x81\n", "\u20AC\u00E9", "[S]\nA=caf\xE9\x81\nK=\x80\xE9\n" }, // Windows-1252 stays
        { "[S]\nA=caf\xE9\n", "\u0395",
            "\xEF\xBB\xBF[S]\nA=caf\u00E9\nK=\u0395\n" } })); // ... unless it cannot hold the value

// Rows: section, key and value that would break the file's structure.
class IniWriteRefused : public ::testing::TestWithParam<Triples::value_type> { };

TEST_P(IniWriteRefused, KeepsFileBytes)
{
    const auto& [section, key, value] = GetParam();
    testpics::TempDir dir;
    WriteText(dir / "test.ini", "[S]\nK=1\n");
    EXPECT_FALSE(IniFile(dir / "test.ini").WriteString(section, key, value));
    EXPECT_EQ(ReadText(dir / "test.ini"), "[S]\nK=1\n");
    EXPECT_EQ(Entries(dir.Path()), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniWriteRefused,
    ::testing::ValuesIn(Triples { { "S", "K", "x\n[S]\nLANGUAGE=evil" }, { "S", "K", std::string("x\0y", 3) },
        { "S", "K", "/photos/caf\xE9" }, { "S", "A=B", "v" }, { "S", ";K", "v" }, { "S]x", "K", "v" } }));

// The new content cannot be written whole (the file size limit is below it). Whether the
// process dies on the way or the write fails, the old file stays as it was and no file of
// ours is left: at once with unnamed temporary files, after the next write with named ones.
// That next write keeps the file's permissions.
TEST(IniFile, WriteCutShortKeepsOldFile)
{
    for (const bool unnamed : { true, false })
        for (const bool dies : { true, false }) {
            testpics::TempDir dir;
            const IniFile file(dir / "settings.ini");
            const std::string old = "[SETTING_INFO]\nLAST_FOLDER=/old/\n";
            WriteText(file.GetPath(), old);
            const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
            fs::permissions(file.GetPath(), perms);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                AllowUnnamedTempFiles(unnamed);
                const rlimit size { 64, 64 }, noCore { 0, 0 };
                ::setrlimit(RLIMIT_FSIZE, &size);
                ::setrlimit(RLIMIT_CORE, &noCore);
                if (!dies)
                    ::signal(SIGXFSZ, SIG_IGN);
                ::_exit(file.WriteString("SETTING_INFO", "LAST_FOLDER", "/new/" + std::string(200, 'x')) ? 0 : 1);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            const std::string how = std::string(dies ? "died" : "failed") + (unnamed ? "" : ", named");
            // Killed by the limit, or told that the write failed.
            EXPECT_TRUE(dies ? WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ
                             : WIFEXITED(status) && WEXITSTATUS(status) == 1)
                << how;
            EXPECT_EQ(ReadText(file.GetPath()), old) << how;
            if (unnamed) {
                EXPECT_EQ(Entries(dir.Path()), 1) << "temporary file left when " << how;
            }
            ASSERT_TRUE(file.WriteString("SETTING_INFO", "A", "1"));
            EXPECT_EQ(Entries(dir.Path()), 1) << "temporary file left when " << how;
            EXPECT_EQ(fs::status(file.GetPath()).permissions(), perms) << how;
        }
}

} // namespace
