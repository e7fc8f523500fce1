#pragma once

#include <optional>
#include <string>
#include <vector>

#include "imaging/ResizeSettings.h"

namespace cli {

// The command line as given, before it is applied to the options of a run.
struct CliOptions {
    bool help = false;
    bool version = false;
    std::optional<std::string> output;
    std::optional<ResizeMode> mode;
    std::optional<SizeUnit> unit;
    std::optional<double> width; // in the unit in force once mode and unit are applied
    std::optional<double> height;
    std::optional<int> quality;
    std::optional<int> targetKB;
    std::optional<std::string> extension; // with its dot: ".jpg"
    bool overwrite = false;
    bool quiet = false;
    std::optional<std::string> report;
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
// False with a usage error when the combination makes no sense.
bool ApplyCliOptions(const CliOptions& options, ResizeSettings& settings, std::string& error);

std::string CliUsage();

} // namespace cli
