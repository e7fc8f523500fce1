#include "settings/SettingsStore.h"

#include <algorithm>
#include <cstdlib>
#include <glib.h>
#include <sys/stat.h>

#include "files/PathUtil.h"
#include "settings/DataDirectory.h"
#include "settings/IniFile.h"

namespace SettingsStore {

namespace {

std::string g_settingsFilePath;

} // namespace

void SetSettingsFilePath(std::string path) { g_settingsFilePath = std::move(path); }

const std::string& GetSettingsFilePath() { return g_settingsFilePath; }

std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue)
{
    return IniFile(g_settingsFilePath).ReadString(section, key, defaultValue);
}

bool WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    return IniFile(g_settingsFilePath).WriteString(section, key, value);
}

bool ReadBool(std::string_view section, std::string_view key, std::string_view defaultValue)
{
    return ReadString(section, key, defaultValue) == "TRUE";
}

void WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "TRUE" : "FALSE");
}

std::string GetLastFolder()
{
    std::string folder = ReadString(Section, KeyLastFolder, "");
    if (!folder.empty())
        return folder;
    const auto base = GetDocumentsFolder();
    folder = (base ? *base : std::string()) + "/" + DefaultFolderName;
    struct stat st { };
    // One level only: a missing documents folder is not invented here.
    if (::lstat(folder.c_str(), &st) != 0)
        ::mkdir(folder.c_str(), 0777);
    return folder;
}

void SetLastFolder(std::string_view folder) { WriteString(Section, KeyLastFolder, folder); }

std::string GetLanguage() { return ReadString(Section, KeyLanguage, ""); }

void SetLanguage(std::string_view name) { WriteString(Section, KeyLanguage, name); }

bool GetOpenFolder() { return ReadBool(Section, KeyOpenFolder, "FALSE"); }

void SetOpenFolder(bool open) { WriteBool(Section, KeyOpenFolder, open); }

PanelOptions GetPanelOptions()
{
    const IniFile file(g_settingsFilePath);
    PanelOptionsEntries entries = file.ReadSection(OptionsSection);
    // After the new section's keys, so those win where both are written.
    for (auto& entry : file.ReadSection(Section))
        for (const char* key : { KeyDoNotEnlarge, KeyKeepAlpha, KeyLossless, KeyShrinkToFit, KeyMinQuality })
            if (ToLowerAscii(entry.first) == ToLowerAscii(key))
                entries.push_back(entry);
    PanelOptions options;
    ReadPanelOptionsEntries(entries, options); // each unreadable key stays at its default
    return options;
}

void SetPanelOptions(const PanelOptions& options)
{
    IniFile(g_settingsFilePath).WriteSection(OptionsSection, WritePanelOptionsEntries(options));
}

namespace {

std::string PresetSection(std::string_view name) { return PresetSectionPrefix + TrimBlanks(name); }

bool SectionExists(const std::string& section)
{
    const auto names = IniFile(g_settingsFilePath).ReadSectionNames();
    return std::ranges::any_of(names, [&](const std::string& n) { return ToLowerAscii(n) == ToLowerAscii(section); });
}

} // namespace

std::string CheckPresetName(std::string_view name)
{
    const std::string trimmed = TrimBlanks(name);
    if (trimmed.empty())
        return "a preset needs a name";
    if (!g_utf8_validate_len(trimmed.data(), trimmed.size(), nullptr))
        return "a preset's name must be UTF-8 text";
    if (g_utf8_strlen(trimmed.data(), static_cast<gssize>(trimmed.size())) > static_cast<glong>(MaxPresetNameLength))
        return "a preset's name has at most " + std::to_string(MaxPresetNameLength) + " characters";
    for (const char* p = trimmed.c_str(); *p != '\0'; p = g_utf8_next_char(p))
        if (g_unichar_iscntrl(g_utf8_get_char(p)))
            return "a preset's name cannot hold control characters";
    // The section header ends at the first ']'.
    if (trimmed.find(']') != std::string::npos)
        return "a preset's name cannot hold ']'";
    return {};
}

std::vector<std::string> GetPresetNames()
{
    std::vector<std::string> names;
    const std::string prefix = ToLowerAscii(PresetSectionPrefix);
    for (const std::string& section : IniFile(g_settingsFilePath).ReadSectionNames()) {
        if (!ToLowerAscii(section).starts_with(prefix))
            continue;
        std::string name = TrimBlanks(std::string_view(section).substr(prefix.size()));
        if (CheckPresetName(name).empty())
            names.push_back(std::move(name));
    }
    std::ranges::sort(names, [](const std::string& a, const std::string& b) {
        return std::pair(ToLowerAscii(a), a) < std::pair(ToLowerAscii(b), b);
    });
    return names;
}

bool SavePreset(std::string_view name, const PanelOptions& options, std::string& error)
{
    error = CheckPresetName(name);
    if (!error.empty())
        return false;
    if (g_settingsFilePath.empty()) {
        error = "there is no settings file to keep presets in";
        return false;
    }
    if (!IniFile(g_settingsFilePath).WriteSection(PresetSection(name), WritePanelOptionsEntries(options), true)) {
        error = "the settings file " + g_settingsFilePath + " could not be written";
        return false;
    }
    return true;
}

bool LoadPreset(std::string_view name, PanelOptions& out, std::string& error)
{
    const std::string section = PresetSection(name);
    if (!CheckPresetName(name).empty() || !SectionExists(section)) {
        std::string names;
        for (const std::string& n : GetPresetNames())
            names += (names.empty() ? "" : ", ") + n;
        error = "no preset named " + TrimBlanks(name) + " (presets: " + (names.empty() ? "none" : names) + ")";
        return false;
    }
    PanelOptions read;
    const auto problems = ReadPanelOptionsEntries(IniFile(g_settingsFilePath).ReadSection(section), read);
    if (!problems.empty()) {
        error = "preset " + TrimBlanks(name) + ":";
        for (const PanelOptionsProblem& p : problems)
            error += (&p == &problems.front() ? " " : "; ") + p.key + "=" + p.value + " is not " + p.expected;
        return false;
    }
    out = read;
    return true;
}

bool DeletePreset(std::string_view name)
{
    const std::string section = PresetSection(name);
    return CheckPresetName(name).empty() && SectionExists(section)
        && IniFile(g_settingsFilePath).WriteSection(section, {}, true);
}

} // namespace SettingsStore
