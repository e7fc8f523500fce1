#include "imaging/PreviewRender.h"

#include "imaging/PictureFormat.h"

PictureFormat GetWrittenFormat(const ConvertSnapshot& s)
{
    const FormatRow& row = GetOutputFormat(s.extension);
    if (s.choice != CompressFormatDefault && !HasOwnQuality(row))
        return PictureFormat::Jpeg;
    return row.format;
}

PreviewRender RenderAsWritten(const Picture& picture, const ConvertSnapshot& s, int quality)
{
    PreviewRender result;
    const PictureFormat format = GetWrittenFormat(s);
    const FormatRow* row = FindFormatRow(format);
    // A target size searches the quality; lossless applies to the format's own choice only.
    const bool lossless
        = !row || row->lossless || (s.choice != CompressTargetSize && s.options.lossless && row->offersLossless);
    if (lossless) {
        result.pixels = picture.ToRgb888();
        if (result.pixels.bytes.empty())
            result.error = picture.GetError().empty() ? "the picture could not be shown" : picture.GetError();
        return result;
    }
    Picture flat = picture;
    flat.IncreaseBpp24();
    const std::vector<std::uint8_t> bytes = flat.Encode(format, { .quality = quality });
    if (bytes.empty()) {
        result.error = flat.GetError();
        return result;
    }
    const Picture decoded = Picture::DecodeBytes(bytes);
    result.pixels = decoded.ToRgb888();
    if (result.pixels.bytes.empty()) {
        result.error = decoded.GetError().empty() ? "the encoding could not be read back" : decoded.GetError();
        return result;
    }
    result.encodedBytes = bytes.size();
    result.lossy = true;
    return result;
}
