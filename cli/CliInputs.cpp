#include "cli/CliInputs.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <set>
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

namespace fs = std::filesystem;

// The path with "." and ".." parts and doubled slashes taken out, as written otherwise.
std::string Normal(const std::string& path) { return fs::path(path).lexically_normal().generic_string(); }

// Against the current folder, normalised, without a trailing slash.
fs::path Absolute(const std::string& path)
{
    std::error_code ec;
    fs::path abs = fs::absolute(path, ec).lexically_normal();
    return abs.has_filename() || abs == abs.root_path() ? abs : abs.parent_path();
}

struct Item {
    std::string path, subfolder, key;
    std::string failure; // empty: a picture to convert
    bool listed = false;
    bool duplicate = false; // listed after the same picture: noted, not taken again
};

} // namespace

std::uint64_t Fnv1a64(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

bool InShard(std::string_view key, const ShardSpec& shard) { return Fnv1a64(key) % shard.count == shard.index; }

std::optional<ShardSpec> ParseShard(const std::string& text)
{
    const auto slash = text.find('/');
    if (slash == std::string::npos)
        return std::nullopt;
    const auto number = [](std::string_view digits, std::uint64_t& value) {
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return ec == std::errc() && end == digits.data() + digits.size();
    };
    ShardSpec shard;
    const std::string_view all(text);
    if (!number(all.substr(0, slash), shard.index) || !number(all.substr(slash + 1), shard.count))
        return std::nullopt;
    if (shard.count == 0 || shard.index >= shard.count)
        return std::nullopt;
    return shard;
}

std::vector<std::string> SplitList(std::string_view text, bool nulSeparated)
{
    const char separator = nulSeparated ? '\0' : '\n';
    std::vector<std::string> entries;
    while (!text.empty()) {
        const auto end = text.find(separator);
        std::string_view entry = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!nulSeparated && entry.ends_with('\r'))
            entry.remove_suffix(1);
        if (!entry.empty())
            entries.emplace_back(entry);
    }
    return entries;
}

bool ReadWholeFile(const std::string& name, std::string& text, std::string& error)
{
    const bool stdinput = name == "-";
    const int fd = stdinput ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st { };
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = "a folder, not a list of pictures";
        if (!stdinput)
            ::close(fd);
        return false;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            error = std::strerror(errno);
        if (got <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    if (!stdinput)
        ::close(fd);
    return error.empty();
}

bool GatherInputs(const InputRequest& request, CollectedInputs& collected, std::string& error)
{
    std::optional<fs::path> base;
    if (request.base) {
        if (!IsFolder(*request.base)) {
            error = "--base " + *request.base + ": not a folder";
            return false;
        }
        base = Absolute(*request.base);
    }
    std::vector<Item> items;
    CollectedInputs given = CollectInputs(request.args, request.recursive);
    for (std::size_t i = 0; i < given.paths.size(); ++i)
        items.push_back({ given.paths[i], given.subfolders[i], Normal(given.paths[i]), "", false, false });
    for (auto& [arg, reason] : given.failures)
        items.push_back({ arg, "", Normal(arg), reason, false, false });
    for (const std::string& list : request.lists) {
        std::string text;
        if (!ReadWholeFile(list, text, error)) {
            error = "cannot read the list " + list + ": " + error;
            return false;
        }
        const fs::path folder = list == "-" ? fs::path() : fs::path(list).parent_path();
        for (const std::string& entry : SplitList(text, request.nulSeparated)) {
            Item item { Normal(entry[0] == '/' ? entry : (folder / entry).string()), "", Normal(entry), "", true,
                false };
            if (IsFolder(item.path))
                item.failure = "a folder; list pictures, or give the folder itself with -R";
            items.push_back(std::move(item));
        }
    }

    std::set<std::string> seen;
    for (Item& item : items) {
        if (!item.failure.empty())
            continue; // keyed as given
        const fs::path abs = Absolute(item.path);
        if (base) {
            const fs::path relative = abs.lexically_relative(*base);
            if (relative.empty() || *relative.begin() == "..") {
                item.failure = "outside the base folder " + *request.base;
                continue;
            }
            item.key = relative.generic_string();
            const std::string parent = relative.parent_path().generic_string();
            item.subfolder = parent.empty() ? "" : parent + "/";
        }
        if (!seen.insert(abs.string()).second && item.listed)
            item.duplicate = true;
    }

    for (Item& item : items) {
        if (request.shard && !InShard(item.key, *request.shard))
            continue;
        if (item.duplicate)
            collected.notes.emplace_back(item.path, "listed again; converted once");
        else if (!item.failure.empty())
            collected.failures.emplace_back(item.path, item.failure);
        else {
            collected.paths.push_back(std::move(item.path));
            collected.subfolders.push_back(std::move(item.subfolder));
        }
    }
    collected.skipped = std::move(given.skipped);
    return true;
}

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
