#include "batch/FolderScan.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <utility>

#include "files/PathUtil.h"
#include "imaging/PictureFormat.h"

namespace {

std::string WithSlash(const std::string& folder)
{
    return folder.empty() || folder.back() != '/' ? folder + '/' : folder;
}

// The pictures (sorted paths) and the sub-folders (sorted names) of one folder.
// stat follows links and never opens what it looks at, so a FIFO cannot block the scan.
bool ListFolder(const std::string& folder, std::vector<std::string>& pictures, std::vector<std::string>* subfolders,
    std::string& error)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        error = std::string("cannot read the folder: ") + std::strerror(errno);
        return false;
    }
    const std::string prefix = WithSlash(folder);
    while (const dirent* item = ::readdir(dir)) {
        const std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st { };
        if (::stat((prefix + name).c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            if (subfolders && name[0] != '.')
                subfolders->push_back(name);
        } else if (S_ISREG(st.st_mode) && IsReadExtension(ToLowerAscii(SplitPath(name).extension))) {
            pictures.push_back(prefix + name);
        }
    }
    ::closedir(dir);
    std::sort(pictures.begin(), pictures.end());
    if (subfolders)
        std::sort(subfolders->begin(), subfolders->end());
    return true;
}

struct FolderId {
    dev_t device;
    ino_t inode;
    bool operator==(const FolderId&) const = default;
};

void ScanTree(const std::string& folder, const std::string& subfolder, std::vector<FolderId>& ancestors,
    std::vector<ScannedPicture>& found, std::vector<SkippedFolder>& skipped)
{
    struct stat st { };
    if (::stat(folder.c_str(), &st) != 0) {
        skipped.push_back({ folder, std::string("cannot read the folder: ") + std::strerror(errno) });
        return;
    }
    const FolderId id { st.st_dev, st.st_ino };
    if (std::find(ancestors.begin(), ancestors.end(), id) != ancestors.end()) {
        skipped.push_back({ folder, "a link back to a folder above it" });
        return;
    }
    std::vector<std::string> pictures, subfolders;
    std::string error;
    if (!ListFolder(folder, pictures, &subfolders, error)) {
        skipped.push_back({ folder, error });
        return;
    }
    for (std::string& path : pictures)
        found.push_back({ std::move(path), subfolder });
    ancestors.push_back(id);
    for (const std::string& name : subfolders)
        ScanTree(WithSlash(folder) + name, subfolder + name + '/', ancestors, found, skipped);
    ancestors.pop_back();
}

} // namespace

std::vector<std::string> ScanFolderForPictures(const std::string& folder, std::string& error)
{
    std::vector<std::string> found;
    ListFolder(folder, found, nullptr, error);
    return found;
}

std::vector<ScannedPicture> ScanFolderTree(const std::string& folder, std::vector<SkippedFolder>& skipped)
{
    std::vector<ScannedPicture> found;
    std::vector<FolderId> ancestors;
    ScanTree(folder, "", ancestors, found, skipped);
    return found;
}
