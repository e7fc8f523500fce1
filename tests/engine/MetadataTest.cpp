#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <libexif/exif-data.h>
#include <vips/vips8>

#include "batch/ImageBatch.h"
#include "imaging/Metadata.h"
#include "tests/support/EngineFixtures.h"
#include "tests/support/TestPictures.h"

namespace {

using namespace enginefix;
using vips::VImage;

const std::string kXmp = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
                         "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
                         "<rdf:Description xmlns:dc='http://purl.org/dc/elements/1.1/' "
                         "xmlns:exif='http://ns.adobe.com/exif/1.0/' exif:GPSLatitude='48,51.4N' "
                         "xmlns:photoshop='http://ns.adobe.com/photoshop/1.0/' photoshop:City='Paris'>"
                         "<dc:rights>All rights kept</dc:rights>"
                         "<exif:GPSLongitude>2,21.1E</exif:GPSLongitude></rdf:Description></rdf:RDF></x:xmpmeta>";

void AddAscii(ExifData* ed, ExifIfd ifd, ExifTag tag, const char* text)
{
    ExifEntry* e = exif_entry_new();
    e->tag = tag;
    exif_content_add_entry(ed->ifd[ifd], e);
    const std::size_t n = std::strlen(text) + 1;
    e->data = static_cast<unsigned char*>(std::malloc(n));
    std::memcpy(e->data, text, n);
    e->size = static_cast<unsigned>(n);
    e->components = n;
    e->format = EXIF_FORMAT_ASCII;
    exif_entry_unref(e);
}

// A camera's EXIF block: make, date, copyright, orientation, and a location.
std::vector<std::uint8_t> CameraExif(int orientation)
{
    ExifData* ed = exif_data_new();
    exif_data_set_byte_order(ed, EXIF_BYTE_ORDER_INTEL);
    exif_data_set_data_type(ed, EXIF_DATA_TYPE_COMPRESSED);
    AddAscii(ed, EXIF_IFD_0, EXIF_TAG_MAKE, "Kestrel Optics");
    AddAscii(ed, EXIF_IFD_0, EXIF_TAG_COPYRIGHT, "Jo Doe");
    AddAscii(ed, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, "2021:05:06 07:08:09");
    AddAscii(ed, EXIF_IFD_GPS, static_cast<ExifTag>(EXIF_TAG_GPS_LATITUDE_REF), "N");
    AddAscii(ed, EXIF_IFD_GPS, static_cast<ExifTag>(EXIF_TAG_GPS_LONGITUDE_REF), "E");
    ExifEntry* turn = exif_entry_new();
    turn->tag = EXIF_TAG_ORIENTATION;
    exif_content_add_entry(ed->ifd[EXIF_IFD_0], turn);
    exif_entry_initialize(turn, EXIF_TAG_ORIENTATION);
    exif_set_short(turn->data, EXIF_BYTE_ORDER_INTEL, static_cast<ExifShort>(orientation));
    exif_entry_unref(turn);
    unsigned char* data = nullptr;
    unsigned size = 0;
    exif_data_save_data(ed, &data, &size);
    std::vector<std::uint8_t> bytes(data, data + size);
    std::free(data);
    exif_data_unref(ed);
    return bytes;
}

void SetBlob(VImage& img, const char* field, const void* data, std::size_t size)
{
    vips_image_set_blob_copy(img.get_image(), field, data, size);
}

// A stored width x height JPEG (top half red, so a turn shows) with EXIF, XMP, IPTC and an sRGB profile.
void WriteTaggedJpeg(const std::string& path, int width, int height, int orientation, const std::string& xmp = kXmp)
{
    const VImage top = VImage::xyz(width, height)[1] < height / 2;
    VImage img = top.ifthenelse(std::vector<double> { 255, 0, 0 }, std::vector<double> { 0, 0, 255 });
    img = img.cast(VIPS_FORMAT_UCHAR).copy();
    const std::vector<std::uint8_t> exif = CameraExif(orientation);
    SetBlob(img, "exif-data", exif.data(), exif.size());
    SetBlob(img, "xmp-data", xmp.data(), xmp.size());
    const std::string iptc = std::string("Photoshop 3.0\0008BIM\004\004\0\0\0\0\0\x15", 26)
        + std::string("\x1c\x02\x74\0\x06Jo Doe\x1c\x02\x5a\0\x05Paris", 21);
    SetBlob(img, "iptc-data", iptc.data(), iptc.size());
    VipsBlob* profile = nullptr;
    ASSERT_EQ(vips_profile_load("srgb", &profile, nullptr), 0);
    std::size_t n = 0;
    const void* p = vips_blob_get(profile, &n);
    SetBlob(img, "icc-profile-data", p, n);
    vips_area_unref(VIPS_AREA(profile));
    img.set("orientation", orientation);
    img.jpegsave(path.c_str(), VImage::option()->set("strip", false)->set("Q", 90));
}

// A plain JPEG with a marker segment put in right after its start.
void WriteJpegWithSegment(const std::string& path, std::uint8_t marker, const std::string& payload)
{
    testpics::WriteColour(path, 40, 30, "jpg");
    const std::vector<std::uint8_t> bytes = testpics::ReadBytes(path);
    const std::size_t length = payload.size() + 2;
    std::vector<std::uint8_t> out(bytes.begin(), bytes.begin() + 2);
    for (const std::size_t b : { std::size_t { 0xFF }, std::size_t { marker }, length >> 8, length & 0xFF })
        out.push_back(static_cast<std::uint8_t>(b));
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), bytes.begin() + 2, bytes.end());
    testpics::WriteBytes(path, out);
}

