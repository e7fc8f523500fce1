#pragma once

#include <string>
#include <vector>

#include "imaging/PictureConversion.h"

namespace cli {

// One line of the report: a picture with its outcome, or one the run never reached.
struct ReportRow {
    std::string source;
    const ConvertOutcome* outcome = nullptr; // null: not converted (the run was stopped, or the path was no picture)
    std::string reason;                      // used when there is no outcome
};

// Quotes a field when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

// The header "source,output,width,height,bytes,quality,status,reason", then a line per row.
// A file written over its target size has the status "over-target", its sizes and the target in the reason.
std::string FormatCsvReport(const std::vector<ReportRow>& rows);

// A JSON string, quoted. Valid UTF-8 is kept as it is; control characters, and each byte that is
// not part of valid UTF-8, are written as \u00XX (for such a byte, XX is the byte itself).
std::string JsonString(const std::string& text);

// Where a report was made, for the fields every JSONL line carries.
struct ReportPlace {
    std::string shard; // "K/N", or empty when the run is not sharded
    std::string host;
};

// One JSON object a line, each ending with a line feed, so the reports of several runs
// concatenate into one valid file. Keys: source, output, width, height, bytes, quality, status,
// reason, shard, host, seconds; the numbers of a picture not written, and a missing shard, are null.
std::string FormatJsonlReport(const std::vector<ReportRow>& rows, const ReportPlace& place);

// Written through a temporary file, so an old report is never half replaced.
bool WriteReportFile(const std::string& path, const std::string& text, std::string& error);

} // namespace cli
