#include "settings/SettingsStore.h"

#include <sys/stat.h>

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

} // namespace SettingsStore
