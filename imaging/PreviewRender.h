#pragma once

#include <cstdint>
#include <string>

#include "imaging/Picture.h"
#include "imaging/PictureConversion.h"

// What a run with the snapshot writes, seen small: the preview of the selected picture.
struct PreviewRender {
    Rgb888 pixels;                  // to show; empty when the encoding or its decoding failed
    std::uint64_t encodedBytes = 0; // of the encoding shown; 0 when the format is shown as it is
    bool lossy = false;             // the pixels went through the format's encoder and back
    std::string error;
};

// The picture as the snapshot's format writes it at `quality`: the lossy encodings (JPEG, GIF's
// palette, WebP, AVIF, JPEG XL, HEIC) are encoded and decoded back, so their artefacts show; a
// lossless one shows the pixels as they are, which is what it writes. Transparency is shown on
// white. Stops early under a StopScope.
PreviewRender RenderAsWritten(const Picture& picture, const ConvertSnapshot& snapshot, int quality);

// The format whose encoder the run uses with the snapshot: the output format, or JPEG data for a
// format without a quality of its own when a quality or a target size is chosen.
PictureFormat GetWrittenFormat(const ConvertSnapshot& snapshot);
