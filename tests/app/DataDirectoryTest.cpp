#include "app/DataDirectory.h"

#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "app/SettingsStore.h"
#include "tests/app/TestHelpers.h"
#include "tests/app/ScopedEnv.h"
#include "tests/support/TestPictures.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> Tree(const fs::path& root)
{
    std::set<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        paths.insert(entry.path().string());
    return paths;
}

class DataDirectory : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_env.Set("HOME", m_dir / "home");
        m_env.Set("XDG_CONFIG_HOME", std::nullopt);
        fs::create_directory(m_dir.Path() / "home");
    }
    void TearDown() override { SettingsStore::SetSettingsFilePath(""); }

    testpics::TempDir m_dir;
    ScopedEnv m_env;
};

TEST_F(DataDirectory, FirstRunCreatesFolderSecondCreatesNothing)
{
    m_env.Set("XDG_CONFIG_HOME", m_dir / "fresh/config");
    const std::string expected = m_dir / "fresh/config/Lumisk Studio Data";

    ASSERT_EQ(PrepareDataDirectory(), DataDirectoryResult::Ready);
    EXPECT_TRUE(fs::is_directory(expected));
    EXPECT_EQ(GetDataDirectory(), expected);
    EXPECT_EQ(SettingsStore::GetSettingsFilePath(), expected + "/settings.ini");

    const auto before = Tree(m_dir.Path());
    ASSERT_EQ(PrepareDataDirectory(), DataDirectoryResult::Ready);
    EXPECT_EQ(Tree(m_dir.Path()), before);
    EXPECT_FALSE(fs::exists(expected + "/settings.ini"));
}

// /proc refuses new folders even to root, and reports the missing one as missing.
TEST_F(DataDirectory, UncreatableFolderLeavesSettingsPathEmpty)
{
    SettingsStore::SetSettingsFilePath(m_dir / "settings.ini");
    m_env.Set("XDG_CONFIG_HOME", "/proc/kestrova-no-such-folder/config");
    EXPECT_EQ(PrepareDataDirectory(), DataDirectoryResult::CannotCreate);
    EXPECT_EQ(SettingsStore::GetSettingsFilePath(), "");
    EXPECT_FALSE(SettingsStore::GetOpenFolder());
}

struct ConfigCase {
    const char* name;
    std::optional<std::string> xdgConfigHome; // "@" stands for the test folder
    std::string expected; // relative to the test folder
};

class ConfigFolder : public DataDirectory, public ::testing::WithParamInterface<ConfigCase> { };

TEST_P(ConfigFolder, FollowsXdgRules)
{
    auto value = GetParam().xdgConfigHome;
    if (value && value->starts_with("@"))
        value = m_dir.Path().string() + value->substr(1);
    m_env.Set("XDG_CONFIG_HOME", value);
    EXPECT_EQ(GetUserConfigFolder(), m_dir.Path().string() + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigFolder,
    ::testing::Values(ConfigCase { "Unset", std::nullopt, "/home/.config" },
        ConfigCase { "Empty", "", "/home/.config" }, ConfigCase { "RelativeIgnored", "cfg", "/home/.config" },
        ConfigCase { "Absolute", "@/cfg", "/cfg" }, ConfigCase { "TrailingSlashDropped", "@/cfg//", "/cfg" }),
    CaseName());

struct DocumentsCase {
    const char* name;
    std::optional<std::string> userDirs; // content of user-dirs.dirs, or no file
    std::string expected; // relative to the home folder
};

class DocumentsFolder : public DataDirectory, public ::testing::WithParamInterface<DocumentsCase> { };

TEST_P(DocumentsFolder, ReadsUserDirs)
{
    const std::string home = m_dir / "home";
    fs::create_directories(home + "/.config");
    if (GetParam().userDirs) {
        std::string content = *GetParam().userDirs;
        for (std::size_t at = content.find('@'); at != std::string::npos; at = content.find('@'))
            content.replace(at, 1, m_dir.Path().string());
        testpics::WriteBytes(home + "/.config/user-dirs.dirs", { content.begin(), content.end() });
    }
    std::string expected = GetParam().expected;
    if (expected.starts_with("@"))
        expected = m_dir.Path().string() + expected.substr(1);
    else
        expected = home + expected;
    EXPECT_EQ(GetDocumentsFolder(), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, DocumentsFolder,
    ::testing::Values(DocumentsCase { "NoFile", std::nullopt, "" },
        DocumentsCase { "HomeRelative",
            "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "/Dokumente" },
        DocumentsCase { "Absolute", "XDG_DOCUMENTS_DIR=\"@/docs/\"\n", "@/docs" },
        DocumentsCase { "JustHome", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n", "" },
        DocumentsCase { "CommentedOut", "#XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", "" },
        DocumentsCase { "RelativeIgnored", "XDG_DOCUMENTS_DIR=\"Docs\"\n", "" },
        DocumentsCase { "UnclosedQuoteIgnored", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\n", "" },
        DocumentsCase { "EscapedQuote", "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n", "/My \"Docs\"" },
        DocumentsCase { "LastAssignmentWins", "XDG_DOCUMENTS_DIR=\"$HOME/A\"\nXDG_DOCUMENTS_DIR=\"$HOME/B\"\n", "/B" }),
    CaseName());

} // namespace
