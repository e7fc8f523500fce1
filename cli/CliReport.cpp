#include "cli/CliReport.h"

#include <cstdio>

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

namespace {

// The length of the valid UTF-8 sequence at text[at], or 0 when the byte there does not start one.
std::size_t Utf8Length(const std::string& text, std::size_t at)
{
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char lo = 0x80, hi = 0xBF; // the second byte's range, narrower for overlongs and surrogates
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lo = lead == 0xE0 ? 0xA0 : 0x80;
        hi = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lo = lead == 0xF0 ? 0x90 : 0x80;
        hi = lead == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (at + length > text.size() || byte(at + 1) < lo || byte(at + 1) > hi)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return length;
}

std::string JsonNumber(std::uint64_t value, bool present) { return present ? std::to_string(value) : "null"; }

} // namespace

std::string JsonString(const std::string& text)
{
    std::string json = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const std::size_t length = Utf8Length(text, i);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (c == '\n')
            json += "\\n";
        else if (c == '\t')
            json += "\\t";
        else if (c == '\r')
            json += "\\r";
        else if (length == 0 || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            json += escaped;
        } else {
            json.append(text, i, length);
            i += length;
            continue;
        }
        ++i;
    }
    return json + "\"";
}

std::string FormatJsonlReport(const std::vector<ReportRow>& rows, const ReportPlace& place)
{
    const std::string common = ",\"shard\":" + (place.shard.empty() ? "null" : JsonString(place.shard))
        + ",\"host\":" + JsonString(place.host) + ",\"seconds\":";
    std::string jsonl;
    for (const ReportRow& row : rows) {
        const ConvertOutcome* o = row.outcome;
        const bool written = o && o->status == ConvertStatus::Written;
        const std::string status = !o ? "skipped" : written && o->overTarget ? "over-target" : GetStatusName(o->status);
        char seconds[32] = "null";
        if (o)
            std::snprintf(seconds, sizeof seconds, "%.3f", o->seconds);
        jsonl += "{\"source\":" + JsonString(row.source) + ",\"output\":" + JsonString(o ? o->output : "")
            + ",\"width\":" + JsonNumber(written ? static_cast<std::uint64_t>(o->width) : 0, written)
            + ",\"height\":" + JsonNumber(written ? static_cast<std::uint64_t>(o->height) : 0, written)
            + ",\"bytes\":" + JsonNumber(written ? o->bytes : 0, written) + ",\"quality\":"
            + JsonNumber(written ? static_cast<std::uint64_t>(o->quality) : 0, written && o->quality > 0)
            + ",\"status\":" + JsonString(status) + ",\"reason\":" + JsonString(o ? o->reason : row.reason) + common
            + seconds + "}\n";
    }
    return jsonl;
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
