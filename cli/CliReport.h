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

// Written through a temporary file, so an old report is never half replaced.
bool WriteReportFile(const std::string& path, const std::string& text, std::string& error);

} // namespace cli
