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

std::string DefaultOutputFolderFrom(const std::string& home, const std::string& userDirsText)
{
    std::string documents = home;
    std::istringstream lines(userDirsText);
    for (std::string line; std::getline(lines, line);) {
        const std::string key = "XDG_DOCUMENTS_DIR=";
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
            continue;
        std::string value = line.substr(start + key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        if (!value.empty() && value[0] == '/')
            documents = value;
    }
    while (documents.size() > 1 && documents.back() == '/')
        documents.pop_back();
    return (documents == "/" ? "" : documents) + "/Da Varozez Evozer";
}

std::string DefaultOutputFolder()
{
    const char* home = std::getenv("HOME");
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string homeDir = home && *home ? home : "/";
    const std::string configDir = config && *config == '/' ? config : homeDir + "/.config";
    std::ifstream in(configDir + "/user-dirs.dirs");
    std::stringstream text;
    text << in.rdbuf();
    return DefaultOutputFolderFrom(homeDir, text.str());
}

} // namespace cli
