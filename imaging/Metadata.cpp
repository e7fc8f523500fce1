#include "imaging/Metadata.h"

#include <algorithm>
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

// The properties that say where a picture was taken, by namespace: the GPS ones of EXIF and the
// place names of Photoshop and IPTC.
struct LocationNamespace {
    std::string_view uri, prefix; // the prefix writers use, taken as bound when not declared
    bool (*holds)(std::string_view local);
};
bool IsOneOf(std::string_view local, std::initializer_list<std::string_view> names)
{
    return std::find(names.begin(), names.end(), local) != names.end();
}
constexpr LocationNamespace kLocationNamespaces[] = {
    { "http://ns.adobe.com/exif/1.0/", "exif", [](std::string_view l) { return l.starts_with("GPS"); } },
    { "http://ns.adobe.com/photoshop/1.0/", "photoshop",
        [](std::string_view l) {
            return IsOneOf(l, { "City", "State", "Country" });
        } },
    { "http://iptc.org/std/Iptc4xmpCore/1.0/xmlns/", "Iptc4xmpCore",
        [](std::string_view l) {
            return IsOneOf(l, { "Location", "CountryCode" });
        } },
    { "http://iptc.org/std/Iptc4xmpExt/2008-02-29/", "Iptc4xmpExt",
        [](std::string_view l) {
            return IsOneOf(l, { "LocationCreated", "LocationShown" });
        } },
};

struct Binding {
    std::string prefix;
    const LocationNamespace* ns;
};

// The prefixes bound to the namespaces above: the usual ones always, and any the packet declares.
std::vector<Binding> LocationPrefixes(std::string_view xmp)
{
    std::vector<Binding> bindings;
    for (const LocationNamespace& ns : kLocationNamespaces)
        bindings.push_back({ std::string(ns.prefix), &ns });
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
        if (end == std::string_view::npos)
            continue;
        const std::string_view uri = xmp.substr(i + 1, end - i - 1);
        for (const LocationNamespace& ns : kLocationNamespaces)
            if (uri == ns.uri)
                bindings.push_back({ std::string(name), &ns });
    }
    return bindings;
}

