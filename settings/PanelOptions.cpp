#include "settings/PanelOptions.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <optional>

#include "files/PathUtil.h"
#include "imaging/PictureFormat.h"

PanelOptions CapturePanelOptions(const ResizeSettings& settings)
{
    return { settings.GetDimensions(), settings.GetCompression(), settings.GetOutputExtension(),
        settings.GetOverwriteExisting(), settings.GetOutputOptions() };
}

void ApplyPanelOptions(const PanelOptions& options, ResizeSettings& settings)
{
    settings.SetDimensions(options.dimensions);
    settings.SetCompression(options.compression);
    if (FindWrittenFormat(options.extension))
        settings.SetOutputExtension(options.extension);
    settings.SetOverwriteExisting(options.overwrite);
    settings.SetOutputOptions(options.options);
}

namespace {

// One key: how its field is written, and how it is read back.
struct Field {
    const char* key;
    std::function<std::string(const PanelOptions&)> write;
    std::function<bool(const std::string&, PanelOptions&)> read; // false: unreadable, the field untouched
    std::function<std::string()> expected;
};

template <class Words>
std::string JoinWords(const Words& words)
{
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + std::string(words[i]);
    return text;
}

// Digits only, within lo..hi.
std::optional<std::int32_t> ParseInt(const std::string& text, std::int32_t lo, std::int32_t hi)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long long v = std::stoll(text);
    return v >= lo && v <= hi ? std::optional<std::int32_t>(static_cast<std::int32_t>(v)) : std::nullopt;
}

// `at` gives the field of a record, const or not.
template <class At>
Field IntField(const char* key, At at, std::int32_t lo, std::int32_t hi)
{
    return { key, [at](const PanelOptions& o) { return std::to_string(at(o)); },
        [at, lo, hi](const std::string& text, PanelOptions& o) {
            const auto v = ParseInt(text, lo, hi);
            if (v)
                at(o) = *v;
            return v.has_value();
        },
        [lo, hi] { return "a whole number from " + std::to_string(lo) + " to " + std::to_string(hi); } };
}

template <class At>
Field BoolField(const char* key, At at)
{
    return { key, [at](const PanelOptions& o) { return std::string(at(o) ? "TRUE" : "FALSE"); },
        [at](const std::string& text, PanelOptions& o) {
            const std::string word = ToLowerAscii(text);
            if (word != "true" && word != "false")
                return false;
            at(o) = word == "true";
            return true;
        },
        [] { return std::string("TRUE or FALSE"); } };
}

// A field stored as one of a few words, the word's position being the value.
template <class At>
Field WordField(const char* key, At at, std::vector<std::string> words, std::string what)
{
    return { key,
        [at, words](const PanelOptions& o) {
            const std::int32_t v = at(o);
            return v >= 0 && v < static_cast<std::int32_t>(words.size()) ? words[static_cast<std::size_t>(v)]
                                                                         : words.front();
        },
        [at, words](const std::string& text, PanelOptions& o) {
            const auto found = std::ranges::find(words, ToLowerAscii(text));
            if (found == words.end())
                return false;
            at(o) = static_cast<std::int32_t>(found - words.begin());
            return true;
        },
        [words, what] { return what + " (" + JoinWords(words) + ")"; } };
}

std::vector<std::string> ModeWords()
{
    std::vector<std::string> words;
    for (int m = 0; m < ResizeModeCount; ++m)
        words.emplace_back(ResizeModeName(static_cast<ResizeMode>(m)));
    return words;
}

#define AT(expr)                                                                                                       \
    [](auto& o) -> auto& { return o.expr; }

