#pragma once

// What the three Picture sources share: the handle behind a Picture and the helpers
// around the image library. Only Picture*.cpp include this; everything else goes
// through Picture.h, which knows nothing of the library.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <vips/vips8>

#include "imaging/LibraryErrors.h"
#include "imaging/Picture.h"

namespace picture_impl {

using vips::VImage;

// Clears the library's error buffer and returns its message on one line.
std::string TakeVipsError(const vips::VError& e);

// 8-bit sRGB with three bands, or four with alpha.
VImage ToSrgb(VImage img);
// 8-bit, three bands, alpha flattened onto white.
VImage Flatten(VImage img);

// Set by ToSrgb on a picture whose embedded colour profile could not be read.
inline constexpr const char* kIccDamaged = "kestrova-icc-damaged";
// The picture on a header of its own whose metadata fits an output in the format that keeps it:
// EXIF for upright pixels of this size (imaging/Metadata.h), with stripGps no location in EXIF or XMP,
// and nothing a JPEG segment cannot hold. What could not be kept is left out and said in warning.
VImage KeepMetadata(VImage img, PictureFormat format, bool stripGps, std::string& warning);
// The picture on a header of its own without any metadata, for writers that would keep some
// whatever they are told (this library's WebP writer does).
VImage WithoutMetadata(VImage img);

// Opens the file of exactly this name with the loader ("jpegload"), the options
// given as arguments: the library would read a trailing "[...]" of a name as options.
VImage OpenExact(const std::string& path, const std::string& loader, vips::VOption* options);

bool OverLimit(std::uint64_t w, std::uint64_t h);
std::string TooLarge(std::uint64_t w, std::uint64_t h);

inline constexpr const char* kDamaged = "damaged: only part of the picture could be read";
inline constexpr const char* kNothingDecoded = "damaged: none of the picture could be read";

// True when the library's error buffer holds a message.
bool LibraryErrorPending();

// The pipeline computed into memory, like VImage::copy_memory; under a StopScope whose flag
// turns true the computation ends early, throwing like any failure.
VImage ComputeInMemory(VImage in);
// The same for a pipeline an encoder pulls rows through: while the watch lives, the computation
// of `image` (made a node of its own) ends early once this thread's StopScope flag turns true.
class StopWatch {
public:
    explicit StopWatch(VImage& image);
    ~StopWatch();
    StopWatch(const StopWatch&) = delete;
    StopWatch& operator=(const StopWatch&) = delete;

private:
    VipsImage* m_image = nullptr;
    gulong m_handler = 0;
};
inline constexpr const char* kStopped = "stopped before the end";

// How a strict pass (every decoder warning an error) ended.
enum class StrictPass {
    Clean,     // no error, and no message in the error buffer that could be its own
    Failed,    // the decoder (or the rest of the pipeline) failed
    Abandoned, // the pass gave up for a reason of its own
};

// Runs pass(), which decodes strictly and returns false to give up. A decoder error met
// in one of the library's worker threads does not always come back as an exception, but
// it always leaves its message in the error buffer, so that is read too. Other pictures
// may be decoded at the same time, so a message there counts only once the pass has been
// repeated alone.
template <class Pass>
StrictPass RunStrictPass(Pass pass)
{
    for (const bool alone : { false, true }) {
        std::optional<DecodeWatch> watch;
        std::optional<DecodeAlone> onlyThis;
        if (alone)
            onlyThis.emplace();
        else
            watch.emplace();
        try {
            if (!pass())
                return StrictPass::Abandoned;
            if (!(alone ? LibraryErrorPending() : watch->End()))
                return StrictPass::Clean;
        } catch (const vips::VError&) {
            return StrictPass::Failed; // its own failure, whatever else the buffer holds
        }
    }
    return StrictPass::Failed;
}

// Decodes a pipeline into memory, strictly first. A damaged file is decoded again taking
// what can be read, and keeps the warning; if even that fails, nothing of it could be
// read. Work stopped by a StopScope fails with PictureError::Stopped, never as damaged.
template <class Build>
bool Materialize(Build build, VImage& out, std::string& warning, PictureFailure& failure)
{
    const auto stopped = [&failure] {
        ClearLibraryErrors();
        failure = { PictureError::Stopped, kStopped };
        return false;
    };
    VImage strict;
    const auto decode = [&] {
        strict = ComputeInMemory(build(VIPS_FAIL_ON_WARNING));
        return true;
    };
    if (RunStrictPass(decode) == StrictPass::Clean) {
        out = strict;
        return true;
    }
    if (StopScope::Requested())
        return stopped();
    try {
        out = ComputeInMemory(build(VIPS_FAIL_ON_NONE));
        ClearLibraryErrors();
        warning = kDamaged;
        return true;
    } catch (const vips::VError&) {
        if (StopScope::Requested())
            return stopped();
        ClearLibraryErrors();
        failure = { PictureError::Damaged, kNothingDecoded };
        return false;
    }
}

} // namespace picture_impl

struct Picture::Impl {
    using VImage = vips::VImage;

    // While `fromFile`, only the header has been read: `image` is the lazily
    // opened file and pixels are produced from `path` on demand.
    bool fromFile = false;
    std::string path;
    std::string loader;
    VImage image;
    int width = 0;
    int height = 0;
    int bpp = 0;
    bool flatten = false; // raised to 24 bits
    std::string warning;
    // Set for a picture resampled lazily: its pixels are the source's, resampled as they are decoded.
    std::function<VImage(VipsFailOn failOn, bool sequential)> resampled;

    // The upright, sRGB picture from the file, decoded at 1/shrink where the format can.
    // Sequential: rows are decoded in order as they are asked for, where turning the
    // picture upright does not need them out of order, so no whole copy is kept.
    VImage Open(VipsFailOn failOn, int shrink, bool sequential = false) const;
    // The largest JPEG shrink that still leaves at least the target size.
    int ShrinkFor(int targetW, int targetH) const;
};
