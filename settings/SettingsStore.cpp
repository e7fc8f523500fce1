#include "settings/SettingsStore.h"

#include <cstdlib>
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

OutputOptions GetOutputOptions()
{
    OutputOptions o;
    o.doNotEnlarge = ReadBool(Section, KeyDoNotEnlarge, "FALSE");
    o.keepAlpha = ReadBool(Section, KeyKeepAlpha, "FALSE");
    o.lossless = ReadBool(Section, KeyLossless, "FALSE");
    o.shrinkToFit = ReadBool(Section, KeyShrinkToFit, "FALSE");
    const std::string q = ReadString(Section, KeyMinQuality, "1");
    char* end = nullptr;
    const long v = std::strtol(q.c_str(), &end, 10);
    o.minQuality = end != q.c_str() && *end == '\0' && v >= 1 && v <= 100 ? static_cast<std::int32_t>(v) : 1;
    return o;
}

void SetOutputOptions(const OutputOptions& o)
{
    WriteBool(Section, KeyDoNotEnlarge, o.doNotEnlarge);
    WriteBool(Section, KeyKeepAlpha, o.keepAlpha);
    WriteBool(Section, KeyLossless, o.lossless);
    WriteBool(Section, KeyShrinkToFit, o.shrinkToFit);
    WriteString(Section, KeyMinQuality, std::to_string(o.minQuality));
}

} // namespace SettingsStore
