#include "files/CreateFolderPath.h"

#include <cerrno>
#include <climits>

#include <sys/stat.h>

namespace {

bool IsFolder(const std::string& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates the folder when nothing of that name exists; other failures of the query are
// left to the next step, which fails on its own if the prefix is unusable.
bool EnsurePrefix(const std::string& prefix)
{
    struct stat st { };
    if (::stat(prefix.c_str(), &st) == 0)
        return true;
    if (errno != ENOENT && errno != ENOTDIR)
        return true;
    if (::mkdir(prefix.c_str(), 0777) == 0)
        return true;
    // Someone else may have made it in the meantime.
    return errno == EEXIST && IsFolder(prefix);
}

} // namespace

bool CreateFolderPath(const std::string& path)
{
    if (path.empty() || path.front() != '/' || path.size() >= PATH_MAX || path.find('\0') != std::string::npos)
        return false;
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/')
            continue;
        if (path[i - 1] == '/')
            continue; // the root, a doubled '/' or the trailing one: no new component
        if (!EnsurePrefix(path.substr(0, i)))
            return false;
    }
    // An existing file at the end is no folder to write into.
    return IsFolder(path);
}