// A written file's metadata as the image library and libexif read it.
struct Read {
    int width = 0, height = 0;
    std::map<std::string, std::string> exif; // "Make" -> value, as libexif shows it
    int gpsTags = 0;
    std::string xmp;
    bool iptc = false, icc = false;
    std::string iptcData;
    std::vector<double> left, right; // the pixels at the middle of the left and right edges
};

Read ReadBack(const std::string& path)
{
    Read r;
    VImage img = VImage::new_from_file(path.c_str());
    r.width = img.width();
    r.height = img.height();
    r.left = img(0, img.height() / 2);
    r.right = img(img.width() - 1, img.height() / 2);
    std::size_t n = 0;
    if (img.get_typeof("exif-data") != 0) {
        const auto* data = static_cast<const unsigned char*>(img.get_blob("exif-data", &n));
        // A PNG's eXIf comes without the header libexif looks for.
        std::vector<unsigned char> block(data, data + n);
        if (n < 6 || std::memcmp(data, "Exif\0\0", 6) != 0)
            block.insert(block.begin(), { 'E', 'x', 'i', 'f', 0, 0 });
        ExifData* ed = exif_data_new_from_data(block.data(), static_cast<unsigned>(block.size()));
        for (int ifd = 0; ifd < EXIF_IFD_COUNT; ++ifd) {
            ExifContent* c = ed->ifd[ifd];
            for (unsigned i = 0; i < c->count; ++i) {
                char value[256] = {};
                exif_entry_get_value(c->entries[i], value, sizeof value - 1);
                const char* name = exif_tag_get_name_in_ifd(c->entries[i]->tag, static_cast<ExifIfd>(ifd));
                r.exif[name ? name : "?"] = value;
            }
        }
        r.gpsTags = static_cast<int>(ed->ifd[EXIF_IFD_GPS]->count);
        exif_data_unref(ed);
    }
    if (img.get_typeof("xmp-data") != 0) {
        const auto* data = static_cast<const char*>(img.get_blob("xmp-data", &n));
        r.xmp.assign(data, n);
    }
    r.iptc = img.get_typeof("iptc-data") != 0;
    if (r.iptc) {
        const auto* data = static_cast<const char*>(img.get_blob("iptc-data", &n));
        r.iptcData.assign(data, n);
    }
    r.icc = img.get_typeof("icc-profile-data") != 0;
    return r;
}

// What vipsheader -a prints for the file.
std::string HeaderDump(const std::string& path)
{
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(("vipsheader -a '" + path + "' 2>&1").c_str(), "r"), ::pclose);
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()))
        out += buffer;
    return out;
}

