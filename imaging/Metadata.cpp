#include "imaging/Metadata.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <libexif/exif-data.h>

namespace {

constexpr unsigned char kExifHeader[] = { 'E', 'x', 'i', 'f', 0, 0 };

struct ExifDataFree {
    void operator()(ExifData* ed) const { exif_data_unref(ed); }
};
using ExifPtr = std::unique_ptr<ExifData, ExifDataFree>;

// A one-component entry of the format, replacing any entry of the tag. Made with libexif's
// default allocator, which is the one the data's own entries use.
void SetNumber(ExifData* ed, ExifIfd ifd, ExifTag tag, ExifFormat format, std::uint32_t value)
{
    ExifContent* content = ed->ifd[ifd];
    if (ExifEntry* old = exif_content_get_entry(content, tag))
        exif_content_remove_entry(content, old);
    ExifMem* mem = exif_mem_new_default();
    ExifEntry* entry = exif_entry_new_mem(mem);
    const unsigned size = exif_format_get_size(format);
    entry->data = static_cast<unsigned char*>(exif_mem_alloc(mem, size));
    if (entry->data) {
        entry->tag = tag;
        entry->format = format;
        entry->components = 1;
        entry->size = size;
        if (format == EXIF_FORMAT_SHORT)
            exif_set_short(entry->data, exif_data_get_byte_order(ed), static_cast<ExifShort>(value));
        else
            exif_set_long(entry->data, exif_data_get_byte_order(ed), value);
        exif_content_add_entry(content, entry);
    }
    exif_entry_unref(entry);
    exif_mem_unref(mem);
}

void RemoveAll(ExifContent* content)
{
    while (content->count > 0)
        exif_content_remove_entry(content, content->entries[content->count - 1]);
}

// ---- XMP ----

bool IsNameChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || u >= 0x80 || c == '_' || c == '-' || c == '.' || c == ':';
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > s.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        i += length;
    }
    return true;
}

// The prefixes bound to the EXIF namespace, where the GPS properties live; "exif" always.
std::vector<std::string> ExifPrefixes(std::string_view xmp)
{
    std::vector<std::string> prefixes { "exif" };
    for (std::size_t at = xmp.find("xmlns:"); at != std::string_view::npos; at = xmp.find("xmlns:", at + 1)) {
        std::size_t i = at + 6;
        const std::size_t nameStart = i;
        while (i < xmp.size() && IsNameChar(xmp[i]))
            ++i;
        const std::string_view name = xmp.substr(nameStart, i - nameStart);
        while (i < xmp.size() && (IsSpace(xmp[i]) || xmp[i] == '='))
            ++i;
        if (i >= xmp.size() || (xmp[i] != '"' && xmp[i] != '\''))
            continue;
        const std::size_t end = xmp.find(xmp[i], i + 1);
        if (end != std::string_view::npos && xmp.substr(i + 1, end - i - 1) == "http://ns.adobe.com/exif/1.0/")
            prefixes.emplace_back(name);
    }
    return prefixes;
}

bool IsGps(std::string_view name, const std::vector<std::string>& prefixes)
{
    for (const std::string& p : prefixes)
        if (name.size() > p.size() + 4 && name.substr(0, p.size()) == p && name.substr(p.size(), 4) == ":GPS")
            return true;
    return false;
}

// After the start tag of `name` that ends before `from`: just past its end tag, or npos.
std::size_t PastEndTag(std::string_view xmp, std::string_view name, std::size_t from)
{
    const std::string close = "</" + std::string(name);
    for (std::size_t at = xmp.find(close, from); at != std::string_view::npos; at = xmp.find(close, at + 1)) {
        std::size_t i = at + close.size();
        while (i < xmp.size() && IsSpace(xmp[i]))
            ++i;
        if (i < xmp.size() && xmp[i] == '>')
            return i + 1;
    }
    return std::string_view::npos;
}

} // namespace

