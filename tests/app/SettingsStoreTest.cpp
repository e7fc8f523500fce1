#include "app/SettingsStore.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/app/TestHelpers.h"
#include "tests/app/ScopedEnv.h"
#include "tests/support/TestPictures.h"

namespace fs = std::filesystem;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home = m_dir / "home";
        fs::create_directory(m_home);
        m_env.Set("HOME", m_home);
        m_env.Set("XDG_CONFIG_HOME", std::nullopt);
        m_path = m_dir / "settings.ini";
        SettingsStore::SetSettingsFilePath(m_path);
    }
    void TearDown() override { SettingsStore::SetSettingsFilePath(""); }

    void WriteSettings(const std::string& text) { testpics::WriteBytes(m_path, { text.begin(), text.end() }); }
    std::string FileText() const
    {
        const auto bytes = testpics::ReadBytes(m_path);
        return { bytes.begin(), bytes.end() };
    }

    testpics::TempDir m_dir;
    ScopedEnv m_env;
    std::string m_home;
    std::string m_path;
};

TEST_F(Settings, DefaultsWithoutFileLeaveItAbsent)
{
    EXPECT_EQ(SettingsStore::GetLastFolder(), m_home + "/Da Varozez Evozer");
    EXPECT_TRUE(fs::is_directory(m_home + "/Da Varozez Evozer"));
    EXPECT_EQ(SettingsStore::GetLanguage(), "");
    EXPECT_FALSE(SettingsStore::GetOpenFolder());
    EXPECT_FALSE(fs::exists(m_path));
}

TEST_F(Settings, BlankLastFolderGivesDefaultNeverStored)
{
    WriteSettings("[SETTING_INFO]\nLAST_FOLDER=    \t\n");
    EXPECT_EQ(SettingsStore::GetLastFolder(), m_home + "/Da Varozez Evozer");
    EXPECT_EQ(FileText(), "[SETTING_INFO]\nLAST_FOLDER=    \t\n");
}

TEST_F(Settings, StoredFolderReturnedAsIsAndNotCreated)
{
    const std::string gone = m_dir / "gone/away/";
    WriteSettings("[SETTING_INFO]\nLAST_FOLDER= " + gone + " \n");
    EXPECT_EQ(SettingsStore::GetLastFolder(), gone);
    EXPECT_FALSE(fs::exists(m_dir / "gone"));
    EXPECT_FALSE(fs::exists(m_home + "/Da Varozez Evozer"));
}

// The default folder is made one level deep: a documents folder that is missing is not invented.
TEST_F(Settings, DefaultFolderUnderDocumentsOneLevelOnly)
{
    fs::create_directories(m_home + "/.config");
    const std::string dirs = "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
    testpics::WriteBytes(m_home + "/.config/user-dirs.dirs", { dirs.begin(), dirs.end() });

    EXPECT_EQ(SettingsStore::GetLastFolder(), m_home + "/Dokumente/Da Varozez Evozer");
    EXPECT_FALSE(fs::exists(m_home + "/Dokumente"));

    fs::create_directory(m_home + "/Dokumente");
    EXPECT_EQ(SettingsStore::GetLastFolder(), m_home + "/Dokumente/Da Varozez Evozer");
    EXPECT_TRUE(fs::is_directory(m_home + "/Dokumente/Da Varozez Evozer"));
}

struct BoolCase {
    const char* name;
    std::string line;
    bool expected;
};

class OpenFolderValue : public Settings, public ::testing::WithParamInterface<BoolCase> { };

