#include "settings/SettingsStore.h"

#include <climits>
#include <filesystem>

#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "files/CreateFolderPath.h"
#include "settings/DataDirectory.h"
#include "settings/IniFile.h"
#include "tests/settings/TestHelpers.h"

namespace fs = std::filesystem;

namespace {

TEST_F(Settings, FirstRunCreatesDataFolderSecondCreatesNothing)
{
    ::setenv("XDG_CONFIG_HOME", (m_dir / "config//").c_str(), 1);
    ASSERT_EQ(PrepareDataDirectory(), DataDirectoryResult::Ready);
    EXPECT_TRUE(fs::is_directory(m_dir / "config/Lumisk Studio Data"));
    EXPECT_EQ(SettingsStore::GetSettingsFilePath(), m_dir / "config/Lumisk Studio Data/settings.ini");
    const auto before = Tree();
    ASSERT_EQ(PrepareDataDirectory(), DataDirectoryResult::Ready);
    EXPECT_EQ(Tree(), before);
    ::setenv("XDG_CONFIG_HOME", "config", 1); // not absolute, so not used
    EXPECT_EQ(GetUserConfigFolder(), m_home + "/.config");
}

// With no settings file the last folder is made under the documents folder, one level deep:
// a documents folder that is missing is not invented. Of user-dirs.dirs, the last usable line
// counts; relative paths and unclosed quotes are not usable.
TEST_F(Settings, DefaultsWithoutFileLeaveItAbsent)
{
    fs::create_directories(m_home + "/.config");
    WriteText(m_home + "/.config/user-dirs.dirs",
        "XDG_DOCUMENTS_DIR=\"$HOME/Old\"\n# c\nXDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"/\"\n"
        "XDG_DOCUMENTS_DIR=\"Docs\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\n");
    const std::string documents = m_home + "/My \"Docs\"";
    EXPECT_EQ(GetDocumentsFolder(), documents);
    EXPECT_FALSE(fs::exists(documents));
    fs::create_directory(documents);
    EXPECT_EQ(SettingsStore::GetLastFolder(), documents + "/Da Varozez Evozer");
    EXPECT_TRUE(fs::is_directory(documents + "/Da Varozez Evozer"));
    EXPECT_EQ(SettingsStore::GetLanguage(), "");
    EXPECT_FALSE(SettingsStore::GetOpenFolder());
    EXPECT_FALSE(fs::exists(m_path));
}

// The file is read anew each time: first it names a missing folder, then blanks only.
TEST_F(Settings, StoredFolderComesBackAsIsBlanksGiveDefaultNeverStored)
{
    WriteText(m_path, "[SETTING_INFO]\nLAST_FOLDER= " + m_dir / "gone/away/" + " \n");
    EXPECT_EQ(SettingsStore::GetLastFolder(), m_dir / "gone/away/");
    EXPECT_FALSE(fs::exists(m_dir / "gone"));
    EXPECT_FALSE(fs::exists(m_default));
    WriteText(m_path, "[SETTING_INFO]\nLAST_FOLDER=    \t\n");
    EXPECT_EQ(SettingsStore::GetLastFolder(), m_default);
    EXPECT_EQ(ReadText(m_path), "[SETTING_INFO]\nLAST_FOLDER=    \t\n");
}

TEST_F(Settings, OnlyExactTrueOpensTheFolder)
{
    for (const auto& [line, open] : std::vector<std::pair<std::string, bool>> { { "open_folder =  TRUE  ", true },
             { "OPEN_FOLDER=true", false }, { "OPEN_FOLDER=TRUEISH", false }, { "LANGUAGE=TRUE", false } }) {
        WriteText(m_path, "[SETTING_INFO]\n" + line + "\n");
        EXPECT_EQ(SettingsStore::GetOpenFolder(), open) << line;
    }
}

TEST_F(Settings, WriteOfOneKeyKeepsTheRest)
{
    WriteText(m_path, "; kept\n[setting_info]\nLANGUAGE=De\nopen_folder = FALSE\n\n[OTHER]\nOPEN_FOLDER=1\n");
    SettingsStore::SetOpenFolder(true);
    SettingsStore::SetLastFolder("/out/");
    EXPECT_EQ(ReadText(m_path),
        "; kept\n[setting_info]\nLANGUAGE=De\nOPEN_FOLDER=TRUE\nLAST_FOLDER=/out/\n\n[OTHER]\nOPEN_FOLDER=1\n");
}

// The newer options round-trip under their own keys, beside the old ones; a bad lowest quality reads as 1.
TEST_F(Settings, OutputOptionsRoundTripBesideTheOldKeys)
{
    WriteText(m_path, "[SETTING_INFO]\nLANGUAGE=De\nMIN_QUALITY=0\n");
    const auto tuple = [](const OutputOptions& o) {
        return std::tuple(o.doNotEnlarge, o.keepAlpha, o.lossless, o.shrinkToFit, o.minQuality);
    };
    EXPECT_EQ(tuple(SettingsStore::GetPanelOptions().options), tuple(OutputOptions {}));
    const OutputOptions set { true, false, true, true, 40 };
    SetStoredOutputOptions(set);
    EXPECT_EQ(tuple(SettingsStore::GetPanelOptions().options), tuple(set));
    EXPECT_EQ(SettingsStore::GetLanguage(), "De");
    SetStoredOutputOptions({ false, true, false, false, 1 });
    EXPECT_EQ(tuple(SettingsStore::GetPanelOptions().options), std::tuple(false, true, false, false, 1));
}

// Rows: the decodable start of a settings file and what follows it that makes it undecodable.
class GarbageSettings : public Settings, public ::testing::WithParamInterface<Pairs::value_type> { };

TEST_P(GarbageSettings, ReadAsDefaultsAndSurviveWrites)
{
    const std::string content = GetParam().first + GetParam().second;
    WriteText(m_path, content);
    EXPECT_EQ(std::tuple(SettingsStore::GetOpenFolder(), SettingsStore::GetLanguage(), SettingsStore::GetLastFolder()),
        std::tuple(false, std::string(), m_default));
    SettingsStore::SetOpenFolder(true);
    SettingsStore::SetLastFolder("/x/");
    EXPECT_EQ(ReadText(m_path), content);
    EXPECT_EQ(Tree().size(), 3u) << "no temporary file left";
}

const std::string Good = "[SETTING_INFO]\nOPEN_FOLDER=TRUE\nLANGUAGE=X\n";
const std::string GoodUtf16 = Utf16Le(u"[SETTING_INFO]\r\nOPEN_FOLDER=TRUE\r\nLANGUAGE=X\r\n");

INSTANTIATE_TEST_SUITE_P(Cases, GarbageSettings,
    ::testing::ValuesIn(Pairs { { Good, std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) }, // NUL bytes
        { Good, "caf\xE9\x01\n" }, { GoodUtf16, "x" }, // 8-bit with a control character, odd length
        { GoodUtf16, std::string("\x00\xD8", 2) } })); // high surrogate at the end

