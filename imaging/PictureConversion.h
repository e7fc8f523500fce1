#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "files/OutputFile.h"
#include "imaging/ResizeSettings.h"

class ImageEntry;
class Picture;

// What became of one picture of a conversion run.
enum class ConvertStatus : int {
    Written = 0,
    Unreadable = 1,  // not a picture, damaged beyond reading, or missing
    TooLarge = 2,    // over the pixel limit, as a source or as the size asked for
    WriteFailed = 3, // the output could not be encoded or written; nothing was left behind
    Skipped = 4,     // left out by a rule: its output exists, or would be larger than its source
};

struct ConvertOutcome {
    std::string source;
    std::string output; // the file written; empty unless Written
    int width = 0;      // of the output picture
    int height = 0;
    std::uint64_t bytes = 0;
    int quality = 0; // the JPEG quality used; 0 for other formats
    ConvertStatus status = ConvertStatus::WriteFailed;
    std::string reason; // why it failed; for a written picture, a warning or empty
    // Target size: the file was written larger than the target (targetBytes) all the same.
    bool overTarget = false;
    std::uint64_t targetBytes = 0;
    bool scaledToFit = false;      // Shrink to Fit lowered the dimensions to width x height
    bool damaged = false;          // written from a file of which only part could be decoded
    std::uint64_t sourceBytes = 0; // the size of the source file when it was converted
    double seconds = 0;            // spent on this picture, waits for other pictures left out
};

// The lever a target-size run used, for people: "quality 62" or "quality 40, scaled to 1200 x 900";
// empty when the outcome has no quality.
std::string DescribeLever(const ConvertOutcome& outcome);

// Short, stable names for reports: "written", "unreadable", "too large", "could not write", "skipped".
const char* GetStatusName(ConvertStatus status);

// The options of a run, read once when the job starts; later edits do not reach it.
struct ConvertSnapshot {
    CompressionChoice choice = CompressQuality;
    std::string folder; // ends with '/'
    ResizeMode mode = ScaledImage;
    bool overwrite = false;
    std::string extension;
    std::int32_t quality = 70;
    SizeUnit unit = Percent;
    float w = 100.0f;
    float h = 100.0f;
    std::int32_t targetKB = 100;
    OutputOptions options;
    // Called once the picture is written, just before it takes its name.
    std::function<void()> beforeNaming;
    // With options.skipLarger, per picture: the source's size in bytes (0: no limit).
    std::uint64_t sizeLimit = 0;
    // Per picture: the source's modification time, which options.keepDates gives the output.
    std::optional<FileTime> sourceTime;
};
ConvertSnapshot TakeConvertSnapshot(const ResizeSettings& settings);

// Resizes, encodes and writes one loaded picture by the strategy the snapshot chooses.
ConvertOutcome ConvertPicture(const Picture& source, const std::string& title, const ConvertSnapshot& snapshot);

// Loads the entry's picture, converts it and frees it again; every failure, an
// exception of the image library included, becomes the outcome of this one picture.
ConvertOutcome ConvertEntry(ImageEntry& entry, const ConvertSnapshot& snapshot);

// The same conversions with the file kept in memory: bytes receives exactly what the run would
// write (empty on failure), and the outcome is the run's, without an output name. Nothing is
// written, and the snapshot's folder and overwrite do not matter.
ConvertOutcome ConvertPictureInMemory(
    const Picture& source, const ConvertSnapshot& snapshot, std::vector<std::uint8_t>& bytes);
ConvertOutcome ConvertEntryInMemory(
    ImageEntry& entry, const ConvertSnapshot& snapshot, std::vector<std::uint8_t>& bytes);
