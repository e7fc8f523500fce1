#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "imaging/ResizeSettings.h"
#include "settings/PanelOptions.h"

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
// The option panel's choices, one key per field (see PanelOptions.h for the words).
inline constexpr const char* OptionsSection = "OPTIONS";
// Each preset is a section of its own: "[PRESET:web]", holding the same keys as OPTIONS.
inline constexpr const char* PresetSectionPrefix = "PRESET:";
inline constexpr std::size_t MaxPresetNameLength = 64;
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

// The panel's choices as last stored. Each key OPTIONS lacks is read from where the previous
// version kept it (DO_NOT_ENLARGE ... MIN_QUALITY in SETTING_INFO), else it is the default; a key
// that cannot be read is the default. Writing keeps the other keys of the file.
PanelOptions GetPanelOptions();
void SetPanelOptions(const PanelOptions& options);

// Named presets. Names are trimmed and compared without regard to ASCII case, so saving "Web"
// replaces "web". Empty when the name can be a preset's, else why it cannot.
std::string CheckPresetName(std::string_view name);
// The stored names, sorted without regard to case.
std::vector<std::string> GetPresetNames();
// Stores the options under the name, replacing a preset of that name.
bool SavePreset(std::string_view name, const PanelOptions& options, std::string& error);
// A missing key reads as its default. A preset that is missing, or whose value names a mode or format
// this version does not know or is not readable, is refused with a message; out is then untouched.
bool LoadPreset(std::string_view name, PanelOptions& out, std::string& error);
// False when there is no preset of that name or the file cannot be written.
bool DeletePreset(std::string_view name);

} // namespace SettingsStore
