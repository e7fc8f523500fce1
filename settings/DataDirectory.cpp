#include "settings/DataDirectory.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/CreateFolderPath.h"
#include "files/ReadFile.h"
#include "settings/AppIdentity.h"
#include "settings/IniFile.h"
#include "settings/SettingsStore.h"

namespace {

std::string g_dataDirectory;

std::optional<std::string> AbsoluteEnv(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return std::nullopt;
    return std::string(value);
}

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The value of NAME="..." as the shell would read it, with $HOME expanded.
std::optional<std::string> ParseUserDir(const std::string& line, std::string_view name, const std::string& home)
{
    std::string_view rest = line;
    if (!rest.starts_with(name))
        return std::nullopt;
    rest.remove_prefix(name.size());
    if (!rest.starts_with('='))
        return std::nullopt;
    rest.remove_prefix(1);
    std::string value;
    if (rest.starts_with('"')) {
        rest.remove_prefix(1);
        bool closed = false;
        for (std::size_t i = 0; i < rest.size(); ++i) {
            if (rest[i] == '\\' && i + 1 < rest.size()) {
                value += rest[++i];
            } else if (rest[i] == '"') {
                closed = true;
                break;
            } else {
                value += rest[i];
            }
        }
        if (!closed)
            return std::nullopt;
    } else {
        value = TrimBlanks(rest);
    }
    if (value == "$HOME" || value.starts_with("$HOME/"))
        value = home + value.substr(5);
    if (value.empty() || value.front() != '/')
        return std::nullopt;
    return WithoutTrailingSlashes(value);
}

} // namespace

std::optional<std::string> GetHomeFolder()
{
    if (auto home = AbsoluteEnv("HOME"))
        return WithoutTrailingSlashes(*home);
    std::vector<char> buffer(16384);
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr
        && found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return WithoutTrailingSlashes(found->pw_dir);
    return std::nullopt;
}

std::optional<std::string> GetUserConfigFolder()
{
    if (auto config = AbsoluteEnv("XDG_CONFIG_HOME"))
        return WithoutTrailingSlashes(*config);
    if (auto home = GetHomeFolder())
        return *home + "/.config";
    return std::nullopt;
}

std::optional<std::string> GetDocumentsFolder()
{
    const auto home = GetHomeFolder();
    if (!home)
        return std::nullopt;
    std::optional<std::string> documents;
    if (const auto config = GetUserConfigFolder()) {
        std::string bytes;
        ReadRegularFile(*config + "/user-dirs.dirs", 1 << 20, bytes);
        std::istringstream in(bytes);
        std::string line;
        // Like the shell that normally reads this file, the last assignment wins.
        while (std::getline(in, line)) {
            if (auto dir = ParseUserDir(TrimBlanks(line), "XDG_DOCUMENTS_DIR", *home))
                documents = std::move(dir);
        }
    }
    return documents ? documents : home;
}

DataDirectoryResult PrepareDataDirectory()
{
    SettingsStore::SetSettingsFilePath("");
    g_dataDirectory.clear();
    const auto config = GetUserConfigFolder();
    if (!config)
        return DataDirectoryResult::CannotResolve;
    g_dataDirectory = *config + "/" + AppIdentity::DisplayName + " Data";
    struct stat st { };
    if (::stat(g_dataDirectory.c_str(), &st) != 0 && errno == ENOENT && !CreateFolderPath(g_dataDirectory))
        return DataDirectoryResult::CannotCreate;
    SettingsStore::SetSettingsFilePath(g_dataDirectory + "/settings.ini");
    return DataDirectoryResult::Ready;
}

const std::string& GetDataDirectory() { return g_dataDirectory; }
