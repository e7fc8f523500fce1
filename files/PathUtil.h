#pragma once

#include <string>
#include <string_view>

// The parts of a path as the program uses them: the extension starts at the last
// dot of the file name (so ".jpg" is an empty title with the extension ".jpg").
struct PathParts {
    std::string folder;    // everything up to and including the last '/', or empty
    std::string title;     // file name without its extension
    std::string extension; // with its leading dot, or empty
};

PathParts SplitPath(std::string_view path);

// Lower-case ASCII copy; extensions and format names compare case-insensitively.
std::string ToLowerAscii(std::string_view text);
