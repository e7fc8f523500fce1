#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cli {

struct CollectedInputs {
    std::vector<std::string> paths;
    std::vector<std::string> subfolders;                       // per path: under the folder given, "" or "a/b/"
    std::vector<std::pair<std::string, std::string>> failures; // (argument, reason)
    std::vector<std::pair<std::string, std::string>> skipped;  // (sub-folder, reason), with recursive
    std::vector<std::pair<std::string, std::string>> notes;    // (path, note): a listed picture taken once
};

// A folder argument is scanned as the window's Add Folder scans it, with its
// sub-folders when recursive; anything else is taken as given (at the top).
CollectedInputs CollectInputs(const std::vector<std::string>& args, bool recursive = false);

// Part K of N of a run: the pictures whose key's 64-bit FNV-1a hash is K modulo N.
// The hash depends on the key's bytes only, so every machine and every later run
// agrees, and adding pictures never moves the others.
struct ShardSpec {
    std::uint64_t index = 0;
    std::uint64_t count = 1;
    std::string Text() const { return std::to_string(index) + "/" + std::to_string(count); }
};

// "K/N" with 0 <= K < N, both plain decimal numbers; nullopt otherwise.
std::optional<ShardSpec> ParseShard(const std::string& text);
std::uint64_t Fnv1a64(std::string_view bytes);
bool InShard(std::string_view key, const ShardSpec& shard);

// The entries of a list: one a line (a trailing CR dropped) or NUL-separated; empty ones left out.
std::vector<std::string> SplitList(std::string_view text, bool nulSeparated);

// Reads a file, or standard input for "-", to its end.
bool ReadWholeFile(const std::string& name, std::string& text, std::string& error);

struct InputRequest {
    std::vector<std::string> args; // files and folders given on the command line
    bool recursive = false;
    std::vector<std::string> lists; // --files-from
    bool nulSeparated = false;
    std::optional<std::string> base;
    std::optional<ShardSpec> shard;
};

// The command line's pictures, then each list's. A listed path is relative to its list's folder
// (to the current folder for standard input); a listed picture already taken is noted, not taken
// again. With a base folder, each picture's sub-folder and shard key are its place under it, and
// one outside it is a failure; else the key is the path as given, normalised. With a shard, only
// its pictures (and its failures) are kept. False with a usage error when a list or the base cannot
// be used; nothing is touched then.
bool GatherInputs(const InputRequest& request, CollectedInputs& collected, std::string& error);

// Makes folder absolute (against the current folder), creates every missing
// part of it (unless create is false: a dry run makes nothing) and ends it with
// '/'. False with a reason when it cannot be used.
bool CreateOutputFolder(std::string& folder, std::string& error, bool create = true);

} // namespace cli