TEST_P(OpenFolderValue, OnlyExactTrueCounts)
{
    WriteSettings("[SETTING_INFO]\n" + GetParam().line + "\n");
    EXPECT_EQ(SettingsStore::GetOpenFolder(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, OpenFolderValue,
    ::testing::Values(BoolCase { "Upper", "OPEN_FOLDER=TRUE", true },
        BoolCase { "UpperWithBlanks", "open_folder =  TRUE  ", true }, BoolCase { "Lower", "OPEN_FOLDER=true", false },
        BoolCase { "Mixed", "OPEN_FOLDER=True", false }, BoolCase { "One", "OPEN_FOLDER=1", false },
        BoolCase { "Yes", "OPEN_FOLDER=yes", false }, BoolCase { "Longer", "OPEN_FOLDER=TRUEISH", false },
        BoolCase { "Empty", "OPEN_FOLDER=", false }, BoolCase { "Absent", "LANGUAGE=TRUE", false }),
    CaseName());

TEST_F(Settings, WriteOfOneKeyKeepsTheRest)
{
    const std::string before = "; kept\n[SETTING_INFO]\nLANGUAGE=Deutsch\nOPEN_FOLDER=FALSE\n\n[OTHER]\nX=1\n";
    WriteSettings(before);
    SettingsStore::SetOpenFolder(true);
    SettingsStore::SetLastFolder("/pictures/out/");
    EXPECT_TRUE(SettingsStore::GetOpenFolder());
    EXPECT_EQ(SettingsStore::GetLastFolder(), "/pictures/out/");
    EXPECT_EQ(SettingsStore::GetLanguage(), "Deutsch");
    EXPECT_EQ(FileText(),
        "; kept\n[SETTING_INFO]\nLANGUAGE=Deutsch\nOPEN_FOLDER=TRUE\nLAST_FOLDER=/pictures/out/\n\n[OTHER]\nX=1\n");
    SettingsStore::SetOpenFolder(false);
    EXPECT_FALSE(SettingsStore::GetOpenFolder());
}

TEST_F(Settings, FirstWriteCreatesFile)
{
    SettingsStore::SetLanguage("Deutsch");
    EXPECT_EQ(FileText(), "[SETTING_INFO]\nLANGUAGE=Deutsch\n");
}

struct GarbageCase {
    const char* name;
    std::string content;
};

class GarbageSettings : public Settings, public ::testing::WithParamInterface<GarbageCase> { };

TEST_P(GarbageSettings, ReadAsDefaultsAndSurviveWrites)
{
    WriteSettings(GetParam().content);
    EXPECT_EQ(SettingsStore::GetLastFolder(), m_home + "/Da Varozez Evozer");
    EXPECT_FALSE(SettingsStore::GetOpenFolder());
    EXPECT_EQ(SettingsStore::GetLanguage(), "");
    SettingsStore::SetOpenFolder(true);
    SettingsStore::SetLastFolder("/x/");
    EXPECT_EQ(FileText(), GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(Cases, GarbageSettings,
    ::testing::Values(GarbageCase { "Binary", std::string("\x00\x01\x02\xFF\xFE\xFD garbage \x80\x81", 17) },
        GarbageCase { "Latin1",
            "[SETTING_INFO]\nLANGUAGE=Fran\xE7"
            "ais\nOPEN_FOLDER=TRUE\n" },
        GarbageCase { "BrokenUtf16", std::string("\xFF\xFE\x00\xDC", 4) }),
    CaseName());

TEST_F(Settings, UnreadableFileIsKept)
{
    fs::create_directory(m_path);
    fs::create_directory(m_path + "/inside");
    SettingsStore::SetOpenFolder(true);
    EXPECT_FALSE(SettingsStore::GetOpenFolder());
    EXPECT_TRUE(fs::is_directory(m_path + "/inside"));
}

TEST_F(Settings, NoSettingsPathGivesDefaultsAndWritesNothing)
{
    SettingsStore::SetSettingsFilePath("");
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir.Path());
    SettingsStore::SetOpenFolder(true);
    SettingsStore::SetLanguage("Deutsch");
    const bool open = SettingsStore::GetOpenFolder();
    const std::string language = SettingsStore::GetLanguage();
    fs::current_path(previous);
    EXPECT_FALSE(open);
    EXPECT_EQ(language, "");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.Path()), fs::directory_iterator()), 1) << "only home/";
}

} // namespace
