#include "cli/CliInputs.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "batch/FolderScan.h"
#include "files/CreateFolderPath.h"

namespace cli {

namespace {

bool IsFolder(const std::string& path)
{
    struct stat st { };
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
    if (!folder.empty() && folder[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) {
            error = std::string("cannot tell the current folder: ") + std::strerror(errno);
            return false;
        }
        folder = WithSlash(cwd) + folder;
    }
    const bool made = CreateFolderPath(folder, &error);
    // A name refused as such is shown as given, any other with its '/'.
    if (!folder.empty() && folder.size() < PATH_MAX)
        folder = WithSlash(folder);
    return made;
}

} // namespace cli
