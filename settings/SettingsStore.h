#pragma once

#include <string>
#include <string_view>

#include "imaging/ResizeSettings.h"

// The few choices that outlive a run, kept in settings.ini in the data folder. There is
// no copy in memory: every call goes to the file, so a value written is seen by the next
// read and nothing needs saving at exit. No call reports a failure; a missing file, key
// or settings path reads as the default. Interface thread only.
namespace SettingsStore {

inline constexpr const char* Section = "SETTING_INFO";
inline constexpr const char* KeyLastFolder = "LAST_FOLDER";
inline constexpr const char* KeyLanguage = "LANGUAGE";
inline constexpr const char* KeyOpenFolder = "OPEN_FOLDER";
// The folder Add Folder chose last, where its chooser opens next time.
inline constexpr const char* KeyAddFolder = "ADD_FOLDER";
// The options beside the classic ones, each under its own key.
inline constexpr const char* KeyDoNotEnlarge = "DO_NOT_ENLARGE";
inline constexpr const char* KeyKeepAlpha = "KEEP_TRANSPARENCY";
inline constexpr const char* KeyLossless = "LOSSLESS";
inline constexpr const char* KeyShrinkToFit = "SHRINK_TO_FIT";
inline constexpr const char* KeyMinQuality = "MIN_QUALITY";
// Name of the folder offered when no output folder has been used yet.
inline constexpr const char* DefaultFolderName = "Da Varozez Evozer";

// Set once by PrepareDataDirectory. While empty, reads give defaults and writes go nowhere.
void SetSettingsFilePath(std::string path);
const std::string& GetSettingsFilePath();

std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue);
bool WriteString(std::string_view section, std::string_view key, std::string_view value);
// True only for the exact text "TRUE" after trimming.
bool ReadBool(std::string_view section, std::string_view key, std::string_view defaultValue);
void WriteBool(std::string_view section, std::string_view key, bool value);

// The stored output folder; when there is none, the documents folder (else the home
// folder) + "/Da Varozez Evozer", made one level deep if missing and never stored.
std::string GetLastFolder();
void SetLastFolder(std::string_view folder);
std::string GetLanguage();
void SetLanguage(std::string_view name);
bool GetOpenFolder();
void SetOpenFolder(bool open);
// Missing or unreadable keys read as the defaults (all off, lowest quality 1).
OutputOptions GetOutputOptions();
void SetOutputOptions(const OutputOptions& options);

} // namespace SettingsStore
