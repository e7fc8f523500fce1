#include "cli/CliOptions.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>
#include <tuple>

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

// The written formats that take a quality ("jpg, jpeg, webp, ...") or that offer lossless.
std::string QualityFormatNames(bool lossless)
{
    std::string text;
    for (const FormatRow* row : GetWrittenFormats())
        if (lossless ? row->offersLossless : row->takesQuality)
            text += (text.empty() ? "" : ", ") + std::string(row->extension.substr(1));
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
    { "resize", 0, true },
    { "long-edge", 0, true },
    { "short-edge", 0, true },
    { "no-enlarge", 0, false },
    { "keep-alpha", 0, false },
    { "lossless", 0, false },
    { "shrink-to-fit", 0, false },
    { "min-quality", 0, true },
    { "overwrite", 0, false },
    { "if-exists", 0, true },
    { "skip-larger", 0, false },
    { "keep-metadata", 0, false },
    { "strip-gps", 0, false },
    { "keep-dates", 0, false },
    { "recursive", 'R', false },
    { "keep-tree", 0, false },
    { "dry-run", 0, false },
    { "report", 'r', true },
    { "report-format", 0, true },
    { "files-from", 0, true },
    { "null", '0', false },
    { "base", 0, true },
    { "shard", 0, true },
    { "quiet", 0, false },
    { "jobs", 'j', true },
    { "preset", 0, true },
    { "save-preset", 0, true },
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
    else if (name == "overwrite") {
        out.overwrite = true;
        out.overwriteConfirmed = true;
        out.skipExisting = false;
        out.existsRuleGiven = true;
    } else if (name == "quiet")
        out.quiet = true;
    else if (name == "skip-larger")
        out.skipLarger = true;
    else if (name == "keep-metadata")
        out.keepMetadata = true;
    else if (name == "strip-gps")
        out.stripGps = true;
    else if (name == "keep-dates")
        out.keepDates = true;
    else if (name == "recursive")
        out.recursive = true;
    else if (name == "keep-tree")
        out.keepTree = true;
    else if (name == "dry-run")
        out.dryRun = true;
    else if (name == "if-exists") {
        const std::string rule = ToLowerAscii(value);
        if (rule != "number" && rule != "overwrite" && rule != "skip")
            return bad + " (number, overwrite or skip)";
        // The last word counts, --overwrite included.
        out.overwrite = rule == "overwrite";
        out.skipExisting = rule == "skip";
        out.existsRuleGiven = true;
    } else if (name == "no-enlarge")
        out.noEnlarge = true;
    else if (name == "keep-alpha")
        out.keepAlpha = true;
    else if (name == "lossless")
        out.lossless = true;
    else if (name == "shrink-to-fit")
        out.shrinkToFit = true;
    else if (name == "resize") {
        std::string why;
        out.resize = ParseGeometry(value, why);
        if (!out.resize)
            return bad + " (" + why + "; e.g. 800x600, 800x, x600, 800x600!, 50%, 1600x1600>)";
    } else if (name == "long-edge" || name == "short-edge") {
        const auto v = ParseInteger(value, 1, static_cast<int>(kMaxSize));
        if (!v)
            return bad + " (a whole number of pixels, more than zero)";
        (name == "long-edge" ? out.longEdge : out.shortEdge) = v;
    } else if (name == "jobs") {
        out.jobs = ParseInteger(value, 1, 256);
        if (!out.jobs)
            return bad + " (a number of pictures, 1..256)";
    } else if (name == "min-quality") {
        out.minQuality = ParseInteger(value, 1, 100);
        if (!out.minQuality)
            return bad + " (a whole number from 1 to 100)";
    } else if (name == "output")
        out.output = value;
    else if (name == "report")
        out.report = value;
    else if (name == "report-format") {
        const std::string format = ToLowerAscii(value);
        if (format != "csv" && format != "jsonl")
            return bad + " (csv or jsonl)";
        out.reportJsonl = format == "jsonl";
    } else if (name == "files-from")
        out.filesFrom.push_back(value);
    else if (name == "null")
        out.nulSeparated = true;
    else if (name == "base")
        out.base = value;
    else if (name == "shard") {
        out.shard = ParseShard(value);
        if (!out.shard)
            return bad + " (K/N: part K of N, counted from 0, so 0 <= K < N)";
    } else if (name == "preset" || name == "save-preset")
        (name == "preset" ? out.preset : out.savePreset) = value;
    else if (name == "mode") {
        out.mode = FindResizeMode(value);
        if (!out.mode)
            return bad + " (scaled, fixed, width, height, box, long-edge or short-edge)";
    } else if (name == "unit") {
        out.unit = Choice<SizeUnit>(value, { { "percent", Percent }, { "pixel", Pixel } });
        if (!out.unit)
            return bad + " (percent or pixel)";
    } else if (name == "width" || name == "height") {
        const bool percent = value.ends_with('%'), px = value.ends_with("px");
        const auto v = ParseNumber(value.substr(0, value.size() - (percent ? 1 : px ? 2 : 0)));
        if (!v || *v <= 0 || *v > kMaxSize)
            return bad + " (a positive number, with % or px if you like)";
        const bool width = name == "width";
        (width ? out.width : out.height) = *v;
        (width ? out.widthPercent : out.heightPercent) = percent;
        (width ? out.widthPixelSuffix : out.heightPixelSuffix) = px;
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
    if (!out.help && !out.version && !out.savePreset && out.inputs.empty() && out.filesFrom.empty())
        result.error = "no pictures given";
    else if (out.quality && out.targetKB)
        result.error = "--quality and --target-size exclude each other";
    else if (out.lossless && out.targetKB)
        result.error = "--lossless and --target-size exclude each other: a lossless file has no quality to lower";
    // A preset may hold the target size.
    else if (out.shrinkToFit && !out.targetKB && !out.preset)
        result.error = "--shrink-to-fit needs --target-size";
    else if (out.minQuality && !out.targetKB && !out.preset)
        result.error = "--min-quality needs --target-size";
    else if (std::ranges::count(out.filesFrom, "-") > 1)
        result.error = "--files-from -: standard input can be read once";
    else if (out.nulSeparated && out.filesFrom.empty())
        result.error = "-0 needs --files-from";
    if (!result.error.empty())
        return result;
    // One way of giving the size.
    std::vector<std::string> ways;
    if (out.resize)
        ways.push_back("--resize");
    if (out.longEdge)
        ways.push_back("--long-edge");
    if (out.shortEdge)
        ways.push_back("--short-edge");
    if (out.mode || out.unit || out.width || out.height)
        ways.push_back(out.mode ? "--mode" : out.unit ? "--unit" : out.width ? "--width" : "--height");
    if (ways.size() > 1)
        result.error = ways[0] + " and " + ways[1] + " exclude each other: give the size one way";
    return result;
}

namespace {

void ApplyGeometry(const Geometry& g, ResizeSettings& settings)
{
    settings.SetResizeMode(g.mode);
    settings.SetSizeUnit(g.unit);
    if (g.width > 0)
        settings.SetWidthValue(static_cast<float>(g.width), CurrentUnit);
    if (g.height > 0)
        settings.SetHeightValue(static_cast<float>(g.height), CurrentUnit);
    if (g.noEnlarge)
        settings.SetDoNotEnlarge(true);
}

// --width and --height without --mode and --unit: pixels (or "%"), the proportions kept.
bool ApplySides(const CliOptions& o, ResizeSettings& settings, std::string& error)
{
    std::optional<GeometrySide> width, height;
    for (const auto& [given, percent, side, name] : { std::tuple { o.width, o.widthPercent, &width, "--width" },
             std::tuple { o.height, o.heightPercent, &height, "--height" } }) {
        if (!given)
            continue;
        if (!percent && *given != std::floor(*given)) {
            error = std::string(name) + " in pixels is a whole number";
            return false;
        }
        *side = GeometrySide { *given, percent };
    }
    const std::optional<Geometry> g = MakeGeometry(width, height, false, error);
    if (!g) {
        error = "--width and --height: " + error;
        return false;
    }
    ApplyGeometry(*g, settings);
    return true;
}

bool ApplyFormatOptions(const CliOptions& o, ResizeSettings& settings, std::string& error)
{
    const FormatRow* format = FindWrittenFormat(o.extension.value_or(settings.GetOutputExtension()));
    const std::string name = format ? std::string(format->extension.substr(1)) : "this format";
    if (o.targetKB && format && !format->takesQuality) {
        error = "--target-size: " + name + " has no quality to lower (" + QualityFormatNames(false) + " have)";
        return false;
    }
    if (o.lossless && format && !format->offersLossless) {
        error = "--lossless: " + name + " has no lossless mode (" + QualityFormatNames(true) + " have)";
        return false;
    }
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
        if (!format || !format->takesQuality)
            settings.SetCompressionChoice(CompressFormatDefault);
        else if (settings.GetCompressionChoice() == CompressFormatDefault)
            settings.SetCompressionChoice(CompressQuality); // from a preset's format without a quality
    }
    if (o.existsRuleGiven)
        settings.SetOverwriteExisting(o.overwrite);
    if (o.minQuality)
        settings.SetMinQuality(*o.minQuality);
    // Switches only turn on: off is the default, or the preset's choice.
    OutputOptions options = settings.GetOutputOptions();
    options.keepAlpha |= o.keepAlpha;
    options.lossless |= o.lossless;
    options.shrinkToFit |= o.shrinkToFit;
    options.skipLarger |= o.skipLarger;
    options.includeSubfolders |= o.recursive;
    options.keepTree |= o.keepTree;
    if (o.existsRuleGiven)
        options.skipExisting = o.skipExisting;
    options.keepMetadata |= o.keepMetadata;
    // Alone it changes nothing: without keepMetadata no location is kept anyway.
    options.stripGps |= o.stripGps;
    options.keepDates |= o.keepDates;
    settings.SetOutputOptions(options);
    return true;
}

} // namespace

