#pragma once

#include <string>
#include <utility>
#include <vector>

namespace cli {

struct CollectedInputs {
    std::vector<std::string> paths;
    std::vector<std::pair<std::string, std::string>> failures; // (argument, reason)
};

// A folder argument is scanned as the window's Add Folder scans it; anything
// else is taken as given.
CollectedInputs CollectInputs(const std::vector<std::string>& args);

// Makes folder absolute (against the current folder), creates every missing
// part of it and ends it with '/'. False with a reason when it cannot be used.
bool CreateOutputFolder(std::string& folder, std::string& error);

// The folder the window offers when nothing is remembered: the documents folder
// (XDG_DOCUMENTS_DIR of user-dirs.dirs, else the home folder) + "/Da Varozez Evozer".
std::string DefaultOutputFolder();
// The same from its inputs: the home folder and the text of user-dirs.dirs.
std::string DefaultOutputFolderFrom(const std::string& home, const std::string& userDirsText);

} // namespace cli
