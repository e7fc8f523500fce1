#include "app/IniFile.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/app/TestHelpers.h"
#include "tests/support/TestPictures.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return { text.begin(), text.end() }; }

std::string Text(const std::vector<std::uint8_t>& bytes) { return { bytes.begin(), bytes.end() }; }

std::string Repeat(const std::string& piece, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += piece;
    return out;
}

std::vector<std::string> FolderEntries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct ReadCase {
    const char* name;
    std::string content;
    const char* section;
    const char* key;
    const char* defaultValue;
    std::string expected;
};

class IniRead : public ::testing::TestWithParam<ReadCase> { };

TEST_P(IniRead, GivesValueOrDefault)
{
    testpics::TempDir dir;
    const std::string path = dir / "test.ini";
    testpics::WriteBytes(path, Bytes(GetParam().content));
    EXPECT_EQ(
        IniFile(path).ReadString(GetParam().section, GetParam().key, GetParam().defaultValue), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniRead,
    ::testing::Values(
        ReadCase { "NamesIgnoreCase", "[Setting_Info]\nlast_folder=/a\n", "SETTING_INFO", "LAST_FOLDER", "d", "/a" },
        ReadCase { "ValueAndKeyTrimmed", "[S]\n  K \t=   spaced value \t\n", "S", "K", "d", "spaced value" },
        ReadCase { "EmptyValueIsNotDefault", "[S]\nK=\n", "S", "K", "d", "" },
        ReadCase { "DefaultTrimmed", "[S]\n", "S", "K", "  d  ", "d" },
        ReadCase { "OtherSectionNotSeen", "[A]\nK=1\n[B]\nX=2\n", "B", "K", "d", "d" },
        ReadCase { "FirstDuplicateKeyWins", "[S]\nK=1\nK=2\n", "S", "K", "d", "1" },
        ReadCase { "FirstDuplicateSectionWins", "[S]\nA=1\n[T]\n[S]\nK=2\n", "S", "K", "d", "d" },
        ReadCase { "SectionNameTrimmed", "[ S ]\nK=v\n", "S", "K", "d", "v" },
        ReadCase { "KeyBeforeAnySection", "K=v\n[S]\n", "S", "K", "d", "d" },
        ReadCase { "CommentIsNoKey", "[S]\n;K=v\n", "S", "K", "d", "d" },
        ReadCase { "EqualsInValueKept", "[S]\nK=a=b\n", "S", "K", "d", "a=b" },
        ReadCase { "CrLfLines", "[S]\r\nK=v\r\nL=w\r\n", "S", "K", "d", "v" },
        ReadCase { "NoFinalNewline", "[S]\nK=v", "S", "K", "d", "v" },
        ReadCase {
            "Utf8WithBom", "\xEF\xBB\xBF[S]\nK=Gr\xC3\xB6\xC3\x9F\x65\n", "S", "K", "d", "Gr\xC3\xB6\xC3\x9F\x65" },
        ReadCase {
            "Utf16LeWithBom", Utf16Le(u"[S]\r\nK= Gr\u00F6\u00DFe \r\n"), "S", "K", "d", "Gr\xC3\xB6\xC3\x9F\x65" },
        ReadCase { "LongValueCut", "[S]\nK=" + Repeat("x", 40000) + "\n", "S", "K", "d", Repeat("x", 32767) },
        ReadCase { "LongValueCutAtCharacters", "[S]\nK=" + Repeat("\xC3\xA9", 33000) + "\n", "S", "K", "d",
            Repeat("\xC3\xA9", 32767) },
        ReadCase { "Latin1IsGarbage", "[S]\nK=Gr\xF6\xDF\x65\n", "S", "K", "d", "d" },
        ReadCase { "NulIsGarbage", std::string("[S]\nK=v\n\0\0\0", 11), "S", "K", "d", "d" },
        ReadCase { "OverlongUtf8IsGarbage", "[S]\nK=\xC0\xAF\n", "S", "K", "d", "d" },
        ReadCase { "Utf16OddLengthIsGarbage", Utf16Le(u"[S]\r\nK=v\r\n") + "x", "S", "K", "d", "d" },
        ReadCase {
            "Utf16LoneSurrogateIsGarbage", Utf16Le(u"[S]\r\nK=v") + std::string("\x00\xD8", 2), "S", "K", "d", "d" },
        ReadCase { "Utf16BigEndianIsGarbage", std::string("\xFE\xFF\0[\0S\0]", 8), "S", "K", "d", "d" }),
    CaseName());

TEST(IniFile, MissingFileOrFolderReadsDefault)
{
    testpics::TempDir dir;
    EXPECT_EQ(IniFile(dir / "absent.ini").ReadString("S", "K", "d"), "d");
    EXPECT_EQ(IniFile(dir.Path().string()).ReadString("S", "K", "d"), "d");
    EXPECT_EQ(IniFile("").ReadString("S", "K", "d"), "d");
    EXPECT_FALSE(IniFile("").WriteString("S", "K", "v"));
}

TEST(IniFile, ReadsTheFileAnewEachCall)
{
    testpics::TempDir dir;
    const IniFile file(dir / "test.ini");
    testpics::WriteBytes(file.GetPath(), Bytes("[S]\nK=old\n"));
    ASSERT_EQ(file.ReadString("S", "K", ""), "old");
    testpics::WriteBytes(file.GetPath(), Bytes("[S]\nK=new\n"));
    EXPECT_EQ(file.ReadString("S", "K", ""), "new");
}

struct WriteCase {
    const char* name;
    std::string before; // empty: no file
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

class IniWrite : public ::testing::TestWithParam<WriteCase> { };

TEST_P(IniWrite, ChangesOnlyItsLine)
{
    testpics::TempDir dir;
    const IniFile file(dir / "test.ini");
    if (!GetParam().before.empty())
        testpics::WriteBytes(file.GetPath(), Bytes(GetParam().before));
    ASSERT_TRUE(file.WriteString(GetParam().section, GetParam().key, GetParam().value));
    EXPECT_EQ(Text(testpics::ReadBytes(file.GetPath())), GetParam().after);
    EXPECT_EQ(file.ReadString(GetParam().section, GetParam().key, "d"), TrimBlanks(GetParam().value));
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string> { "test.ini" }) << "no temporary file left";
}

INSTANTIATE_TEST_SUITE_P(Cases, IniWrite,
    ::testing::Values(WriteCase { "CreatesFile", "", "S", "K", "v", "[S]\nK=v\n" },
        WriteCase { "ReplacesInPlace", "; note\n[s]\nA=1\nk = old\nB=2\n\n[T]\nK=x\n", "S", "K", "new",
            "; note\n[s]\nA=1\nK=new\nB=2\n\n[T]\nK=x\n" },
        WriteCase {
            "AddsAfterLastLineOfSection", "[S]\nA=1\n\n[T]\nB=2\n", "S", "K", "v", "[S]\nA=1\nK=v\n\n[T]\nB=2\n" },
        WriteCase { "AddsSectionAtEnd", "[T]\nB=2\n", "S", "K", "v", "[T]\nB=2\n[S]\nK=v\n" },
        WriteCase { "KeepsUnrelatedText", "junk without equals\n[S]\nlooks odd\n", "S", "K", "v",
            "junk without equals\n[S]\nlooks odd\nK=v\n" },
        WriteCase { "ValueWrittenUnchanged", "[S]\nK=1\n", "S", "K", "  /a b/  ", "[S]\nK=  /a b/  \n" },
        WriteCase { "KeepsCrLf", "[S]\r\nA=1\r\n", "S", "K", "v", "[S]\r\nA=1\r\nK=v\r\n" },
        WriteCase { "KeepsUtf8Bom", "\xEF\xBB\xBF[S]\nK=1\n", "S", "K", "\xC3\xA9", "\xEF\xBB\xBF[S]\nK=\xC3\xA9\n" },
        WriteCase {
            "KeepsUtf16", Utf16Le(u"[S]\r\nA=\u00E9\r\n"), "S", "K", "v", Utf16Le(u"[S]\r\nA=\u00E9\r\nK=v\r\n") },
        WriteCase { "AddsFinalNewline", "[S]\nK=1", "S", "K", "2", "[S]\nK=2\n" }),
    CaseName());

struct RefusedCase {
    const char* name;
    std::string content;
    std::string section;
    std::string key;
    std::string value;
};

class IniWriteRefused : public ::testing::TestWithParam<RefusedCase> { };

// Garbage must survive a write of one key; a value must not smuggle in lines of its own.
TEST_P(IniWriteRefused, KeepsFileBytes)
{
    testpics::TempDir dir;
    const IniFile file(dir / "test.ini");
    testpics::WriteBytes(file.GetPath(), Bytes(GetParam().content));
    EXPECT_FALSE(file.WriteString(GetParam().section, GetParam().key, GetParam().value));
    EXPECT_EQ(Text(testpics::ReadBytes(file.GetPath())), GetParam().content);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string> { "test.ini" });
}

