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

CollectedInputs CollectInputs(const std::vector<std::string>& args, bool recursive)
{
    CollectedInputs collected;
    for (const std::string& arg : args) {
        if (!IsFolder(arg)) {
            collected.paths.push_back(arg);
            collected.subfolders.emplace_back();
            continue;
        }
        if (recursive) {
            std::vector<SkippedFolder> skipped;
            for (ScannedPicture& found : ScanFolderTree(arg, skipped)) {
                collected.paths.push_back(std::move(found.path));
                collected.subfolders.push_back(std::move(found.subfolder));
            }
            // The folder given itself unread is a failure; a sub-folder left out is a note.
            for (SkippedFolder& s : skipped)
                (s.folder == arg ? collected.failures : collected.skipped).emplace_back(s.folder, s.reason);
            continue;
        }
        std::string error;
        const std::vector<std::string> found = ScanFolderForPictures(arg, error);
        if (!error.empty())
            collected.failures.emplace_back(arg, error);
        collected.paths.insert(collected.paths.end(), found.begin(), found.end());
        collected.subfolders.resize(collected.paths.size());
    }
    return collected;
}

bool CreateOutputFolder(std::string& folder, std::string& error, bool create)
{
    if (!folder.empty() && folder[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd)) {
            error = std::string("cannot tell the current folder: ") + std::strerror(errno);
            return false;
        }
        folder = WithSlash(cwd) + folder;
    }
    const bool made = !create || CreateFolderPath(folder, &error);
    // A name refused as such is shown as given, any other with its '/'.
    if (!folder.empty() && folder.size() < PATH_MAX)
        folder = WithSlash(folder);
    return made;
}

} // namespace cli
