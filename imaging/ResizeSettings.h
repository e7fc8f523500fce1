#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "imaging/PictureFormat.h"

// Their numbers are the ones stored and the positions in the option combo boxes;
// the records below keep them as plain integers, the functions take the enums.
// Fit in Box takes both values as the box; Long Edge and Short Edge take the width value as
// the length of that edge. These three are always in pixels.
enum ResizeMode : int {
    ScaledImage = 0,
    FixImage = 1,
    RestrictWidth = 2,
    RestrictHeight = 3,
    FitInBox = 4,
    LongEdge = 5,
    ShortEdge = 6,
};
inline constexpr int ResizeModeCount = 7;
// The modes whose values are pixels whatever the unit says.
inline bool IsPixelOnlyMode(ResizeMode mode) { return mode == FitInBox || mode == LongEdge || mode == ShortEdge; }
// The words the converter's --mode and the settings file use: "scaled", "fixed", "width", "height",
// "box", "long-edge", "short-edge". Lookup ignores ASCII case.
std::string_view ResizeModeName(ResizeMode mode);
std::optional<ResizeMode> FindResizeMode(std::string_view name);
enum SizeUnit : int { Percent = 0, Pixel = 1, CurrentUnit = 2 };
enum CompressionChoice : int { CompressQuality = 0, CompressTargetSize = 1, CompressFormatDefault = 2 };

struct ResizeDimensions {
    std::int32_t mode = ScaledImage;
    std::int32_t unit = Percent;
    std::int32_t widthPixels = 800;
    std::int32_t heightPixels = 600;
    std::int32_t widthPercent = 10000; // hundredths of a percent
    std::int32_t heightPercent = 10000;
    std::int32_t referenceWidth = 800;
    std::int32_t referenceHeight = 600;
    bool operator==(const ResizeDimensions&) const = default;
};

struct CompressionSettings {
    std::int32_t choice = CompressQuality;
    std::int32_t quality = 70;
    std::int32_t targetSizeKB = 100;
    bool operator==(const CompressionSettings&) const = default;
};

// Options beside the classic ones; all off by default, so a run without them is as before.
struct OutputOptions {
    bool doNotEnlarge = false;   // a computed size larger than the picture in either side keeps the picture's size
    bool keepAlpha = false;      // formats that hold alpha keep it; the others are flattened onto white
    bool lossless = false;       // for the formats that offer it (FormatRow::offersLossless)
    bool shrinkToFit = false;    // target size: lower the dimensions when the lowest quality is still too large
    std::int32_t minQuality = 1; // target size: the lowest quality the search may use
    bool skipExisting = false;   // without overwrite: an output whose name is taken is not written
    bool skipLarger = false;     // an output larger in bytes than its source is not written
    bool keepMetadata = false;   // EXIF, XMP, IPTC and the ICC profile go to the formats that carry them
    bool stripGps = false;       // with keepMetadata: every location field is left out
    bool keepDates = false;      // the output's modification time is its source's
    // Read when pictures are added, not by the conversion.
    bool includeSubfolders = false; // a folder added brings its sub-folders' pictures
    bool keepTree = false;          // each output goes to its source's folder relative to the folder added
    bool operator==(const OutputOptions&) const = default;
};

struct OutputFolderSettings {
    std::string folder;
    bool openFolderAfterRun = false;
};

// The options of a conversion run. Every setter re-derives the other unit and, in
// the restricting modes, the other axis, so switching units or modes keeps what
// the user meant. Owned by ImageBatch; used on the interface thread only (a job
// reads a snapshot when it starts).
class ResizeSettings {
public:
    void SetResizeMode(ResizeMode mode);
    ResizeMode GetResizeMode() const { return static_cast<ResizeMode>(m_dimensions.mode); }
    void SetSizeUnit(SizeUnit unit);
    SizeUnit GetSizeUnit() const { return static_cast<SizeUnit>(m_dimensions.unit); }

    // selector: Percent, Pixel or CurrentUnit. Percent values are in percent (50.0).
    double GetWidthValue(SizeUnit selector) const;
    double GetHeightValue(SizeUnit selector) const;
    void SetWidthValue(float value, SizeUnit selector);
    void SetHeightValue(float value, SizeUnit selector);
    void SetReferenceWidth(std::int32_t width);
    void SetReferenceHeight(std::int32_t height);
    void ResetDimensions() { m_dimensions = ResizeDimensions {}; }
    const ResizeDimensions& GetDimensions() const { return m_dimensions; }
    // Puts back dimensions as GetDimensions gave them. Anything the setters could not have made is
    // mended: an unknown mode is Scaled Image, the unit is the one the mode implies, negative sizes are 0.
    void SetDimensions(const ResizeDimensions& dimensions);

