#pragma once

#include <optional>
#include <string>

// Where the program keeps its per-user files, resolved the XDG way without any GUI
// library, so the window and the command-line converter agree on every folder.
// Called on the interface thread (or the converter's only thread).

// The user's home folder: $HOME, else the password database; nullopt when neither
// gives an absolute path.
std::optional<std::string> GetHomeFolder();

// $XDG_CONFIG_HOME when it is an absolute path, else the home folder + "/.config".
std::optional<std::string> GetUserConfigFolder();

// XDG_DOCUMENTS_DIR from the user's user-dirs.dirs, else the home folder.
std::optional<std::string> GetDocumentsFolder();

enum class DataDirectoryResult {
    Ready,         // the folder exists (or could not be checked) and the settings path is set
    CannotResolve, // no configuration folder could be found; nothing is set
    CannotCreate,  // the folder was missing and could not be made; the settings path stays empty
};

// Resolves the config folder + "/Lumisk Studio Data", creates it (and any missing parent)
// only when nothing of that name exists, and on success points the settings store at
// settings.ini inside it.
DataDirectoryResult PrepareDataDirectory();

// The data folder after PrepareDataDirectory resolved it; empty before.
const std::string& GetDataDirectory();