class MetadataTest : public FolderTest, public testing::WithParamInterface<const char*> {
protected:
    // Converts the one source at half size into the format of the extension.
    ConvertOutcome Convert(const std::string& source, const std::string& extension, const OutputOptions& options,
        CompressionChoice choice = CompressQuality, int targetKB = 0)
    {
        auto batch = MakeBatch({ source }, Out());
        batch->SetOutputExtension(extension);
        // A quality makes JPEG data of a PNG name; PNG is written by its own encoding.
        batch->SetCompressionChoice(extension == ".png" && choice == CompressQuality ? CompressFormatDefault : choice);
        batch->SetTargetSizeKB(targetKB);
        batch->SetWidthValue(50, Percent);
        batch->SetHeightValue(50, Percent);
        batch->SetOutputOptions(options);
        EXPECT_TRUE(RunJob(*batch));
        return batch->GetConvertOutcomes().at(0);
    }
    static OutputOptions Keep(bool stripGps)
    {
        OutputOptions o;
        o.keepMetadata = true;
        o.stripGps = stripGps;
        return o;
    }
};

// A turned source: the output is upright and says so, its EXIF fields decode, its pixel dimensions are its
// own, XMP and profile survive; the location stays unless asked to go.
TEST_P(MetadataTest, KeepsTheFieldsOfAnUprightOutput)
{
    WriteTaggedJpeg(In("cam.jpg"), 80, 60, 6);
    const ConvertOutcome o = Convert(In("cam.jpg"), GetParam(), Keep(false));
    ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
    EXPECT_EQ(o.reason, "");
    Read r = ReadBack(o.output);
    EXPECT_EQ(std::tuple(r.width, r.height), std::tuple(30, 40)) << "turned upright";
    EXPECT_EQ(std::tuple(r.left.at(0) < 60, r.right.at(0) > 200), std::tuple(true, true))
        << "the stored top turns to the right";
    EXPECT_EQ(r.exif["Make"], "Kestrel Optics");
    EXPECT_EQ(r.exif["DateTimeOriginal"], "2021:05:06 07:08:09");
    EXPECT_NE(r.exif["Copyright"].find("Jo Doe"), std::string::npos);
    EXPECT_EQ(r.exif["Orientation"], "Top-left");
    EXPECT_EQ(r.exif["PixelXDimension"] + "x" + r.exif["PixelYDimension"], "30x40");
    EXPECT_EQ(r.gpsTags, 2);
    EXPECT_NE(r.xmp.find("All rights kept"), std::string::npos);
    EXPECT_NE(r.xmp.find("Paris"), std::string::npos);
    EXPECT_TRUE(r.icc);
    EXPECT_EQ(r.iptc, std::string(GetParam()) == ".jpg") << "of these, only JPEG holds IPTC";
    if (r.iptc) {
        EXPECT_NE(r.iptcData.find("Paris"), std::string::npos);
    }
}

// Without location: no GPS field in EXIF (libexif and vipsheader agree) or XMP, no place name in XMP or
// IPTC, the copyright still there.
TEST_P(MetadataTest, StripGpsLeavesNoLocation)
{
    WriteTaggedJpeg(In("cam.jpg"), 80, 60, 1);
    const ConvertOutcome o = Convert(In("cam.jpg"), GetParam(), Keep(true));
    ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
    Read r = ReadBack(o.output);
    EXPECT_EQ(r.gpsTags, 0);
    EXPECT_EQ(HeaderDump(o.output).find("GPS"), std::string::npos) << HeaderDump(o.output);
    EXPECT_EQ(r.xmp.find("GPS"), std::string::npos) << r.xmp;
    EXPECT_EQ(r.xmp.find("Paris"), std::string::npos) << r.xmp;
    EXPECT_NE(r.xmp.find("All rights kept"), std::string::npos);
    EXPECT_EQ(r.iptcData.find("Paris"), std::string::npos);
    EXPECT_EQ(r.iptc ? r.iptcData.find("Jo Doe") != std::string::npos : true, true) << "the copyright stays";
    EXPECT_NE(r.exif["Copyright"].find("Jo Doe"), std::string::npos);
    EXPECT_EQ(r.exif["Make"], "Kestrel Optics");
}

// Off: nothing of the source's metadata reaches the output, whatever stripGps says.
TEST_P(MetadataTest, OffKeepsNothing)
{
    WriteTaggedJpeg(In("cam.jpg"), 80, 60, 6);
    OutputOptions options;
    options.stripGps = true;
    const ConvertOutcome o = Convert(In("cam.jpg"), GetParam(), options);
    ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
    Read r = ReadBack(o.output);
    // The WebP writer always adds a little EXIF of its own (resolution, orientation), none of the source's.
    EXPECT_EQ(r.exif["Make"] + r.exif["Copyright"] + r.exif["DateTimeOriginal"], "");
    EXPECT_EQ(r.gpsTags, 0);
    EXPECT_EQ(std::tuple(r.xmp, r.iptc, r.icc), std::tuple("", false, false));
}