    void SetCompressionChoice(CompressionChoice choice) { m_compression.choice = choice; }
    CompressionChoice GetCompressionChoice() const { return static_cast<CompressionChoice>(m_compression.choice); }
    void SetQuality(std::int32_t quality);
    std::int32_t GetQuality() const { return m_compression.quality; }
    void SetTargetSizeKB(std::int32_t kb) { m_compression.targetSizeKB = kb; }
    std::int32_t GetTargetSizeKB() const { return m_compression.targetSizeKB; }
    const CompressionSettings& GetCompression() const { return m_compression; }
    // An unknown choice is the quality; quality 1..100 and target size 1..MaxTargetSizeKB are clamped.
    void SetCompression(const CompressionSettings& compression);
    static constexpr std::int32_t MaxTargetSizeKB = 1048576;

    void SetDoNotEnlarge(bool on) { m_options.doNotEnlarge = on; }
    bool GetDoNotEnlarge() const { return m_options.doNotEnlarge; }
    void SetKeepAlpha(bool on) { m_options.keepAlpha = on; }
    bool GetKeepAlpha() const { return m_options.keepAlpha; }
    void SetLossless(bool on) { m_options.lossless = on; }
    bool GetLossless() const { return m_options.lossless; }
    void SetShrinkToFit(bool on) { m_options.shrinkToFit = on; }
    bool GetShrinkToFit() const { return m_options.shrinkToFit; }
    void SetMinQuality(std::int32_t quality);
    std::int32_t GetMinQuality() const { return m_options.minQuality; }
    const OutputOptions& GetOutputOptions() const { return m_options; }
    void SetOutputOptions(const OutputOptions& options);

    void SetOutputFolder(const std::string& folder) { m_output.folder = folder; }
    std::string GetOutputFolder() const { return m_output.folder; }
    void SetOpenFolderAfterRun(bool open) { m_output.openFolderAfterRun = open; }
    bool GetOpenFolderAfterRun() const { return m_output.openFolderAfterRun; }
    void SetOutputExtension(const std::string& extension) { m_outputExtension = extension; }
    std::string GetOutputExtension() const { return m_outputExtension; }
    void SetOverwriteExisting(bool overwrite) { m_overwriteExisting = overwrite; }
    bool GetOverwriteExisting() const { return m_overwriteExisting; }

private:
    // One axis of the dimensions, so the width rules serve the height mirrored.
    struct Axis {
        std::int32_t& pixels;
        std::int32_t& percent;
        std::int32_t& reference;
        std::int32_t& otherPixels;
        std::int32_t& otherPercent;
        std::int32_t& otherReference;
        ResizeMode restrictMode; // the mode in which the other axis follows this one
        std::int32_t defaultReference;
    };
    Axis WidthAxis();
    Axis HeightAxis();
    static double ValueOf(std::int32_t pixels, std::int32_t percent, SizeUnit unit);
    void SetValue(const Axis& axis, float value, SizeUnit selector);
    void SetReference(const Axis& axis, std::int32_t reference);
    void FollowOtherAxis(const Axis& axis, SizeUnit unit);
    SizeUnit ResolveUnit(SizeUnit selector) const;

    ResizeDimensions m_dimensions;
    CompressionSettings m_compression;
    OutputOptions m_options;
    OutputFolderSettings m_output;
    std::string m_outputExtension { GetFormatTable().front().extension };
    bool m_overwriteExisting = false;
};

// The size one picture gets from the options.
struct TargetSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool resample = false; // false: the picture keeps its size
};

// w and h are the current-unit values of the options, as single-precision floats; the
// pixel-only modes read them as pixels whatever the unit. With doNotEnlarge, a size
// larger than the picture in either side becomes the picture's own (not resampled).
TargetSize ComputeTargetSize(std::uint32_t width, std::uint32_t height, ResizeMode mode, SizeUnit unit, float w,
    float h, bool doNotEnlarge = false);

// Rounding as the options define it, on doubles; out-of-range values saturate.
std::int32_t Truncate32(double value);
inline std::int32_t Round32(double value) { return Truncate32(value + 0.5); }
inline std::int32_t PercentRound32(double value) { return Truncate32(value + 0.55); }
