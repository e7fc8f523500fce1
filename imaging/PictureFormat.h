#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

// Format identifiers, as stored and passed around by the model and the engine.
enum class PictureFormat : int {
    Unknown = 0, // a format only read: the content picks the decoder, nothing is written in it
    Bmp = 1,
    Gif = 2,
    Jpeg = 3,
    Png = 4,
    Tif = 6,
    Pcx = 8,
    Webp = 9,
    Avif = 10,
    Jxl = 11,
    Heic = 12,
};

// One file name extension the program knows. The window, the converter and the folder
// scan take every list of formats from these rows; a new format is one more row (and,
// if it is written, its case in Picture::Save).
struct FormatRow {
    std::string_view extension; // lower case, with its dot
    PictureFormat format = PictureFormat::Unknown;
    bool written = false;        // offered by "Save as" and --format, in the order of the table
    bool read = false;           // taken by a folder scan and offered by the Open dialog
    bool openOnly = false;       // offered by the Open dialog, though a folder scan passes it by
    bool takesQuality = false;   // the quality and the target size apply; other formats have their own encoding
    bool keepsAlpha = false;     // with Keep Transparency the output keeps alpha (GIF: one transparent palette entry)
    bool lossless = false;       // as this program writes it
    bool offersLossless = false; // a lossless choice beside the quality
    std::string_view saver {};   // the library's encoder, looked for at run time; empty: always there
    std::string_view name {};    // the format's name in messages
    std::string_view saveAsText {};
    std::string_view openFilter {}; // its filter in the Open dialog; rows with the same name share one; empty: none
    // Where a read row stands in the lists whose order is older than this table:
    // the scan's list (as the help shows it), the "Supported Files" patterns and the Open filters.
    int scanPlace = 0;
    int supportedPlace = 0;
    int filterPlace = 0;
};

// Every row. The first is the default output: a run starts with its extension, and a
// name that holds no other written format's extension is written in its format.
std::span<const FormatRow> GetFormatTable();

// The written rows in "Save as" order.
std::vector<const FormatRow*> GetWrittenFormats();
// The written row with exactly this extension (lower case, with its dot); null if none.
const FormatRow* FindWrittenFormat(std::string_view extension);
// The row an output name is written by: the first written row, other than those of
// the default format, whose extension the name holds ("x.tiff" holds ".tif"); else the default.
const FormatRow& GetOutputFormat(std::string_view extension);

// A format with a quality of its own (WebP, AVIF, JPEG XL, HEIC): the quality and the target
// size drive its own encoder, where JPEG-only strategies write JPEG data.
inline bool HasOwnQuality(const FormatRow& row) { return row.takesQuality && row.format != PictureFormat::Jpeg; }
// The written row of a format; null if none.
const FormatRow* FindFormatRow(PictureFormat format);

// The extensions of the read rows, with their dots, in the scan's order.
std::vector<std::string_view> GetReadExtensions();
// True for the extension (lower case, with its dot) of a read row.
bool IsReadExtension(std::string_view extension);
// The patterns of every row the Open dialog offers, "*.bmp *.tif ...", in the "Supported Files" order.
std::string GetSupportedPatterns();

struct OpenFilter {
    std::string name;     // "JPEG Files (*.jpg;*.jpeg)"
    std::string patterns; // "*.jpg *.jpeg"
};
// The own Open-dialog filters of the rows it offers, in order, rows of one name joined.
std::vector<OpenFilter> GetOpenFilters();