const std::vector<Field>& Fields()
{
    static const std::vector<Field> fields = [] {
        constexpr std::int32_t Max = INT32_MAX;
        std::vector<Field> f {
            WordField("MODE", AT(dimensions.mode), ModeWords(), "a mode this version knows"),
            // Stored as the enum's order: Percent, Pixel.
            WordField("UNIT", AT(dimensions.unit), { "percent", "pixel" }, "a unit"),
            IntField("WIDTH_PIXELS", AT(dimensions.widthPixels), 0, Max),
            IntField("HEIGHT_PIXELS", AT(dimensions.heightPixels), 0, Max),
            IntField("WIDTH_PERCENT_HUNDREDTHS", AT(dimensions.widthPercent), 0, Max),
            IntField("HEIGHT_PERCENT_HUNDREDTHS", AT(dimensions.heightPercent), 0, Max),
            IntField("REFERENCE_WIDTH", AT(dimensions.referenceWidth), 0, Max),
            IntField("REFERENCE_HEIGHT", AT(dimensions.referenceHeight), 0, Max),
            WordField("COMPRESSION", AT(compression.choice), { "quality", "target-size", "format-default" },
                "a compression choice"),
            IntField("QUALITY", AT(compression.quality), 1, 100),
            IntField("TARGET_SIZE_KB", AT(compression.targetSizeKB), 1, ResizeSettings::MaxTargetSizeKB),
        };
        // The format by its extension, without the dot; read with or without it.
        f.push_back({ "FORMAT", [](const PanelOptions& o) { return o.extension.substr(o.extension.starts_with('.')); },
            [](const std::string& text, PanelOptions& o) {
                const std::string extension = "." + ToLowerAscii(text.starts_with('.') ? text.substr(1) : text);
                if (!FindWrittenFormat(extension))
                    return false;
                o.extension = extension;
                return true;
            },
            [] {
                std::vector<std::string> names;
                for (const FormatRow* row : GetWrittenFormats())
                    names.emplace_back(row->extension.substr(1));
                return "a format this version writes (" + JoinWords(names) + ")";
            } });
        f.push_back(BoolField("OVERWRITE", AT(overwrite)));
        // The first five under the names the previous version gave them in SETTING_INFO.
        f.push_back(BoolField("DO_NOT_ENLARGE", AT(options.doNotEnlarge)));
        f.push_back(BoolField("KEEP_TRANSPARENCY", AT(options.keepAlpha)));
        f.push_back(BoolField("LOSSLESS", AT(options.lossless)));
        f.push_back(BoolField("SHRINK_TO_FIT", AT(options.shrinkToFit)));
        f.push_back(IntField("MIN_QUALITY", AT(options.minQuality), 1, 100));
        f.push_back(BoolField("SKIP_EXISTING", AT(options.skipExisting)));
        f.push_back(BoolField("SKIP_LARGER", AT(options.skipLarger)));
        f.push_back(BoolField("KEEP_METADATA", AT(options.keepMetadata)));
        f.push_back(BoolField("STRIP_GPS", AT(options.stripGps)));
        f.push_back(BoolField("KEEP_DATES", AT(options.keepDates)));
        f.push_back(BoolField("INCLUDE_SUBFOLDERS", AT(options.includeSubfolders)));
        f.push_back(BoolField("KEEP_TREE", AT(options.keepTree)));
        return f;
    }();
    return fields;
}

#undef AT

} // namespace

PanelOptionsEntries WritePanelOptionsEntries(const PanelOptions& options)
{
    PanelOptionsEntries entries;
    for (const Field& field : Fields())
        entries.emplace_back(field.key, field.write(options));
    return entries;
}

std::vector<PanelOptionsProblem> ReadPanelOptionsEntries(const PanelOptionsEntries& entries, PanelOptions& options)
{
    std::vector<PanelOptionsProblem> problems;
    for (const Field& field : Fields()) {
        const auto found = std::ranges::find_if(
            entries, [&](const auto& e) { return ToLowerAscii(e.first) == ToLowerAscii(field.key); });
        if (found != entries.end() && !field.read(found->second, options))
            problems.push_back({ field.key, found->second, field.expected() });
    }
    return problems;
}