std::vector<std::uint8_t> EditExif(std::span<const std::uint8_t> exif, int width, int height, bool stripGps)
{
    // The image library refuses blocks outside these sizes when it writes them.
    if (exif.size() < 4 || exif.size() > (1u << 20))
        return {};
    std::vector<std::uint8_t> block;
    if (exif.size() < sizeof kExifHeader || std::memcmp(exif.data(), kExifHeader, sizeof kExifHeader) != 0)
        block.assign(std::begin(kExifHeader), std::end(kExifHeader));
    block.insert(block.end(), exif.begin(), exif.end());

    ExifPtr ed(exif_data_new());
    if (!ed)
        return {};
    // Read what is there as it is: no defaults added, no unknown tags dropped.
    exif_data_unset_option(ed.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_unset_option(ed.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_load_data(ed.get(), block.data(), static_cast<unsigned>(block.size()));
    unsigned entries = 0;
    for (int ifd = 0; ifd < EXIF_IFD_COUNT; ++ifd)
        if (ifd != EXIF_IFD_1)
            entries += ed->ifd[ifd]->count;
    if (entries == 0)
        return {};

    RemoveAll(ed->ifd[EXIF_IFD_1]);
    if (ed->data) {
        std::free(ed->data); // libexif's default allocator, as it loaded the thumbnail
        ed->data = nullptr;
        ed->size = 0;
    }
    if (stripGps)
        RemoveAll(ed->ifd[EXIF_IFD_GPS]);
    SetNumber(ed.get(), EXIF_IFD_0, EXIF_TAG_ORIENTATION, EXIF_FORMAT_SHORT, 1);
    SetNumber(ed.get(), EXIF_IFD_EXIF, EXIF_TAG_PIXEL_X_DIMENSION, EXIF_FORMAT_LONG, static_cast<std::uint32_t>(width));
    SetNumber(
        ed.get(), EXIF_IFD_EXIF, EXIF_TAG_PIXEL_Y_DIMENSION, EXIF_FORMAT_LONG, static_cast<std::uint32_t>(height));

    unsigned char* data = nullptr;
    unsigned size = 0;
    exif_data_save_data(ed.get(), &data, &size);
    std::vector<std::uint8_t> out;
    if (data && size > sizeof kExifHeader)
        out.assign(data, data + size);
    std::free(data);
    return out;
}

std::optional<std::string> EditXmp(std::string_view xmp, bool stripGps)
{
    while (!xmp.empty() && xmp.back() == '\0')
        xmp.remove_suffix(1);
    if (xmp.empty() || xmp.find('\0') != std::string_view::npos || !IsUtf8(xmp))
        return std::nullopt;
    const std::vector<std::string> prefixes = ExifPrefixes(xmp);
    const auto gps = [&](std::string_view name) { return stripGps && IsGps(name, prefixes); };
    const std::size_t n = xmp.size();
    std::string out;
    out.reserve(n);
    std::size_t i = 0;
    while (i < n) {
        const std::size_t lt = xmp.find('<', i);
        if (lt == std::string_view::npos) {
            out.append(xmp.substr(i));
            break;
        }
        out.append(xmp.substr(i, lt - i));
        const std::string_view rest = xmp.substr(lt);
        // Comments, processing instructions, character data and end tags go through unread.
        const std::string_view ends[][2]
            = { { "<!--", "-->" }, { "<![CDATA[", "]]>" }, { "<?", "?>" }, { "<!", ">" }, { "</", ">" } };
        bool passed = false;
        for (const auto& [open, close] : ends) {
            if (!rest.starts_with(open))
                continue;
            const std::size_t end = xmp.find(close, lt + open.size());
            if (end == std::string_view::npos)
                return std::nullopt;
            out.append(xmp.substr(lt, end + close.size() - lt));
            i = end + close.size();
            passed = true;
            break;
        }
        if (passed)
            continue;
        // A start tag: its name, then its attributes, each kept unless it is a GPS one.
        std::size_t j = lt + 1;
        while (j < n && IsNameChar(xmp[j]))
            ++j;
        const std::string_view name = xmp.substr(lt + 1, j - lt - 1);
        if (name.empty())
            return std::nullopt;
        std::string tag = "<" + std::string(name);
        bool empty = false;
        for (;;) {
            const std::size_t space = j;
            while (j < n && IsSpace(xmp[j]))
                ++j;
            if (j >= n)
                return std::nullopt;
            if (xmp[j] == '>' || xmp.substr(j).starts_with("/>")) {
                empty = xmp[j] == '/';
                j += empty ? 2 : 1;
                tag.append(xmp.substr(space, j - space));
                break;
            }
            const std::size_t attrStart = j;
            while (j < n && IsNameChar(xmp[j]))
                ++j;
            const std::string_view attr = xmp.substr(attrStart, j - attrStart);
            while (j < n && IsSpace(xmp[j]))
                ++j;
            if (attr.empty() || j >= n || xmp[j] != '=')
                return std::nullopt;
            ++j;
            while (j < n && IsSpace(xmp[j]))
                ++j;
            if (j >= n || (xmp[j] != '"' && xmp[j] != '\''))
                return std::nullopt;
            const std::size_t close = xmp.find(xmp[j], j + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            j = close + 1;
            if (!gps(attr))
                tag.append(xmp.substr(space, j - space));
        }
        if (gps(name)) {
            if (!empty) {
                j = PastEndTag(xmp, name, j);
                if (j == std::string_view::npos)
                    return std::nullopt;
            }
        } else {
            out += tag;
        }
        i = j;
    }
    return out;
}
