#include "batch/FolderScan.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <iterator>
#include <sys/stat.h>

#include "files/PathUtil.h"

bool IsScannedExtension(const std::string& extension)
{
    static const char* const accepted[] = { ".jpg", ".bmp", ".png", ".gif", ".jpeg", ".emf", ".wmf", ".tif" };
    return std::find_if(std::begin(accepted), std::end(accepted), [&](const char* a) { return extension == a; })
        != std::end(accepted);
}

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
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) // ".", ".." and sub-folders
            continue;
        if (IsScannedExtension(ToLowerAscii(SplitPath(item->d_name).extension)))
            found.push_back(path);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}