bool IsLocation(std::string_view name, const std::vector<Binding>& bindings)
{
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view prefix = name.substr(0, colon), local = name.substr(colon + 1);
    for (const Binding& b : bindings)
        if (prefix == b.prefix && b.ns->holds(local))
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
    const std::vector<Binding> bindings = LocationPrefixes(xmp);
    const auto location = [&](std::string_view name) { return stripGps && IsLocation(name, bindings); };
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
        // A start tag: its name, then its attributes, each kept unless it says where.
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
            if (j == space) // attributes are apart; run together, taking one out would join the rest
                return std::nullopt;
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
            if (!location(attr))
                tag.append(xmp.substr(space, j - space));
        }
        if (location(name)) {
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

// ---- IPTC ----

namespace {

constexpr std::string_view kPhotoshop { "Photoshop 3.0\0", 14 };
constexpr std::uint16_t kIimResource = 0x0404, kIimDigestResource = 0x0425;

std::size_t BigEndian(std::span<const std::uint8_t> b, std::size_t at, std::size_t n)
{
    std::size_t v = 0;
    for (std::size_t k = 0; k < n; ++k)
        v = (v << 8) | b[at + k];
    return v;
}

void PutBigEndian32(std::vector<std::uint8_t>& out, std::size_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// Record 2 datasets that name a place: content location code and name, city, sub-location,
// province or state, country code and country.
bool NamesAPlace(std::uint8_t record, std::uint8_t dataset)
{
    constexpr std::uint8_t kPlaces[] = { 26, 27, 90, 92, 95, 100, 101 };
    return record == 2 && std::find(std::begin(kPlaces), std::end(kPlaces), dataset) != std::end(kPlaces);
}

// IIM datasets without the place names; nullopt when they do not parse.
std::optional<std::vector<std::uint8_t>> WithoutPlaces(std::span<const std::uint8_t> iim)
{
    std::vector<std::uint8_t> out;
    bool kept = false;
    std::size_t i = 0;
    while (i < iim.size()) {
        if (iim[i] != 0x1C) {
            // Writers pad the last dataset with zeros.
            if (!std::all_of(iim.begin() + static_cast<std::ptrdiff_t>(i), iim.end(), [](auto b) { return b == 0; }))
                return std::nullopt;
            out.insert(out.end(), iim.begin() + static_cast<std::ptrdiff_t>(i), iim.end());
            break;
        }
        if (iim.size() - i < 5)
            return std::nullopt;
        std::size_t header = 5;
        std::size_t length = BigEndian(iim, i + 3, 2);
        if (length & 0x8000) { // an extended dataset: the length is in the next `count` bytes
            const std::size_t count = length & 0x7FFF;
            if (count == 0 || count > 4 || iim.size() - i - 5 < count)
                return std::nullopt;
            length = BigEndian(iim, i + 5, count);
            header += count;
        }
        if (length > iim.size() - i - header)
            return std::nullopt;
        const std::size_t end = i + header + length;
        if (!NamesAPlace(iim[i + 1], iim[i + 2])) {
            out.insert(out.end(), iim.begin() + static_cast<std::ptrdiff_t>(i),
                iim.begin() + static_cast<std::ptrdiff_t>(end));
            kept = true;
        }
        i = end;
    }
    if (!kept)
        out.clear(); // padding alone
    return out;
}

// A Photoshop resource block (as JPEG's APP13 holds it) with its IIM resource edited.
std::optional<std::vector<std::uint8_t>> WithoutPlacesInResources(std::span<const std::uint8_t> irb)
{
    std::vector<std::uint8_t> out(kPhotoshop.begin(), kPhotoshop.end());
    bool changed = false;
    std::size_t i = kPhotoshop.size();
    while (i < irb.size()) {
        if (std::all_of(irb.begin() + static_cast<std::ptrdiff_t>(i), irb.end(), [](auto b) { return b == 0; }))
            break;
        if (irb.size() - i < 8 || std::memcmp(irb.data() + i, "8BIM", 4) != 0)
            return std::nullopt;
        const std::size_t id = BigEndian(irb, i + 4, 2);
        const std::size_t name = (1 + irb[i + 6] + 1) & ~std::size_t { 1 }; // a Pascal string, padded to even
        const std::size_t at = i + 6 + name;
        if (at + 4 > irb.size())
            return std::nullopt;
        const std::size_t size = BigEndian(irb, at, 4);
        if (size > irb.size() - at - 4)
            return std::nullopt;
        const std::size_t next = std::min(irb.size(), at + 4 + size + (size & 1));
        if (id == kIimResource) {
            const std::optional<std::vector<std::uint8_t>> iim = WithoutPlaces(irb.subspan(at + 4, size));
            if (!iim)
                return std::nullopt;
            changed |= iim->size() != size;
            out.insert(
                out.end(), irb.begin() + static_cast<std::ptrdiff_t>(i), irb.begin() + static_cast<std::ptrdiff_t>(at));
            PutBigEndian32(out, iim->size());
            out.insert(out.end(), iim->begin(), iim->end());
            if (iim->size() & 1)
                out.push_back(0);
        } else if (id != kIimDigestResource) {
            out.insert(out.end(), irb.begin() + static_cast<std::ptrdiff_t>(i),
                irb.begin() + static_cast<std::ptrdiff_t>(next));
        }
        i = next;
    }
    // The digest of the IIM data is left out only when that data changed.
    if (!changed)
        return std::vector<std::uint8_t>(irb.begin(), irb.end());
    return out;
}

} // namespace

std::optional<std::vector<std::uint8_t>> EditIptc(std::span<const std::uint8_t> iptc, bool stripGps)
{
    if (!stripGps || iptc.empty())
        return std::vector<std::uint8_t>(iptc.begin(), iptc.end());
    if (iptc.size() >= kPhotoshop.size() && std::memcmp(iptc.data(), kPhotoshop.data(), kPhotoshop.size()) == 0)
        return WithoutPlacesInResources(iptc);
    if (!iptc.empty() && iptc[0] == 0x1C)
        return WithoutPlaces(iptc);
    return std::nullopt;
}