bool ApplyCliOptions(const CliOptions& o, ResizeSettings& settings, std::string& error)
{
    if (!ApplyFormatOptions(o, settings, error))
        return false;
    if (o.noEnlarge)
        settings.SetDoNotEnlarge(true);
    if (o.resize) {
        ApplyGeometry(*o.resize, settings);
        return true;
    }
    if (o.longEdge || o.shortEdge) {
        settings.SetResizeMode(o.longEdge ? LongEdge : ShortEdge);
        settings.SetWidthValue(static_cast<float>(o.longEdge ? *o.longEdge : *o.shortEdge), Pixel);
        return true;
    }
    if (!o.mode && !o.unit)
        return !(o.width || o.height) || ApplySides(o, settings, error);
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
    if ((mode == LongEdge || mode == ShortEdge) && o.height) {
        error = "--mode " + std::string(mode == LongEdge ? "long-edge" : "short-edge")
            + " takes --width only: the edge's length";
        return false;
    }
    const bool pixels = settings.GetSizeUnit() == Pixel;
    for (const auto& [given, name] : { std::pair { o.width, "--width" }, std::pair { o.height, "--height" } }) {
        if (given && pixels && *given != std::floor(*given)) {
            error = std::string(name) + " in pixels is a whole number";
            return false;
        }
    }
    for (const auto& [percent, px, name] : { std::tuple { o.widthPercent, o.widthPixelSuffix, "--width" },
             std::tuple { o.heightPercent, o.heightPixelSuffix, "--height" } }) {
        if ((percent && pixels) || (px && !pixels)) {
            error = std::string(name) + " is given in " + (percent ? "percent" : "pixels") + " but the unit is "
                + (pixels ? "pixel" : "percent");
            return false;
        }
    }
    if (o.width)
        settings.SetWidthValue(static_cast<float>(*o.width), CurrentUnit);
    if (o.height)
        settings.SetHeightValue(static_cast<float>(*o.height), CurrentUnit);
    return true;
}

