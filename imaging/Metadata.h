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

// The XMP packet, with stripGps without any property (element or attribute) that says where: the
// exif:GPS... ones and the place names of the Photoshop and IPTC namespaces; the rest as it was. Empty when the packet
// is not text we can walk (an unclosed tag, quote or element), since then we could not tell what it holds.
std::optional<std::string> EditXmp(std::string_view xmp, bool stripGps);

// The IPTC block (Photoshop resources as JPEG holds them, or bare IIM datasets), with stripGps
// without the datasets naming a place (city, sub-location, state, country, location). Empty when
// stripGps asks for a walk of a block that does not parse.
std::optional<std::vector<std::uint8_t>> EditIptc(std::span<const std::uint8_t> iptc, bool stripGps);
