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

} // namespace cli
