#pragma once

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "settings/SettingsStore.h"
#include "tests/support/TestPictures.h"

// Rows of the parameterised tables.
using Pairs = std::vector<std::pair<std::string, std::string>>;
using Triples = std::vector<std::tuple<std::string, std::string, std::string>>;

using testpics::ReadText, testpics::WriteText;

// The bytes of a UTF-16LE file with its byte-order mark (characters of the BMP).
inline std::string Utf16Le(const std::u16string& text)
{
    std::string out = "\xFF\xFE";
    for (char16_t c : text)
        out += std::string { static_cast<char>(c & 0xFF), static_cast<char>(c >> 8) };
    return out;
}

inline long Entries(const std::filesystem::path& folder)
{
    return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
}

// The output options part of the stored panel, the rest of it as it was.
inline void SetStoredOutputOptions(const OutputOptions& options)
{
    PanelOptions all = SettingsStore::GetPanelOptions();
    all.options = options;
    SettingsStore::SetPanelOptions(all);
}

// A settings file in a fresh folder, and HOME there too. Every settings test sets HOME and XDG_CONFIG_HOME
// itself, and no other test of this program reads them, so they are not put back afterwards.
class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(m_home);
        ::setenv("HOME", m_home.c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        SettingsStore::SetSettingsFilePath(m_path);
    }
    void TearDown() override { SettingsStore::SetSettingsFilePath(""); }
    std::set<std::filesystem::path> Tree() const
    {
        return { std::filesystem::recursive_directory_iterator(m_dir.Path()), {} };
    }

    testpics::TempDir m_dir;
    const std::string m_home = m_dir / "home";
    const std::string m_path = m_dir / "settings.ini";
    const std::string m_default = m_home + "/Da Varozez Evozer";
};