INSTANTIATE_TEST_SUITE_P(Cases, IniWriteRefused,
    ::testing::Values(RefusedCase { "BinaryGarbage", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), "S", "K", "v" },
        RefusedCase { "NotUtf8", "[S]\nK=caf\xE9\n", "S", "K", "v" },
        RefusedCase { "BrokenUtf16", std::string("\xFF\xFE[\0S\0]", 7), "S", "K", "v" },
        RefusedCase { "ValueWithNewline", "[S]\nK=1\n", "S", "K", "x\n[S]\nLANGUAGE=evil" },
        RefusedCase { "ValueWithCarriageReturn", "[S]\nK=1\n", "S", "K", "x\ry" },
        RefusedCase { "ValueWithNul", "[S]\nK=1\n", "S", "K", std::string("x\0y", 3) },
        RefusedCase { "ValueNotUtf8", "[S]\nK=1\n", "S", "K", "/photos/caf\xE9" },
        RefusedCase { "KeyWithEquals", "[S]\nK=1\n", "S", "A=B", "v" },
        RefusedCase { "EmptyKey", "[S]\nK=1\n", "S", "  ", "v" },
        RefusedCase { "KeyLooksLikeComment", "[S]\nK=1\n", "S", ";K", "v" },
        RefusedCase { "SectionWithBracket", "[S]\nK=1\n", "S]x", "K", "v" }),
    CaseName());

