#pragma once

#include <string>
#include <vector>

// The pictures of one folder: regular files (or links to them) whose lower-cased
// extension is a read format's (IsReadExtension); sub-folders are not entered.
// Sorted by name, so numbered names come out the same on every run and file system.
// On a folder that cannot be read, the result is empty and error says why. Any thread.
std::vector<std::string> ScanFolderForPictures(const std::string& folder, std::string& error);
