#pragma once

#include <string>
#include <vector>

// The extensions a folder scan takes, compared with the lower-cased extension
// (".jpg", ".bmp", ".png", ".gif", ".jpeg", ".emf", ".wmf", ".tif").
bool IsScannedExtension(const std::string& extension);

// The pictures of one folder: regular files (or links to them) with a scanned
// extension; sub-folders are not entered. Sorted by name, so numbered names come
// out the same on every run and file system. On a folder that cannot be read,
// the result is empty and error says why. Any thread.
std::vector<std::string> ScanFolderForPictures(const std::string& folder, std::string& error);
