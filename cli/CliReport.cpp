#include "cli/CliReport.h"

#include "files/OutputFile.h"

namespace cli {

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string FormatCsvReport(const std::vector<ReportRow>& rows)
{
    std::string csv = "source,output,width,height,bytes,quality,status,reason\n";
    for (const ReportRow& row : rows) {
        std::vector<std::string> fields { row.source };
        if (const ConvertOutcome* o = row.outcome) {
            const bool written = o->status == ConvertStatus::Written;
            fields.push_back(o->output);
            fields.push_back(written ? std::to_string(o->width) : "");
            fields.push_back(written ? std::to_string(o->height) : "");
            fields.push_back(written ? std::to_string(o->bytes) : "");
            fields.push_back(written && o->quality > 0 ? std::to_string(o->quality) : "");
            fields.push_back(written && o->overTarget ? "over-target" : GetStatusName(o->status));
            fields.push_back(o->reason);
        } else {
            fields.insert(fields.end(), { "", "", "", "", "", "skipped", row.reason });
        }
        for (std::size_t i = 0; i < fields.size(); ++i)
            csv += (i ? "," : "") + CsvField(fields[i]);
        csv += '\n';
    }
    return csv;
}

bool WriteReportFile(const std::string& path, const std::string& text, std::string& error)
{
    std::string target = path;
    return WriteOutputFile(
        target, true,
        [&text](const std::string& temp, std::string& why) {
            if (WriteFileBytes(temp, text, why))
                return true;
            why = "could not write the report";
            return false;
        },
        error);
}

} // namespace cli
