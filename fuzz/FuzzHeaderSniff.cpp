// The header sniffer on arbitrary first bytes of a file, whole and cut to what it reads.
#include <span>

#include "fuzz/FuzzSupport.h"
#include "imaging/HeaderSniff.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    for (const auto head : { bytes, bytes.first(std::min(size, SniffBytes)) }) {
        const SniffedKind kind = SniffKind(head);
        if (const auto header = SniffHeader(head)) {
            if (kind == SniffedKind::None)
                Broken("a header of no known kind");
            if (header->width < 0 || header->height < 0 || header->bpp < 0)
                Broken("a negative size or depth");
        }
    }
    return 0;
}
