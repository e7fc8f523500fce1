// The picture loader on arbitrary file content: opened by its content, then decoded
// to 8-bit RGB as the list's thumbnails and the encoders need it.
#include "fuzz/FuzzSupport.h"
#include "imaging/Picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = [] {
        // Small enough that a header claiming a huge picture is refused, not allocated.
        Picture::SetPixelLimit(4096ull * 4096ull);
        return ScratchFolder() + "/picture";
    }();
    WriteInput(path, data, size);
    const Picture picture = Picture::Load(path);
    if (!picture.IsValid()) {
        if (picture.GetError().empty())
            Broken("refused without a reason");
        return 0;
    }
    if (picture.GetWidth() <= 0 || picture.GetHeight() <= 0)
        Broken("a valid picture without a size");
    const Rgb888 rgb = picture.ToRgb888();
    if (!rgb.bytes.empty() && rgb.bytes.size() != std::size_t(rgb.width) * std::size_t(rgb.height) * 3)
        Broken("pixels that do not fill the size");
    return 0;
}
