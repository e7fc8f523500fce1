#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/CliInputs.h"
#include "imaging/Geometry.h"
#include "imaging/ResizeSettings.h"

namespace cli {

// The command line as given, before it is applied to the options of a run.
struct CliOptions {
    bool help = false;
    bool version = false;
    std::optional<std::string> output;
    std::optional<ResizeMode> mode;
    std::optional<SizeUnit> unit;
    // With --mode or --unit: in the unit in force once they are applied. Without: pixels unless
    // the value says "%", the proportions kept (see ApplyCliOptions).
    std::optional<double> width;
    std::optional<double> height;
    bool widthPercent = false, heightPercent = false;         // written with "%"
    bool widthPixelSuffix = false, heightPixelSuffix = false; // written with "px"
    std::optional<Geometry> resize;                           // --resize
    std::optional<int> longEdge;
    std::optional<int> shortEdge;
    bool noEnlarge = false;
    bool keepAlpha = false;
    bool lossless = false;
    bool shrinkToFit = false;
    std::optional<int> minQuality;
    std::optional<int> quality;
    std::optional<int> targetKB;
    std::optional<std::string> extension; // with its dot: ".jpg"
    bool overwrite = false;               // --overwrite, or --if-exists overwrite
    bool existsRuleGiven = false;         // --overwrite or --if-exists; else a preset's rule stands
    bool overwriteConfirmed = false;      // --overwrite itself: replacing the run's own sources is meant
    bool skipExisting = false;            // --if-exists skip
    bool skipLarger = false;
    bool keepMetadata = false;
    bool stripGps = false;
    bool keepDates = false;
    bool recursive = false;
    bool keepTree = false;
    bool dryRun = false;
    bool quiet = false;
    std::optional<std::string> report;  // "-": standard output
    bool reportJsonl = false;           // --report-format jsonl
    std::vector<std::string> filesFrom; // lists of pictures, "-": standard input
    bool nulSeparated = false;          // -0: the lists are NUL-separated
    std::optional<std::string> base;    // --base: the folder the tree and the shard keys are relative to
    std::optional<ShardSpec> shard;
    std::optional<int> jobs; // pictures side by side; none: one per core
    std::optional<std::string> preset, savePreset;
    std::vector<std::string> inputs;
};

struct CliParseResult {
    CliOptions options;
    std::string error; // a usage error when not empty
};

// Parses the arguments after the program name. Pure: touches no file.
CliParseResult ParseCliArguments(const std::vector<std::string>& args);

// Sets the options through the model's own setters, in the order a user would
// in the window: mode, unit, width, height; then compression, format, overwrite.
// What the line does not give is left as it is (a preset's choice, or the default).
// False with a usage error when the combination makes no sense.
bool ApplyCliOptions(const CliOptions& options, ResizeSettings& settings, std::string& error);

std::string CliUsage();

} // namespace cli
