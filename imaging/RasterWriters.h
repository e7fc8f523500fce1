#pragma once

#include <cstdint>
#include <vector>

#include "imaging/Picture.h"

// File images of 24-bit pictures in the two formats the image library has no
// writer of its own for. Written here so the depth is always 24 bits, whatever
// the colours of the picture.
std::vector<std::uint8_t> EncodeBmp24(const Rgb888& pixels);
std::vector<std::uint8_t> EncodePcx24(const Rgb888& pixels);