INSTANTIATE_TEST_SUITE_P(Formats, MetadataTest, testing::Values(".jpg", ".png", ".webp"),
    [](const auto& p) { return std::string(p.param + 1); });

// Blocks that cannot be kept are left out with a warning; the picture is written all the same.
TEST_F(MetadataTest, UnreadableBlocksAreLeftOutWithAWarning)
{
    struct Case {
        const char* name;
        std::uint8_t marker;
        std::string payload;
        const char* warning;
    };
    const Case cases[] = {
        { "exif.jpg", 0xE1, std::string("Exif\0\0", 6) + "\x13\x37 not a TIFF header at all", "EXIF" },
        { "icc.jpg", 0xE2, std::string("ICC_PROFILE\0\x01\x01", 14) + std::string(300, 'x'), "colour profile" },
        { "xmp.jpg", 0xE1, std::string("http://ns.adobe.com/xap/1.0/\0", 29) + "<x:xmpmeta><rdf:RDF a='", "XMP" },
    };
    for (const Case& c : cases) {
        WriteJpegWithSegment(In(c.name), c.marker, c.payload);
        for (const char* extension : { ".jpg", ".png" }) {
            const ConvertOutcome o = Convert(In(c.name), extension, Keep(false));
            ASSERT_EQ(o.status, ConvertStatus::Written) << c.name << extension << ": " << o.reason;
            EXPECT_NE(o.reason.find(c.warning), std::string::npos) << c.name << extension << ": " << o.reason;
            EXPECT_FALSE(o.damaged) << c.name << extension << ": " << o.reason;
        }
    }
}

