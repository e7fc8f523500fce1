#pragma once

#include <string>
#include <utility>
#include <vector>

#include "imaging/ResizeSettings.h"

// Everything the option panel sets, as one record: what a restart keeps and what a preset holds.
// The output folder is not part of it; it stays the last folder used.
struct PanelOptions {
    ResizeDimensions dimensions;
    CompressionSettings compression;
    std::string extension = ".jpg"; // the output format, as the format table names it
    bool overwrite = false;
    OutputOptions options;
    bool operator==(const PanelOptions&) const = default;
};

PanelOptions CapturePanelOptions(const ResizeSettings& settings);
// Restores exactly what was captured; a format this version does not write leaves the format as it is.
void ApplyPanelOptions(const PanelOptions& options, ResizeSettings& settings);

// The record as settings.ini holds it: one key per field, in words a person can read and edit
// (the mode as --mode names it, the format as its extension, integers, TRUE/FALSE).
using PanelOptionsEntries = std::vector<std::pair<std::string, std::string>>;
PanelOptionsEntries WritePanelOptionsEntries(const PanelOptions& options);

// A key that is there but cannot be read; `expected` says what it should hold.
struct PanelOptionsProblem {
    std::string key, value, expected;
};
// Reads each known key found in entries (first one wins, any case) into options. A key missing or
// unreadable leaves its field as it was; each unreadable key is one problem.
std::vector<PanelOptionsProblem> ReadPanelOptionsEntries(const PanelOptionsEntries& entries, PanelOptions& options);