std::string CliUsage()
{
    // The scanned extensions, wrapped as the help is.
    std::string scanned = "A folder is scanned for";
    std::size_t lineStart = 0;
    for (const std::string_view extension : GetReadExtensions()) {
        if (scanned.size() - lineStart + 1 + extension.size() > 78) {
            scanned += '\n';
            lineStart = scanned.size();
        } else {
            scanned += ' ';
        }
        scanned += extension;
    }
    // The help reads as it prints.
    // clang-format off
    return R"(Usage: kestrova-cli [options] FILE|FOLDER ...

Resizes and re-encodes pictures, one output file per picture.
)" + scanned + R"( files (with -R, its sub-folders
too: each folder's own files first, then its sub-folders, by name; hidden
folders are left out); files are taken as given.

Common jobs:
  kestrova-cli --width 800 photos/            800 px wide, proportions kept
  kestrova-cli --resize '1600x1600>' *.jpg    fit in 1600 x 1600, never enlarge
  kestrova-cli --format webp -q 80 *.png      WebP at quality 80
  kestrova-cli --target-size 200 photo.jpg    at most 200 KB
  kestrova-cli --long-edge 2048 --format avif --keep-alpha logo.png
  kestrova-cli -R --keep-tree --if-exists skip -o web photos/
                                              a tree, its folders mirrored,
                                              pictures done before left alone
  kestrova-cli --files-from list.txt --base photos --shard 0/2 --keep-tree \
      --if-exists skip -o web                 the first half of a listed tree

Size:
      --resize GEOMETRY   800x600 fits inside the box, 800x (or 800) sets the
                          width, x600 the height (proportions kept), 800x600!
                          is exactly that size, 50% scales both sides, 60%x40%
                          each; a trailing > never enlarges
      --long-edge N       the longer side becomes N pixels
      --short-edge N      the shorter side becomes N pixels
  -w, --width N           without --mode and --unit: pixels (800 or 800px) or
                          percent (50%), proportions kept; with --height too,
                          the picture fits inside width x height
  -H, --height N          likewise for the height
      --no-enlarge        never make a picture larger than it is
  -m, --mode MODE         scaled, fixed, width, height, box, long-edge or
                          short-edge, as in the window: scaled and fixed set
                          both sides, width and height set one side and keep
                          the proportions; box, long-edge and short-edge are in
                          pixels (the edges take their length as --width)
  -u, --unit UNIT         percent (default with scaled) or pixel; with --mode
                          or --unit, --width and --height are in that unit

Output:
  -o, --output DIR        output folder, created if missing
                          (default: Da Varozez Evozer in the documents folder)
  -f, --format FMT        )" + WrittenFormatNames(" (default)") + R"(
  -q, --quality N         quality 1..100 (default 70) for jpg, webp, avif, jxl,
                          heic
      --lossless          lossless webp or jxl
      --keep-alpha        keep transparency (png, tif, gif, webp, avif, jxl,
                          heic); jpg, bmp and pcx are flattened onto white
  -s, --target-size KB    highest quality whose file fits in KB kilobytes
                          (formats with a quality only)
      --min-quality Q     with --target-size: never below quality Q
      --shrink-to-fit     with --target-size: when the lowest quality is still
                          too large, make the picture smaller until it fits
      --overwrite         replace existing files instead of numbering new ones
      --if-exists RULE    when an output's name is taken: number (default:
                          photo(0).jpg), overwrite or skip (leave it alone,
                          report the picture as skipped); a run that would
                          replace its own pictures needs --overwrite itself
      --skip-larger       write nothing when the output would be larger in
                          bytes than its source
      --keep-metadata     keep EXIF, XMP, IPTC and the colour profile where the
                          format holds them (jpg, png, tif, webp, avif, heic;
                          jxl the profile only); default: none is kept
      --strip-gps         with --keep-metadata: leave out every location field
      --keep-dates        give each output its source's modification time
  -R, --recursive         scan folders with their sub-folders
      --keep-tree         with -R: each output at the same place under the
                          output folder as its source under the folder given
                          (with --base: under that folder)
      --dry-run           print where each picture would go, and outputs that
                          collide or replace a source; write nothing
      --preset NAME       start from the options of a preset saved in the
                          window or with --save-preset; the options given
                          change only what they name
      --save-preset NAME  save the options given (after --preset) as a
                          preset; without pictures, save it and stop
  -r, --report FILE       write a CSV line per picture to FILE; - writes it to
                          standard output (the progress lines then go to
                          standard errors)
      --report-format FMT
                          csv (default) or jsonl: a JSON object a line, with
                          the shard, the host and the seconds each picture
                          took; a byte that is not UTF-8 is written as \u00XX
                          of that byte; the reports of all shards concatenate
                          into one JSONL file

Lists and shards (one run shared out over machines or tasks):
      --files-from FILE   convert the pictures listed in FILE (- for standard
                          input, read to its end first), one path a line;
                          relative paths are relative to FILE's folder; a
                          picture listed twice is converted once
  -0, --null              the list's paths end with NUL, as find -print0
      --base DIR          with --keep-tree, each output goes under the output
                          folder at its source's place under DIR (a picture
                          outside DIR fails); the shard keys are those places
      --shard K/N         convert part K of N (0 <= K < N): the pictures whose
                          path (under --base, else as given) hashes to K
                          modulo N (64-bit FNV-1a of its bytes); the N parts
                          take every picture once, and adding pictures never
                          moves the others; numbered names are refused:
                          give --keep-tree --if-exists skip, and a rerun
                          converts only what is missing

Run:
  -j, --jobs N            pictures converted side by side (default: one per
                          processor core; 1 for one at a time)
      --quiet             print errors only
  -h, --help              show this help
  -V, --version           show the version

Exit status: 0 every picture written (or skipped), 1 some failed or missed
the target size (with --dry-run: a collision or a replaced source), 2 bad
usage, 130 stopped by Ctrl+C (after the pictures in progress).
)";
    // clang-format on
}

} // namespace cli
