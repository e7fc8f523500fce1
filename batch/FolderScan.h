#pragma once

#include <string>
#include <vector>

// The pictures of one folder: regular files (or links to them) whose lower-cased
// extension is a read format's (IsReadExtension); sub-folders are not entered, and
// nothing else (a FIFO, a device) is ever opened.
// Sorted by name, so numbered names come out the same on every run and file system.
// On a folder that cannot be read, the result is empty and error says why. Any thread.
std::vector<std::string> ScanFolderForPictures(const std::string& folder, std::string& error);

struct ScannedPicture {
    std::string path;
    std::string subfolder; // relative to the folder scanned: "" or "a/b/"
};

// A folder left out of a tree scan, and why.
struct SkippedFolder {
    std::string folder;
    std::string reason;
};

// The pictures of a folder and of its sub-folders, by the rules above. Each folder's own
// pictures come first, sorted by name, then its sub-folders one by one, sorted by name.
// Hidden sub-folders (a name starting with '.') are not entered; a link back to a folder
// above it, and a folder that cannot be read, are skipped with a note each. Any thread.
std::vector<ScannedPicture> ScanFolderTree(const std::string& folder, std::vector<SkippedFolder>& skipped);
