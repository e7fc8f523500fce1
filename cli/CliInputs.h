#pragma once

#include <string>
#include <utility>
#include <vector>

namespace cli {

struct CollectedInputs {
    std::vector<std::string> paths;
    std::vector<std::string> subfolders;                       // per path: under the folder given, "" or "a/b/"
    std::vector<std::pair<std::string, std::string>> failures; // (argument, reason)
    std::vector<std::pair<std::string, std::string>> skipped;  // (sub-folder, reason), with recursive
};

// A folder argument is scanned as the window's Add Folder scans it, with its
// sub-folders when recursive; anything else is taken as given (at the top).
CollectedInputs CollectInputs(const std::vector<std::string>& args, bool recursive = false);

// Makes folder absolute (against the current folder), creates every missing
// part of it (unless create is false: a dry run makes nothing) and ends it with
// '/'. False with a reason when it cannot be used.
bool CreateOutputFolder(std::string& folder, std::string& error, bool create = true);

} // namespace cli
