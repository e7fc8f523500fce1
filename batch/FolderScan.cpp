#include "batch/FolderScan.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

#include "files/PathUtil.h"
#include "imaging/PictureFormat.h"

std::vector<std::string> ScanFolderForPictures(const std::string& folder, std::string& error)
{
    std::vector<std::string> found;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        error = std::string("cannot read the folder: ") + std::strerror(errno);
        return found;
    }
    const std::string prefix = folder.empty() || folder.back() != '/' ? folder + '/' : folder;
    while (const dirent* item = ::readdir(dir)) {
        const std::string path = prefix + item->d_name;
        struct stat st { };
        if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) // ".", ".." and sub-folders
            continue;
        if (IsReadExtension(ToLowerAscii(SplitPath(item->d_name).extension)))
            found.push_back(path);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}
