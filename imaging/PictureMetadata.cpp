// The metadata a written picture keeps, made to fit it on the image's header before it is encoded.
#include <cstdio>
#include <memory>

#include <libexif/exif-data.h>

#include "imaging/Metadata.h"
#include "imaging/PictureImpl.h"

namespace picture_impl {

namespace {

constexpr const char* kExif = "exif-data";
constexpr const char* kXmp = "xmp-data";
constexpr const char* kIptc = "iptc-data";
constexpr const char* kIcc = "icc-profile-data";
// A JPEG marker segment holds at most this many bytes; the library adds its own 29-byte name to XMP.
constexpr std::size_t kJpegSegment = 65533;
constexpr std::size_t kJpegXmp = kJpegSegment - 29;

std::span<const std::uint8_t> Blob(const VImage& img, const char* field)
{
    std::size_t size = 0;
    const void* data = img.get_blob(field, &size);
    return { static_cast<const std::uint8_t*>(data), size };
}

void SetBlob(VImage& img, const char* field, const void* data, std::size_t size)
{
    vips_image_set_blob_copy(img.get_image(), field, data, size);
}

// The value of an entry as the image library writes it into its "exif-ifdN-Name" fields: the numbers
// first, which it reads back when it writes the block, then the words in brackets.
std::string FieldText(ExifData* ed, ExifEntry* entry)
{
    char text[1024] = {};
    exif_entry_get_value(entry, text, sizeof text - 1);
    const ExifByteOrder order = exif_data_get_byte_order(ed);
    const unsigned unit = exif_format_get_size(entry->format);
    std::string value;
    char number[48];
    for (unsigned long i = 0; entry->components < 10 && unit > 0 && i < entry->components; ++i) {
        const unsigned char* at = entry->data + i * unit;
        if (entry->size < (i + 1) * unit)
            break;
        switch (entry->format) {
        case EXIF_FORMAT_SHORT:
            std::snprintf(number, sizeof number, "%d ", exif_get_short(at, order));
            break;
        case EXIF_FORMAT_SSHORT:
            std::snprintf(number, sizeof number, "%d ", exif_get_sshort(at, order));
            break;
        case EXIF_FORMAT_LONG:
            std::snprintf(number, sizeof number, "%d ", static_cast<int>(exif_get_long(at, order)));
            break;
        case EXIF_FORMAT_SLONG:
            std::snprintf(number, sizeof number, "%d ", exif_get_slong(at, order));
            break;
        case EXIF_FORMAT_RATIONAL: {
            const ExifRational r = exif_get_rational(at, order);
            std::snprintf(number, sizeof number, "%u/%u ", r.numerator, r.denominator);
            break;
        }
        case EXIF_FORMAT_SRATIONAL: {
            const ExifSRational r = exif_get_srational(at, order);
            std::snprintf(number, sizeof number, "%d/%d ", r.numerator, r.denominator);
            break;
        }
        default:
            number[0] = '\0';
        }
        value += number;
    }
    if (entry->format == EXIF_FORMAT_ASCII && entry->data)
        value = std::string(reinterpret_cast<const char*>(entry->data), entry->size).c_str() + std::string(" ");
    else if (value.empty())
        value = std::string(text) + " ";
    return value + "(" + text + ", " + exif_format_get_name(entry->format) + ", " + std::to_string(entry->components)
        + " components, " + std::to_string(entry->size) + " bytes)";
}

// The library writes EXIF from its block and its "exif-ifdN-..." fields together: a tag in the block
// without a field is dropped, a field without a tag is added back. So the fields are made again from
// the block we write, and a tag we left out cannot return.
void MirrorExifFields(VImage& img)
{
    gchar** fields = vips_image_get_fields(img.get_image());
    for (gchar** field = fields; field && *field; ++field)
        if (std::string_view(*field).starts_with("exif-ifd"))
            img.remove(*field);
    g_strfreev(fields);
    if (img.get_typeof(kExif) == 0)
        return;
    const std::span<const std::uint8_t> block = Blob(img, kExif);
    std::unique_ptr<ExifData, void (*)(ExifData*)> ed(
        exif_data_new_from_data(block.data(), static_cast<unsigned>(block.size())), exif_data_unref);
    if (!ed)
        return;
    for (int ifd = 0; ifd < EXIF_IFD_COUNT; ++ifd) {
        ExifContent* content = ed->ifd[ifd];
        for (unsigned i = 0; i < content->count; ++i) {
            ExifEntry* entry = content->entries[i];
            const char* name = exif_tag_get_name_in_ifd(entry->tag, static_cast<ExifIfd>(ifd));
            if (name)
                img.set(("exif-ifd" + std::to_string(ifd) + "-" + name).c_str(), FieldText(ed.get(), entry).c_str());
        }
    }
}

void Note(std::string& warning, const std::string& text) { warning += (warning.empty() ? "" : "; ") + text; }

} // namespace

VImage WithoutMetadata(VImage img)
{
    img = img.copy();
    for (const char* field : { kExif, kXmp, kIptc, kIcc })
        img.remove(field);
    MirrorExifFields(img);
    return img;
}

VImage KeepMetadata(VImage img, PictureFormat format, bool stripGps, std::string& warning)
{
    img = img.copy(); // a header of our own: the picture's may be in use elsewhere
    const bool jpeg = format == PictureFormat::Jpeg;
    if (img.get_typeof(kExif) != 0) {
        const std::vector<std::uint8_t> exif = EditExif(Blob(img, kExif), img.width(), img.height(), stripGps);
        if (exif.empty() || (jpeg && exif.size() > kJpegSegment)) {
            img.remove(kExif);
            Note(warning,
                exif.empty() ? "the EXIF data could not be read and was left out"
                             : "the EXIF data is too large for a JPEG and was left out");
        } else {
            SetBlob(img, kExif, exif.data(), exif.size());
        }
    }
    MirrorExifFields(img);
    img.remove(VIPS_META_ORIENTATION);
    img.remove("jpeg-thumbnail-data");
    if (img.get_typeof(kXmp) != 0) {
        const std::span<const std::uint8_t> blob = Blob(img, kXmp);
        const std::optional<std::string> xmp
            = EditXmp({ reinterpret_cast<const char*>(blob.data()), blob.size() }, stripGps);
        if (!xmp || (jpeg && xmp->size() > kJpegXmp)) {
            img.remove(kXmp);
            Note(warning,
                !xmp ? "the XMP data could not be read and was left out"
                     : "the XMP data is too large for a JPEG and was left out");
        } else {
            SetBlob(img, kXmp, xmp->data(), xmp->size());
        }
    }
    if (img.get_typeof(kIptc) != 0) {
        const std::optional<std::vector<std::uint8_t>> iptc = EditIptc(Blob(img, kIptc), stripGps);
        if (!iptc || (jpeg && iptc->size() > kJpegSegment)) {
            img.remove(kIptc);
            Note(warning,
                !iptc ? "the IPTC data could not be read and was left out"
                      : "the IPTC data is too large for a JPEG and was left out");
        } else if (iptc->empty()) {
            img.remove(kIptc); // it named nothing but places
        } else {
            SetBlob(img, kIptc, iptc->data(), iptc->size());
        }
    }
    // The pixels were turned into sRGB as they were read, and the conversion put the sRGB profile in
    // the source's place, so the profile here describes the pixels written. A profile that could not
    // be read was not used; the pixels are plain sRGB, which needs no profile.
    if (img.get_typeof(kIccDamaged) != 0) {
        img.remove(kIccDamaged);
        img.remove(kIcc);
        Note(warning, "the colour profile could not be read and was left out");
    }
    return img;
}

} // namespace picture_impl
