#pragma once

#include <string>

// Creates every missing folder along an absolute path; true when the whole path then
// names a folder. A trailing '/' is allowed. A relative path, a URL or a path of
// PATH_MAX characters or more fails without creating anything; so does a path through
// (or ending at) something that is not a folder. On failure, error (when given) says
// why in words. Any thread.
bool CreateFolderPath(const std::string& path, std::string* error = nullptr);