TEST(IniFile, WriteIntoFolderOrMissingFolderFails)
{
    testpics::TempDir dir;
    fs::create_directory(dir.Path() / "test.ini");
    EXPECT_FALSE(IniFile(dir / "test.ini").WriteString("S", "K", "v"));
    EXPECT_TRUE(fs::is_directory(dir.Path() / "test.ini"));
    EXPECT_FALSE(IniFile(dir / "missing/test.ini").WriteString("S", "K", "v"));
    EXPECT_FALSE(fs::exists(dir.Path() / "missing"));
}

TEST(IniFile, WriteKeepsModeAndLink)
{
    testpics::TempDir dir;
    const std::string target = dir / "real.ini";
    testpics::WriteBytes(target, Bytes("[S]\nK=1\n"));
    ::chmod(target.c_str(), 0640);
    fs::create_symlink(target, dir.Path() / "link.ini");
    ASSERT_TRUE(IniFile(dir / "link.ini").WriteString("S", "K", "2"));
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.ini"));
    EXPECT_EQ(Text(testpics::ReadBytes(target)), "[S]\nK=2\n");
    struct stat st { };
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// The process dies after the new content is complete but before it replaces the file.
TEST(IniFile, CrashBeforeRenameKeepsOldFile)
{
    testpics::TempDir dir;
    const IniFile file(dir / "settings.ini");
    const std::string old = "[SETTING_INFO]\nLAST_FOLDER=/old/\nLANGUAGE=Deutsch\n";
    testpics::WriteBytes(file.GetPath(), Bytes(old));

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        IniFile::SetBeforeReplaceHook([](const std::string&) { ::_exit(42); });
        file.WriteString("SETTING_INFO", "LAST_FOLDER", "/new/");
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 42) << "the write never reached the replace step";

    EXPECT_EQ(Text(testpics::ReadBytes(file.GetPath())), old);
    EXPECT_EQ(file.ReadString("SETTING_INFO", "LAST_FOLDER", ""), "/old/");
    // The abandoned temporary file holds the complete new text, so nothing was cut short.
    bool sawTemp = false;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        if (entry.path().filename() == "settings.ini")
            continue;
        sawTemp = true;
        EXPECT_EQ(IniFile(entry.path().string()).ReadString("SETTING_INFO", "LAST_FOLDER", ""), "/new/");
    }
    EXPECT_TRUE(sawTemp);
    // A later write still works and keeps the other key.
    EXPECT_TRUE(file.WriteString("SETTING_INFO", "LAST_FOLDER", "/newer/"));
    EXPECT_EQ(file.ReadString("SETTING_INFO", "LANGUAGE", ""), "Deutsch");
}

} // namespace
