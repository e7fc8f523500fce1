#pragma once

// What the three Picture sources share: the handle behind a Picture and the helpers
// around the image library. Only Picture*.cpp include this; everything else goes
// through Picture.h, which knows nothing of the library.

#include <cstdint>
#include <string>

#include <vips/vips8>

#include "imaging/Picture.h"

namespace picture_impl {

using vips::VImage;

// Clears the library's error buffer and returns its message on one line.
std::string TakeVipsError(const vips::VError& e);

// 8-bit sRGB with three bands, or four with alpha.
VImage ToSrgb(VImage img);
// 8-bit, three bands, alpha flattened onto white.
VImage Flatten(VImage img);

bool OverLimit(std::uint64_t w, std::uint64_t h);
std::string TooLarge(std::uint64_t w, std::uint64_t h);

inline constexpr const char* kDamaged = "damaged: only part of the picture could be read";

// Decodes a pipeline into memory. A decode that fails when truncation counts as
// an error but succeeds without it is a damaged file: keep what was read, warn.
template <class Build>
bool Materialize(Build build, VImage& out, std::string& warning, PictureFailure& failure)
{
    try {
        out = build(VIPS_FAIL_ON_TRUNCATED).copy_memory();
        return true;
    } catch (const vips::VError&) {
        vips_error_clear();
    }
    try {
        out = build(VIPS_FAIL_ON_NONE).copy_memory();
        warning = kDamaged;
        return true;
    } catch (const vips::VError& e) {
        failure = { PictureError::Damaged, "unreadable: " + TakeVipsError(e) };
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

    // The upright, sRGB picture from the file, decoded at 1/shrink where the format can.
    VImage Open(VipsFailOn failOn, int shrink) const;
    // The largest JPEG shrink that still leaves at least the target size.
    int ShrinkFor(int targetW, int targetH) const;
};
