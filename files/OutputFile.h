#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Naming and writing of output files. A picture is written to a temporary file in
// the output folder and only then given its final name, so a final name never holds
// a half-written picture, and a source replaced in place has been read completely
// before. Names are claimed exclusively: two writers into the same folder never
// share a file. Safe to use from any thread.
//
// The temporary file has no name where the file system allows it (O_TMPFILE), so a
// killed run leaves nothing behind. Elsewhere it is a hidden ".kestrova-*.part" file
// that its writer keeps locked; the first write of a later run into that folder
// removes those whose writer is gone.

// True when something (file, folder, link) is at the path or the look-up fails
// for any reason other than a missing file or folder.
bool PathExists(const std::string& path);

// Writes the output at path through a temporary file: write(tempPath, error)
// fills the temporary file. With overwrite, a file at path is replaced; without,
// the first free name among path, title(0).ext, ... title(9999).ext in the same
// folder is taken and path is changed to it. On failure nothing is left behind,
// neither the temporary file nor a name, and error says why. beforeNaming, when
// given, is called once the file is written, just before it takes its name.
using WriteToFile = std::function<bool(const std::string& tempPath, std::string& error)>;
bool WriteOutputFile(std::string& path, bool overwrite, const WriteToFile& write, std::string& error,
    const std::function<void()>& beforeNaming = {});

// A file's modification time, to the nanosecond where the file system keeps it.
struct FileTime {
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;
    bool operator==(const FileTime&) const = default;
};
// The modification time of the file at path (a link's target); empty when it cannot be read.
std::optional<FileTime> ModifiedTime(const std::string& path);

// What to do when the output's name is taken.
enum class ExistingOutput { Number, Replace, Keep };

// The same with the choice of what happens to a taken name, and a size limit: a finished
// file of more than maxBytes bytes (0: no limit) takes no name. Neither refusal leaves
// anything behind; bytes receives the size of the finished file either way.
enum class OutputResult { Written, Kept, TooLarge, Failed };
struct OutputRules {
    ExistingOutput existing = ExistingOutput::Number;
    std::uint64_t maxBytes = 0;
    std::function<void()> beforeNaming;
    // Given: the finished file takes this modification time before it takes its name.
    std::optional<FileTime> modified;
};
OutputResult WriteOutputFileWith(std::string& path, const OutputRules& rules, const WriteToFile& write,
    std::string& error, std::uint64_t* bytes = nullptr);

// Replaces the file at path (not a symbolic link's target) with the bytes, through
// a temporary file as above, and gives it the permission bits of mode.
bool ReplaceFile(const std::string& path, std::string_view bytes, unsigned mode, std::string& error);

// Tests turn the unnamed temporary files off to run the named ones.
void AllowUnnamedTempFiles(bool allowed);

// Creates or empties the file at path and writes the bytes into it. False when the
// file cannot be opened or not every byte reached it; error then says why in plain
// words ("could not write: ..."), and what was written may remain.
bool WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error);
bool WriteFileBytes(const std::string& path, std::string_view text, std::string& error);

// The prefix of the temporary files, so a listing can tell them from outputs.
inline constexpr const char* TempFilePrefix = ".kestrova-";
