#include "cli/CliOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>

#include "files/PathUtil.h"
#include "imaging/PictureFormat.h"
#include "imaging/ResizeSettings.h"

namespace cli {

namespace {

// Sizes beyond this are typing mistakes; the pixel limit refuses real ones far earlier.
constexpr double kMaxSize = 10000000.0;

template <class Enum>
std::optional<Enum> Choice(const std::string& value, const std::map<std::string, Enum>& choices)
{
    const auto it = choices.find(ToLowerAscii(value));
    return it == choices.end() ? std::nullopt : std::optional<Enum>(it->second);
}

std::optional<double> ParseNumber(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> ParseInteger(const std::string& text, int lo, int hi)
{
    const auto v = ParseNumber(text);
    if (!v || *v != std::floor(*v) || *v < lo || *v > hi)
        return std::nullopt;
    return static_cast<int>(*v);
}

// The written formats by their extensions, "jpg, jpeg, ... or tif"; the default one followed by afterDefault.
std::string WrittenFormatNames(const std::string& afterDefault)
{
    const std::vector<const FormatRow*> rows = GetWrittenFormats();
    std::string text;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0)
            text += i + 1 == rows.size() ? " or " : ", ";
        text += rows[i]->extension.substr(1);
        if (i == 0)
            text += afterDefault;
    }
    return text;
}

struct OptionSpec {
    const char* longName;
    char shortName; // 0: none
    bool takesValue;
};

const OptionSpec kOptions[] = {
    { "help", 'h', false },
    { "version", 'V', false },
    { "output", 'o', true },
    { "mode", 'm', true },
    { "unit", 'u', true },
    { "width", 'w', true },
    { "height", 'H', true },
    { "quality", 'q', true },
    { "target-size", 's', true },
    { "format", 'f', true },
    { "overwrite", 0, false },
    { "report", 'r', true },
    { "quiet", 0, false },
};

const OptionSpec* FindLong(const std::string& name)
{
    for (const OptionSpec& o : kOptions)
        if (name == o.longName)
            return &o;
    return nullptr;
}

const OptionSpec* FindShort(char c)
{
    for (const OptionSpec& o : kOptions)
        if (o.shortName == c)
            return &o;
    return nullptr;
}

// Stores one option; an empty result means it was fine.
std::string Store(CliOptions& out, const std::string& name, const std::string& value)
{
    const std::string bad = "invalid value '" + value + "' for --" + name;
    if (name == "help")
        out.help = true;
    else if (name == "version")
        out.version = true;
    else if (name == "overwrite")
        out.overwrite = true;
    else if (name == "quiet")
        out.quiet = true;
    else if (name == "output")
        out.output = value;
    else if (name == "report")
        out.report = value;
    else if (name == "mode") {
        out.mode = Choice<ResizeMode>(value,
            { { "scaled", ScaledImage }, { "fixed", FixImage }, { "width", RestrictWidth },
                { "height", RestrictHeight } });
        if (!out.mode)
            return bad + " (scaled, fixed, width or height)";
    } else if (name == "unit") {
        out.unit = Choice<SizeUnit>(value, { { "percent", Percent }, { "pixel", Pixel } });
        if (!out.unit)
            return bad + " (percent or pixel)";
    } else if (name == "width" || name == "height") {
        const auto v = ParseNumber(value);
        if (!v || *v <= 0 || *v > kMaxSize)
            return bad + " (a positive number)";
        (name == "width" ? out.width : out.height) = *v;
    } else if (name == "quality") {
        out.quality = ParseInteger(value, 1, 100);
        if (!out.quality)
            return bad + " (a whole number from 1 to 100)";
    } else if (name == "target-size") {
        out.targetKB = ParseInteger(value, 1, 1048576);
        if (!out.targetKB)
            return bad + " (kilobytes, a whole number from 1 to 1048576)";
    } else if (name == "format") {
        const std::string extension = "." + ToLowerAscii(value.rfind('.', 0) == 0 ? value.substr(1) : value);
        if (FindWrittenFormat(extension))
            out.extension = extension;
        if (!out.extension)
            return bad + " (" + WrittenFormatNames("") + ")";
    }
    return {};
}

} // namespace

