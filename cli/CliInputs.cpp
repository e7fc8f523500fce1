#include "cli/CliInputs.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "batch/FolderScan.h"

namespace cli {

namespace {

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

CollectedInputs CollectInputs(const std::vector<std::string>& args)
{
    CollectedInputs collected;
    for (const std::string& arg : args) {
        if (!IsFolder(arg)) {
            collected.paths.push_back(arg);
            continue;
        }
        std::string error;
        const std::vector<std::string> found = ScanFolderForPictures(arg, error);
        if (!error.empty())
            collected.failures.emplace_back(arg, error);
        collected.paths.insert(collected.paths.end(), found.begin(), found.end());
    }
    return collected;
}

bool CreateOutputFolder(std::string& folder, std::string& error)
{
    if (folder.empty()) {
        error = "the folder name is empty";
        return false;
    }
    if (folder[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) {
            error = std::string("cannot tell the current folder: ") + std::strerror(errno);
            return false;
        }
        folder = WithSlash(cwd) + folder;
    }
    if (folder.size() >= PATH_MAX) {
        error = "the folder name is too long";
        return false;
    }
    folder = WithSlash(folder);
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            error = "cannot create " + part + ": " + std::strerror(errno);
            return false;
        }
    }
    if (!IsFolder(folder)) {
        error = "not a folder";
        return false;
    }
    return true;
}

} // namespace cli
