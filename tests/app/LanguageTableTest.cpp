#include "app/LanguageTable.h"

#include <filesystem>
#include <fstream>
#include <set>

#include <dirent.h>
#include <gtest/gtest.h>

#include "app/IniFile.h"
#include "app/SettingsStore.h"
#include "tests/app/TestHelpers.h"
#include "tests/support/TestPictures.h"

namespace fs = std::filesystem;

namespace {

// The name of the language and its STRING lines, as a file would hold them.
std::string LanguageFile(const std::string& name, const std::string& strings)
{
    return "[INFO]\nLanguage=" + name + "\n\n[STRING]\n" + strings;
}

class Languages : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(m_dir.Path() / "Language");
        SettingsStore::SetSettingsFilePath(m_dir / "settings.ini");
    }
    void TearDown() override { SettingsStore::SetSettingsFilePath(""); }

    void AddFile(const std::string& fileName, const std::string& content)
    {
        testpics::WriteBytes(m_dir / ("Language/" + fileName), { content.begin(), content.end() });
    }
    void SetLanguageSetting(const std::string& line)
    {
        const std::string text = "[SETTING_INFO]\n" + line + "\n";
        testpics::WriteBytes(m_dir / "settings.ini", { text.begin(), text.end() });
    }
    std::string SettingsText() const
    {
        const auto bytes = testpics::ReadBytes(m_dir / "settings.ini");
        return { bytes.begin(), bytes.end() };
    }

    testpics::TempDir m_dir;
    LanguageTable m_table { m_dir / "Language" };
};

TEST_F(Languages, EmptyBeforeLoading) { EXPECT_EQ(m_table.GetString("strSelectFolder"), ""); }

TEST_F(Languages, NoLanguageFolderGivesEnglish)
{
    LanguageTable table(m_dir / "nowhere");
    table.LoadLanguages();
    EXPECT_EQ(table.GetString("strSelectFolder"), "Select Destination Folder");
    EXPECT_FALSE(fs::exists(m_dir / "settings.ini"));
}

TEST_F(Languages, SettingSelectsFileAndIsWrittenAgain)
{
    AddFile("de.ini", LanguageFile("Deutsch", "strSelectFolder=Zielordner\n"));
    SetLanguageSetting("LANGUAGE =  Deutsch ");
    m_table.LoadLanguages();
    EXPECT_EQ(m_table.GetString("strSelectFolder"), "Zielordner");
    EXPECT_EQ(m_table.GetString("strOK"), "OK");
    EXPECT_EQ(m_table.GetCurrentFile(), m_dir / "Language/de.ini");
    EXPECT_EQ(SettingsText(), "[SETTING_INFO]\nLANGUAGE=Deutsch\n");
}

TEST_F(Languages, NameIsCaseSensitive)
{
    AddFile("en.ini", LanguageFile("English", "strSelectFolder=Pick a folder\n"));
    SetLanguageSetting("LANGUAGE=english");
    m_table.LoadLanguages();
    EXPECT_EQ(m_table.GetString("strSelectFolder"), "Select Destination Folder");
    EXPECT_EQ(m_table.GetCurrentFile(), "");
    EXPECT_EQ(SettingsText(), "[SETTING_INFO]\nLANGUAGE=english\n");
}

// Both files are applied in turn; the one listed later wins, and nothing of the earlier one stays.
TEST_F(Languages, SameNameTwiceLaterFileWins)
{
    AddFile("a.ini", LanguageFile("Dup", "strOK=A-OK\nstrCancel=A-Cancel\n"));
    AddFile("b.ini", LanguageFile("Dup", "strOK=B-OK\n"));
    SetLanguageSetting("LANGUAGE=Dup");
    m_table.LoadLanguages();

    std::string last;
    for (const auto& entry : fs::directory_iterator(m_dir.Path() / "Language"))
        last = entry.path().filename().string();
    ASSERT_FALSE(last.empty());
    const bool bLast = last == "b.ini";
    EXPECT_EQ(m_table.GetString("strOK"), bLast ? "B-OK" : "A-OK");
    EXPECT_EQ(m_table.GetString("strCancel"), bLast ? "Cancel" : "A-Cancel");
    EXPECT_EQ(m_table.GetCurrentFile(), m_dir / ("Language/" + last));
}

TEST_F(Languages, FilesWithoutNameOrNotIniAreSkipped)
{
    AddFile("noname.ini", "[INFO]\nLanguage=   \n[STRING]\nstrOK=x\n");
    AddFile("nosection.ini", "[STRING]\nstrOK=x\n");
    AddFile("other.txt", LanguageFile("Text", "strOK=x\n"));
    AddFile("UPPER.INI", LanguageFile("Upper", "strOK=Oben\n"));
    AddFile("garbage.ini", "[INFO]\nLanguage=Bin\xFF\n");
    fs::create_directory(m_dir.Path() / "Language/folder.ini");
    m_table.LoadLanguages();
    std::set<std::string> names;
    for (const auto& [name, path] : m_table.GetLanguages())
        names.insert(name);
    EXPECT_EQ(names, std::set<std::string> { "Upper" });
}

TEST_F(Languages, SelectingUnknownChangesNothing)
{
    AddFile("de.ini", LanguageFile("Deutsch", "strOK=Gut\n"));
    m_table.LoadLanguages();
    ASSERT_TRUE(m_table.SelectLanguage("Deutsch"));
    EXPECT_FALSE(m_table.SelectLanguage("Klingon"));
    EXPECT_EQ(m_table.GetString("strOK"), "Gut");
    EXPECT_EQ(SettingsStore::GetLanguage(), "Deutsch");
}

