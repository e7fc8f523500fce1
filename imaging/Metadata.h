#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The metadata an output keeps, made to fit it. Plain functions over the blobs as files carry
// them; the image library is not involved.

// The EXIF block (with or without its "Exif\0\0" header) for an upright picture of width x height:
// orientation 1 (our pixels are turned already), the pixel dimensions the output's, no thumbnail
// (it would show the source as it was), and with stripGps no GPS directory. Returned with the
// "Exif\0\0" header; empty when nothing of the block can be read.
std::vector<std::uint8_t> EditExif(std::span<const std::uint8_t> exif, int width, int height, bool stripGps);

// The XMP packet, with stripGps without any exif:GPS... property (element or attribute), the rest
// as it was. Empty when the packet is not text we can walk (an unclosed tag, quote or element),
// since then we could not tell what it holds.
std::optional<std::string> EditXmp(std::string_view xmp, bool stripGps);
