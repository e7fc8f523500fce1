// The XMP and IPTC walks on arbitrary bytes: kept as they are unless asked to strip, never
// longer when stripped, and a second strip changes nothing.
#include <span>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "imaging/Metadata.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    if (EditIptc(bytes, false) != std::vector<std::uint8_t>(bytes.begin(), bytes.end()))
        Broken("IPTC changed without a strip");
    if (const auto iptc = EditIptc(bytes, true)) {
        if (iptc->size() > size)
            Broken("stripped IPTC grew");
        if (EditIptc(*iptc, true) != iptc)
            Broken("a second IPTC strip changed it");
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto xmp = EditXmp(text, true)) {
        if (xmp->size() > size)
            Broken("stripped XMP grew");
        if (EditXmp(*xmp, true) != xmp)
            Broken("a second XMP strip changed it");
    }
    return 0;
}