TEST_F(Languages, SwitchingLeavesNothingOfThePrevious)
{
    AddFile("a.ini", LanguageFile("A", "strOK=A-OK\nstrCancel=A-Cancel\n"));
    AddFile("b.ini", LanguageFile("B", "strOK=B-OK\n"));
    m_table.LoadLanguages();
    ASSERT_TRUE(m_table.SelectLanguage("A"));
    ASSERT_TRUE(m_table.SelectLanguage("B"));
    EXPECT_EQ(m_table.GetString("strOK"), "B-OK");
    EXPECT_EQ(m_table.GetString("strCancel"), "Cancel");
}

TEST_F(Languages, EmptyValuesAndUnknownKeys)
{
    AddFile("t.ini", LanguageFile("T", "strOK=\nstrCancel=    \nstrNotInTable=Hello\nstrLanguage=Sprache\n"));
    m_table.LoadLanguages();
    ASSERT_TRUE(m_table.SelectLanguage("T"));
    EXPECT_EQ(m_table.GetString("strOK"), "OK");
    EXPECT_EQ(m_table.GetString("strCancel"), "Cancel");
    EXPECT_EQ(m_table.GetString("strNotInTable"), "");
    EXPECT_EQ(m_table.GetString("strLanguage"), "Sprache");
}

TEST_F(Languages, Utf16AndUtf8BomFiles)
{
    AddFile("el.ini",
        Utf16Le(u"[INFO]\r\nLanguage=\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC\r\n[STRING]\r\n"
                u"strOK=\u0395\u03BD\u03C4\u03AC\u03BE\u03B5\u03B9\r\n"));
    AddFile("fr.ini",
        "\xEF\xBB\xBF"
            + LanguageFile("Fran\xC3\xA7"
                           "ais",
                "strCancel=Annuler\n"));
    m_table.LoadLanguages();
    ASSERT_TRUE(m_table.SelectLanguage("\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC"));
    EXPECT_EQ(m_table.GetString("strOK"), "\xCE\x95\xCE\xBD\xCF\x84\xCE\xAC\xCE\xBE\xCE\xB5\xCE\xB9");
    ASSERT_TRUE(m_table.SelectLanguage("Fran\xC3\xA7"
                                       "ais"));
    EXPECT_EQ(m_table.GetString("strCancel"), "Annuler");
}

struct EscapeCase {
    const char* name;
    const char* fileValue;
    const char* text;
};

class Escapes : public Languages, public ::testing::WithParamInterface<EscapeCase> { };

TEST_P(Escapes, ApplyAfterTrimming)
{
    AddFile("t.ini", LanguageFile("T", std::string("strOK=") + GetParam().fileValue + "\n"));
    m_table.LoadLanguages();
    ASSERT_TRUE(m_table.SelectLanguage("T"));
    EXPECT_EQ(m_table.GetString("strOK"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, Escapes,
    ::testing::Values(EscapeCase { "LineFeed", "Line one\\nLine two", "Line one\nLine two" },
        EscapeCase { "CarriageReturnLineFeed", "a\\r\\nb", "a\r\nb" },
        EscapeCase { "DoubledBackslashConsumed", "D:\\\\Temp", "D:Temp" },
        EscapeCase { "OtherCharacterKept", "\\q\\\"x\\\"", "q\"x\"" },
        EscapeCase { "TrailingBackslashKept", "ends here\\", "ends here\\" },
        EscapeCase { "TrailingAfterTrim", "  ends here\\   ", "ends here\\" },
        EscapeCase { "DoubledBeforeN", "a\\\\nb", "a\nb" }, EscapeCase { "FourBackslashes", "a\\\\\\\\b", "ab" },
        EscapeCase { "OnlyBackslashes", "\\\\\\", "\\" }),
    CaseName());

// The shipped files: every key is one of the table's, the looked-up texts are translated,
// and the folder's halves of the invalid-folder message still quote the path.
TEST(ShippedLanguages, AreCompleteAndSelectable)
{
    std::set<std::string> builtInKeys;
    for (const auto& [key, text] : LanguageTable::BuiltInTexts())
        builtInKeys.insert(key);
    testpics::TempDir dir;
    SettingsStore::SetSettingsFilePath(dir / "settings.ini");
    LanguageTable table(KESTROVA_LANGUAGE_DIR);
    table.LoadLanguages();
    ASSERT_GE(table.GetLanguages().size(), 2u);

    for (const auto& [name, path] : table.GetLanguages()) {
        SCOPED_TRACE(path);
        std::ifstream in(path);
        std::string line;
        bool inStrings = false;
        while (std::getline(in, line)) {
            line = TrimBlanks(line);
            if (line.starts_with("[")) {
                inStrings = line == "[STRING]";
            } else if (inStrings && line.find('=') != std::string::npos) {
                EXPECT_TRUE(builtInKeys.count(TrimBlanks(line.substr(0, line.find('='))))) << line;
            }
        }
        ASSERT_TRUE(table.SelectLanguage(name));
        for (const char* key : { "strSelectFolder", "strMsgInvalidFolder1", "strMsgInvalidFolder2" }) {
            const auto english = std::find_if(LanguageTable::BuiltInTexts().begin(),
                LanguageTable::BuiltInTexts().end(), [&](const auto& entry) { return entry.first == key; });
            EXPECT_NE(table.GetString(key), english->second) << key;
        }
        EXPECT_TRUE(table.GetString("strMsgInvalidFolder1").ends_with(" \""));
        EXPECT_TRUE(table.GetString("strMsgInvalidFolder2").starts_with("\", "));
    }
    SettingsStore::SetSettingsFilePath("");
}

} // namespace