// A source's modification time goes to its output, to the nanosecond, only when asked for.
TEST_F(MetadataTest, KeepDatesGivesTheOutputTheSourcesTime)
{
    testpics::WriteColour(In("a.jpg"), 40, 30, "jpg");
    const timespec times[2] = { { 0, UTIME_OMIT }, { 1'500'000'000, 123'456'789 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, In("a.jpg").c_str(), times, 0), 0);
    for (const bool keep : { true, false }) {
        OutputOptions options;
        options.keepDates = keep;
        const ConvertOutcome o = Convert(In("a.jpg"), keep ? ".jpg" : ".png", options);
        ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
        struct stat st { };
        ASSERT_EQ(::stat(o.output.c_str(), &st), 0);
        EXPECT_EQ(st.st_mtim.tv_sec == 1'500'000'000 && st.st_mtim.tv_nsec == 123'456'789, keep);
    }
}

// The size search measures the file with its metadata: a large XMP packet counts against the target.
TEST_F(MetadataTest, TargetSizeCountsTheKeptMetadata)
{
    const std::string padding(24 * 1024, ' ');
    const std::string xmp = kXmp.substr(0, kXmp.size() - 12) + padding + kXmp.substr(kXmp.size() - 12);
    testpics::WriteNoiseJpeg(In("noise.jpg"), 300, 300);
    VImage noise = VImage::new_from_file(In("noise.jpg").c_str());
    SetBlob(noise, "xmp-data", xmp.data(), xmp.size());
    noise.jpegsave(In("big.jpg").c_str(), VImage::option()->set("strip", false)->set("Q", 95));
    for (const char* extension : { ".jpg", ".webp" }) {
        const ConvertOutcome o = Convert(In("big.jpg"), extension, Keep(false), CompressTargetSize, 40);
        ASSERT_EQ(o.status, ConvertStatus::Written) << o.reason;
        EXPECT_FALSE(o.overTarget) << o.reason;
        EXPECT_LE(testpics::ReadBytes(o.output).size(), 40u * 1024) << extension;
        EXPECT_EQ(ReadBack(o.output).xmp.size(), xmp.size()) << extension;
    }
}

// The XMP walk: GPS properties go in both forms and under any prefix bound to the EXIF namespace;
// a packet it cannot walk is refused rather than kept with a location in it.
TEST(EditXmp, RemovesOnlyTheLocation)
{
    const std::string xmp
        = "<rdf:Description xmlns:e=\"http://ns.adobe.com/exif/1.0/\" e:GPSAltitude=\"3/1\" "
          "e:ExposureTime='1/8'><e:GPSTimeStamp><rdf:Seq><rdf:li>x</rdf:li></rdf:Seq>"
          "</e:GPSTimeStamp><e:GPSVersionID/><dc:title>T</dc:title><!-- <e:GPSx> --></rdf:Description>";
    EXPECT_EQ(EditXmp(xmp, false), xmp);
    EXPECT_EQ(EditXmp(xmp, true),
        "<rdf:Description xmlns:e=\"http://ns.adobe.com/exif/1.0/\" e:ExposureTime='1/8'>"
        "<dc:title>T</dc:title><!-- <e:GPSx> --></rdf:Description>");
    for (const char* broken : { "<a b='1>", "<exif:GPSLatitude>1", "<a", "<!-- x", "\xff<a/>", "<a b='1'c='2'/>" })
        EXPECT_EQ(EditXmp(broken, true), std::nullopt) << broken;

    // Place names go too, under their usual prefixes and under any bound to their namespaces.
    const std::string places = "<rdf:Description xmlns:ps='http://ns.adobe.com/photoshop/1.0/' ps:Country='FR' "
                               "photoshop:Credit='Jo' photoshop:State='IDF'><Iptc4xmpExt:LocationShown><rdf:Bag>"
                               "<rdf:li Iptc4xmpExt:City='Paris'/></rdf:Bag></Iptc4xmpExt:LocationShown>"
                               "<Iptc4xmpCore:Location>Louvre</Iptc4xmpCore:Location><ps:City>Paris</ps:City>"
                               "<Iptc4xmpCore:CreatorContactInfo/></rdf:Description>";
    EXPECT_EQ(EditXmp(places, true),
        "<rdf:Description xmlns:ps='http://ns.adobe.com/photoshop/1.0/' photoshop:Credit='Jo'>"
        "<Iptc4xmpCore:CreatorContactInfo/></rdf:Description>");
}

// The IPTC walk: place datasets leave the IIM resource, whose digest goes with them; other
// resources and datasets (a normal and an extended length) stay, byte for byte.
TEST(EditIptc, RemovesOnlyThePlaces)
{
    const auto dataset = [](int number, const std::string& text) {
        return std::string { '\x1c', '\x02', static_cast<char>(number), '\0', static_cast<char>(text.size()) } + text;
    };
    const std::string extended = std::string("\x1c\x02\x78\x80\x02\0\x03", 7) + "abc";
    const auto resource = [](int id, const std::string& name, const std::string& data) {
        std::string r = "8BIM";
        r += { static_cast<char>(id >> 8), static_cast<char>(id & 0xFF), static_cast<char>(name.size()) };
        r += name;
        if (name.size() % 2 == 0)
            r += '\0';
        r += { '\0', '\0', static_cast<char>(data.size() >> 8), static_cast<char>(data.size() & 0xFF) };
        return r + data + (data.size() % 2 ? std::string(1, '\0') : "");
    };
    const auto bytes = [](const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
    const auto edit = [&](const std::string& s) { return EditIptc(bytes(s), true); };
    const std::string header("Photoshop 3.0\0", 14);
    const std::string keep = dataset(5, "Trip") + dataset(116, "Jo Doe") + extended;
    const std::string other = resource(0x03ED, "ab", std::string(16, 'r'));
    const std::string iptc = header + other
        + resource(0x0404, "",
            dataset(90, "Paris") + dataset(5, "Trip") + dataset(101, "France") + dataset(116, "Jo Doe") + extended
                + dataset(27, "Louvre"))
        + resource(0x0425, "", std::string(16, 'd'));

    EXPECT_EQ(EditIptc(bytes(iptc), false), bytes(iptc));
    EXPECT_EQ(edit(iptc), bytes(header + other + resource(0x0404, "", keep)));
    const std::string noPlaces = header + resource(0x0404, "", keep) + resource(0x0425, "", std::string(16, 'd'));
    EXPECT_EQ(edit(noPlaces), bytes(noPlaces)) << "nothing changed, the digest still holds";
    EXPECT_EQ(edit(dataset(92, "Left Bank") + keep), bytes(keep)) << "bare datasets, as TIFF holds them";
    for (const std::string& broken :
        std::vector<std::string> { iptc.substr(0, iptc.size() - 30), header + "8BIX" + iptc.substr(18),
            dataset(90, "Paris").substr(0, 7), std::string("\x1c\x02\x5a\x80\x09", 5) + "0123456789", "GIF89a" })
        EXPECT_EQ(edit(broken), std::nullopt) << broken;
}

} // namespace