// A FIFO in place of the settings file, of the folder list or of a language file is not opened for a read
// that waits for a writer: the settings read as defaults and are not written, and the
// language is not offered. Run in a child process that is killed if it hangs.
TEST_F(Settings, FifoIsNeitherWaitedOnNorReplaced)
{
    ASSERT_EQ(::mkfifo(m_path.c_str(), 0600), 0);
    fs::create_directory(m_home + "/.config");
    ASSERT_EQ(::mkfifo((m_home + "/.config/user-dirs.dirs").c_str(), 0600), 0);
    fs::create_directory(m_dir / "Language");
    ASSERT_EQ(::mkfifo((m_dir / "Language/fifo.ini").c_str(), 0600), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool defaults = SettingsStore::GetLastFolder() == m_default && SettingsStore::GetLanguage().empty();
        SettingsStore::SetOpenFolder(true);
        IniFile language(m_dir / "Language/fifo.ini");
        const bool noLanguage = language.ReadString("INFO", "Language", "none") == "none";
        ::_exit(defaults && noLanguage ? 0 : 1);
    }
    int status = -1;
    for (int i = 0; i < 1000 && ::waitpid(child, &status, WNOHANG) == 0; ++i)
        ::usleep(10000);
    if (::waitpid(child, &status, WNOHANG) == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "waited on the FIFO";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(fs::is_fifo(m_path)) << "the FIFO was replaced";
}

// Run from an empty folder, so anything made relative to the current directory shows.
// Rows: the path refused and the reason given for it.
TEST(CreateFolderPath, CreatesEveryLevelOfAbsolutePathsOnly)
{
    testpics::TempDir dir;
    testpics::WriteBytes(dir / "file", { 'x' });
    const fs::path previous = fs::current_path();
    fs::current_path(dir.Path());
    const std::string relative = "the folder name is not an absolute path";
    for (const auto& [path, reason] : Pairs { { "", "the folder name is empty" }, { "photos", relative },
             { "smb://server/share", relative }, { "/" + std::string(PATH_MAX, 'a'), "the folder name is too long" },
             { std::string("/tmp/a\0b", 8), relative }, { dir / "file", "not a folder" },
             { dir / "file/sub/deeper", "cannot create " + dir / "file/sub" + ": Not a directory" } }) {
        std::string error;
        EXPECT_FALSE(CreateFolderPath(path, &error)) << path;
        EXPECT_EQ(error, reason);
    }
    fs::current_path(previous);
    EXPECT_EQ(Entries(dir.Path()), 1);

    EXPECT_TRUE(CreateFolderPath(dir / "x/one/two/three/"));
    EXPECT_TRUE(fs::is_directory(dir.Path() / "x/one/two/three"));
}

} // namespace