CliParseResult ParseCliArguments(const std::vector<std::string>& args)
{
    CliParseResult result;
    CliOptions& out = result.options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            out.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const OptionSpec* option = nullptr;
        std::optional<std::string> value;
        if (arg[1] == '-') {
            const auto eq = arg.find('=');
            option = FindLong(arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2));
            if (eq != std::string::npos)
                value = arg.substr(eq + 1);
        } else {
            option = FindShort(arg[1]);
            if (arg.size() > 2)
                value = arg.substr(2);
        }
        if (!option) {
            result.error = "unknown option '" + arg + "'";
            return result;
        }
        const std::string name = option->longName;
        if (option->takesValue && !value) {
            if (i + 1 >= args.size()) {
                result.error = "option --" + name + " needs a value";
                return result;
            }
            value = args[++i];
        } else if (!option->takesValue && value) {
            result.error = "option --" + name + " takes no value";
            return result;
        }
        result.error = Store(out, name, value.value_or(""));
        if (!result.error.empty())
            return result;
    }
    if (!out.help && !out.version && out.inputs.empty())
        result.error = "no pictures given";
    else if (out.quality && out.targetKB)
        result.error = "--quality and --target-size exclude each other";
    return result;
}

bool ApplyCliOptions(const CliOptions& o, ResizeSettings& settings, std::string& error)
{
    if (o.mode)
        settings.SetResizeMode(*o.mode);
    if (o.unit)
        settings.SetSizeUnit(*o.unit);
    const ResizeMode mode = settings.GetResizeMode();
    if (mode == RestrictWidth && o.height) {
        error = "--mode width takes --width only: the height follows it";
        return false;
    }
    if (mode == RestrictHeight && o.width) {
        error = "--mode height takes --height only: the width follows it";
        return false;
    }
    const bool pixels = settings.GetSizeUnit() == Pixel;
    for (const auto& [given, name] : { std::pair { o.width, "--width" }, std::pair { o.height, "--height" } }) {
        if (given && pixels && *given != std::floor(*given)) {
            error = std::string(name) + " in pixels is a whole number";
            return false;
        }
    }
    if (o.width)
        settings.SetWidthValue(static_cast<float>(*o.width), CurrentUnit);
    if (o.height)
        settings.SetHeightValue(static_cast<float>(*o.height), CurrentUnit);
    if (o.quality) {
        settings.SetCompressionChoice(CompressQuality);
        settings.SetQuality(*o.quality);
    }
    if (o.targetKB) {
        settings.SetCompressionChoice(CompressTargetSize);
        settings.SetTargetSizeKB(*o.targetKB);
    }
    if (o.extension) {
        settings.SetOutputExtension(*o.extension);
        // As the window's format box does: other formats use their own encoding.
        const FormatRow* format = FindWrittenFormat(*o.extension);
        if (!format || !format->takesQuality)
            settings.SetCompressionChoice(CompressFormatDefault);
    }
    settings.SetOverwriteExisting(o.overwrite);
    return true;
}

std::string CliUsage()
{
    std::string scanned;
    for (const std::string_view extension : GetReadExtensions())
        scanned += (scanned.empty() ? "" : " ") + std::string(extension);
    // The help reads as it prints.
    // clang-format off
    return R"(Usage: kestrova-cli [options] FILE|FOLDER ...

Resizes and re-encodes pictures, one output file per picture. A folder is
scanned for )" + scanned + R"( files (not its sub-folders);
files are taken as given.

  -o, --output DIR        output folder, created if missing
                          (default: Da Varozez Evozer in the documents folder)
  -m, --mode MODE         scaled (default), fixed, width or height:
                          scaled and fixed set both sides, width and height set
                          one side and keep the proportions
  -u, --unit UNIT         percent (default with scaled) or pixel
  -w, --width N           width in the unit (decimals allowed in percent)
  -H, --height N          height in the unit
  -q, --quality N         JPEG quality 1..100 (default 70)
  -s, --target-size KB    highest JPEG quality whose file fits in KB kilobytes
  -f, --format FMT        )" + WrittenFormatNames(" (default)") + R"(
      --overwrite         replace existing files instead of numbering new ones
  -r, --report FILE       write a CSV line per picture to FILE
      --quiet             print errors only
  -h, --help              show this help
  -V, --version           show the version

The options apply in the order mode, unit, width, height, as in the window.
Exit status: 0 every picture written, 1 some failed, 2 bad usage,
130 stopped by Ctrl+C (after the picture in progress).
)";
    // clang-format on
}

} // namespace cli
