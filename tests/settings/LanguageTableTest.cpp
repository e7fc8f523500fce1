#include "settings/LanguageTable.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "settings/SettingsStore.h"
#include "tests/settings/TestHelpers.h"

namespace fs = std::filesystem;

namespace {

class Languages : public Settings {
protected:
    void SetUp() override
    {
        Settings::SetUp();
        fs::create_directory(m_dir.Path() / "Language");
    }
    // A language file with its name and STRING lines.
    void AddFile(const std::string& fileName, const std::string& name, const std::string& strings)
    {
        WriteText(m_dir / ("Language/" + fileName), "[INFO]\nLanguage=" + name + "\n\n[STRING]\n" + strings);
    }

    LanguageTable m_table { m_dir / "Language" };
};

// The stored name selects the file of exactly that name, and selecting stores it again.
TEST_F(Languages, StoredNameSelectsCaseSensitively)
{
    AddFile("de.ini", "Deutsch", "strSelectFolder=Zielordner\n");
    WriteText(m_path, "[SETTING_INFO]\nLANGUAGE=deutsch\n");
    m_table.LoadLanguages();
    EXPECT_EQ(m_table.GetString("strSelectFolder"), "Select Destination Folder");
    EXPECT_EQ(ReadText(m_path), "[SETTING_INFO]\nLANGUAGE=deutsch\n");
    WriteText(m_path, "[SETTING_INFO]\nLANGUAGE =  Deutsch \n");
    m_table.LoadLanguages();
    EXPECT_EQ(m_table.GetString("strSelectFolder"), "Zielordner");
    EXPECT_EQ(ReadText(m_path), "[SETTING_INFO]\nLANGUAGE=Deutsch\n");
}

// Files of the same name are applied in turn, so the one listed later wins; switching to another
// language leaves nothing of the previous one, and an unknown name changes nothing.
TEST_F(Languages, SameNameTwiceLaterFileWinsAndSwitchingStartsAfresh)
{
    AddFile("a.ini", "Dup", "strOK=A-OK\nstrCancel=A-Cancel\n");
    AddFile("b.ini", "Dup", "strOK=B-OK\n");
    WriteText(
        m_dir / "Language/el.ini", Utf16Le(u"[INFO]\r\nLanguage=\u0395\u03BB\r\n[STRING]\r\nstrOK=\u0395\u03BD\r\n"));
    WriteText(m_path, "[SETTING_INFO]\nLANGUAGE=Dup\n");
    m_table.LoadLanguages();
    std::string last;
    for (const auto& entry : fs::directory_iterator(m_dir.Path() / "Language"))
        last = entry.path().filename() == "el.ini" ? last : entry.path().filename().string();
    EXPECT_EQ(
        m_table.GetString("strOK") + m_table.GetString("strCancel"), last == "b.ini" ? "B-OKCancel" : "A-OKA-Cancel");
    ASSERT_TRUE(m_table.SelectLanguage("\xCE\x95\xCE\xBB")); // from a UTF-16 file
    EXPECT_FALSE(m_table.SelectLanguage("Klingon"));
    EXPECT_EQ(m_table.GetString("strOK"), "\xCE\x95\xCE\xBD");
    EXPECT_EQ(m_table.GetString("strCancel"), "Cancel");
    EXPECT_EQ(SettingsStore::GetLanguage(), "\xCE\x95\xCE\xBB");
}

TEST_F(Languages, NoFolderGivesEnglishAndOnlyNamedIniFilesCount)
{
    LanguageTable nowhere(m_dir / "nowhere");
    nowhere.LoadLanguages();
    EXPECT_EQ(nowhere.GetString("strSelectFolder"), "Select Destination Folder");
    EXPECT_FALSE(fs::exists(m_path));
    WriteText(m_dir / "Language/noname.ini", "[INFO]\nLanguage=   \n[STRING]\nstrOK=x\n");
    AddFile("other.txt", "Text", "strOK=x\n");
    AddFile("UPPER.INI", "Upper", "strOK=Oben\n");
    fs::create_directory(m_dir.Path() / "Language/folder.ini");
    m_table.LoadLanguages();
    ASSERT_EQ(m_table.GetLanguages().size(), 1u);
    EXPECT_EQ(m_table.GetLanguages().begin()->first, "Upper");
}

// Rows: a STRING line, the key looked up and the text it gives.
class LanguageText : public Languages, public ::testing::WithParamInterface<Triples::value_type> { };

TEST_P(LanguageText, IsTrimmedThenUnescaped)
{
    const auto& [line, key, text] = GetParam();
    AddFile("t.ini", "T", line + "\n");
    m_table.LoadLanguages();
    ASSERT_TRUE(m_table.SelectLanguage("T"));
    EXPECT_EQ(m_table.GetString(key), text);
}

INSTANTIATE_TEST_SUITE_P(Cases, LanguageText,
    ::testing::ValuesIn(Triples { { "strOK=", "strOK", "OK" }, // empty: the English text stays
        { "strNotInTable=Hello", "strNotInTable", "" }, { "strOK=Line one\\nLine two", "strOK", "Line one\nLine two" },
        { "strOK=a\\r\\nb", "strOK", "a\r\nb" }, { "strOK=D:\\\\Temp", "strOK", "D:Temp" },
        { "strOK=a\\\\nb", "strOK", "a\nb" }, { "strOK=  ends here\\   ", "strOK", "ends here\\" },
        { "strOK=\x93"
          "D'accord\x94 \x80 \xE9"
          "t\xE9",
            "strOK", "\u201CD'accord\u201D \u20AC \u00E9t\u00E9" } })); // Windows-1252

// The shipped files are translated, and the halves of the invalid-folder message still quote the path.
TEST(ShippedLanguages, AreSelectableAndQuoteTheFolder)
{
    LanguageTable table(KESTROVA_LANGUAGE_DIR); // with no settings file, selecting stores nothing
    table.LoadLanguages();
    ASSERT_GE(table.GetLanguages().size(), 3u);
    for (const auto& [name, path] : table.GetLanguages()) {
        ASSERT_TRUE(table.SelectLanguage(name));
        EXPECT_NE(table.GetString("strSelectFolder"), "Select Destination Folder") << path;
        EXPECT_TRUE(table.GetString("strMsgInvalidFolder1").ends_with(" \"")
            && table.GetString("strMsgInvalidFolder2").starts_with("\", "))
            << path;
    }
}

} // namespace
