#include "files/CreateFolderPath.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <sys/stat.h>

namespace {

bool IsFolder(const std::string& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Fail(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

// Creates the folder unless something of that name can be looked at; when the look fails
// for another reason (no search permission), mkdir names that reason.
bool EnsurePrefix(const std::string& prefix, std::string* error)
{
    struct stat st { };
    if (::stat(prefix.c_str(), &st) == 0 || ::mkdir(prefix.c_str(), 0777) == 0)
        return true;
    // Someone else may have made it in the meantime.
    const int err = errno;
    return (err == EEXIST && IsFolder(prefix)) || Fail(error, "cannot create " + prefix + ": " + std::strerror(err));
}

} // namespace

bool CreateFolderPath(const std::string& path, std::string* error)
{
    if (path.empty())
        return Fail(error, "the folder name is empty");
    if (path.size() >= PATH_MAX)
        return Fail(error, "the folder name is too long");
    if (path.front() != '/' || path.find('\0') != std::string::npos)
        return Fail(error, "the folder name is not an absolute path");
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/')
            continue;
        if (path[i - 1] == '/')
            continue; // the root, a doubled '/' or the trailing one: no new component
        if (!EnsurePrefix(path.substr(0, i), error))
            return false;
    }
    // An existing file at the end is no folder to write into.
    return IsFolder(path) || Fail(error, "not a folder");
}
