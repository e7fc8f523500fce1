#include "imaging/PictureFormat.h"

#include <algorithm>

namespace {

using F = PictureFormat;

// One row a format, as the reader compares them.
// clang-format off
constexpr FormatRow kTable[] = {
    { .extension = ".jpg", .format = F::Jpeg, .written = true, .read = true, .takesQuality = true,
        .saveAsText = "JPG Files (*.jpg)", .openFilter = "JPEG Files (*.jpg;*.jpeg)",
        .scanPlace = 1, .supportedPlace = 3, .filterPlace = 2 },
    { .extension = ".jpeg", .format = F::Jpeg, .written = true, .read = true, .takesQuality = true,
        .saveAsText = "JPEG Files (*.jpeg)", .openFilter = "JPEG Files (*.jpg;*.jpeg)",
        .scanPlace = 5, .supportedPlace = 4, .filterPlace = 2 },
    { .extension = ".gif", .format = F::Gif, .written = true, .read = true, .keepsAlpha = true,
        .saveAsText = "GIF Files (*.gif)", .openFilter = "GIF Files (*.gif)",
        .scanPlace = 4, .supportedPlace = 6, .filterPlace = 4 },
    { .extension = ".bmp", .format = F::Bmp, .written = true, .read = true, .lossless = true,
        .saveAsText = "BMP Files (*.bmp)", .openFilter = "Windows Bitmap Files(*.bmp)",
        .scanPlace = 2, .supportedPlace = 1, .filterPlace = 1 },
    { .extension = ".png", .format = F::Png, .written = true, .read = true, .keepsAlpha = true, .lossless = true,
        .saveAsText = "PNG Files (*.png)", .openFilter = "PNG Files (*.png)",
        .scanPlace = 3, .supportedPlace = 5, .filterPlace = 3 },
    { .extension = ".pcx", .format = F::Pcx, .written = true, .openOnly = true, .lossless = true,
        .saveAsText = "PCX Files (*.pcx)", .openFilter = "PCX Files (*.pcx)", .supportedPlace = 15, .filterPlace = 11 },
    { .extension = ".tif", .format = F::Tif, .written = true, .read = true, .keepsAlpha = true, .lossless = true,
        .saveAsText = "TIF Files (*.tif)", .openFilter = "TIFF Files (*.tif;*.tiff)",
        .scanPlace = 8, .supportedPlace = 2, .filterPlace = 12 },
    { .extension = ".emf", .read = true, .openFilter = "EMF Files (*.emf)",
        .scanPlace = 6, .supportedPlace = 7, .filterPlace = 6 },
    { .extension = ".wmf", .read = true, .openFilter = "WMF Files (*.wmf)",
        .scanPlace = 7, .supportedPlace = 8, .filterPlace = 5 },
    // Added later: after every older row in every list.
    { .extension = ".webp", .format = F::Webp, .written = true, .read = true, .takesQuality = true, .keepsAlpha = true,
        .offersLossless = true, .saver = "webpsave_buffer", .name = "WebP",
        .saveAsText = "WebP Files (*.webp)", .openFilter = "WebP Files (*.webp)",
        .scanPlace = 9, .supportedPlace = 9, .filterPlace = 7 },
    { .extension = ".avif", .format = F::Avif, .written = true, .read = true, .takesQuality = true, .keepsAlpha = true,
        .saver = "heifsave_buffer", .name = "AVIF",
        .saveAsText = "AVIF Files (*.avif)", .openFilter = "AVIF Files (*.avif)",
        .scanPlace = 10, .supportedPlace = 10, .filterPlace = 8 },
    { .extension = ".jxl", .format = F::Jxl, .written = true, .read = true, .takesQuality = true, .keepsAlpha = true,
        .offersLossless = true, .saver = "jxlsave_buffer", .name = "JPEG XL",
        .saveAsText = "JPEG XL Files (*.jxl)", .openFilter = "JPEG XL Files (*.jxl)",
        .scanPlace = 11, .supportedPlace = 11, .filterPlace = 9 },
    { .extension = ".heic", .format = F::Heic, .written = true, .read = true, .takesQuality = true, .keepsAlpha = true,
        .saver = "heifsave_buffer", .name = "HEIC",
        .saveAsText = "HEIC Files (*.heic)", .openFilter = "HEIF Files (*.heic;*.heif)",
        .scanPlace = 12, .supportedPlace = 12, .filterPlace = 10 },
    { .extension = ".heif", .read = true, .openFilter = "HEIF Files (*.heic;*.heif)",
        .scanPlace = 13, .supportedPlace = 13, .filterPlace = 10 },
    { .extension = ".tiff", .read = true, .openFilter = "TIFF Files (*.tif;*.tiff)",
        .scanPlace = 14, .supportedPlace = 14, .filterPlace = 12 },
};
// clang-format on

// The read rows (with the Open dialog's own, when asked) ordered by one of their places;
// rows of equal place keep the table's order.
std::vector<const FormatRow*> ReadRowsBy(int FormatRow::*place, bool withOpenOnly = false)
{
    std::vector<const FormatRow*> rows;
    for (const FormatRow& row : kTable)
        if (row.read || (withOpenOnly && row.openOnly))
            rows.push_back(&row);
    std::stable_sort(
        rows.begin(), rows.end(), [place](const FormatRow* a, const FormatRow* b) { return a->*place < b->*place; });
    return rows;
}

} // namespace

std::span<const FormatRow> GetFormatTable() { return kTable; }

std::vector<const FormatRow*> GetWrittenFormats()
{
    std::vector<const FormatRow*> rows;
    for (const FormatRow& row : kTable)
        if (row.written)
            rows.push_back(&row);
    return rows;
}

const FormatRow* FindWrittenFormat(std::string_view extension)
{
    for (const FormatRow& row : kTable)
        if (row.written && row.extension == extension)
            return &row;
    return nullptr;
}

const FormatRow& GetOutputFormat(std::string_view extension)
{
    const FormatRow& fallback = kTable[0];
    for (const FormatRow& row : kTable)
        if (row.written && row.format != fallback.format && extension.find(row.extension) != std::string_view::npos)
            return row;
    return fallback;
}

const FormatRow* FindFormatRow(PictureFormat format)
{
    for (const FormatRow& row : kTable)
        if (row.written && row.format == format)
            return &row;
    return nullptr;
}

std::vector<std::string_view> GetReadExtensions()
{
    std::vector<std::string_view> extensions;
    for (const FormatRow* row : ReadRowsBy(&FormatRow::scanPlace))
        extensions.push_back(row->extension);
    return extensions;
}

bool IsReadExtension(std::string_view extension)
{
    return std::any_of(std::begin(kTable), std::end(kTable),
        [&](const FormatRow& row) { return row.read && row.extension == extension; });
}

std::string GetSupportedPatterns()
{
    std::string patterns;
    for (const FormatRow* row : ReadRowsBy(&FormatRow::supportedPlace, true))
        patterns += (patterns.empty() ? "*" : " *") + std::string(row->extension);
    return patterns;
}

std::vector<OpenFilter> GetOpenFilters()
{
    std::vector<OpenFilter> filters;
    for (const FormatRow* row : ReadRowsBy(&FormatRow::filterPlace, true)) {
        if (row->openFilter.empty())
            continue;
        const std::string pattern = "*" + std::string(row->extension);
        if (!filters.empty() && filters.back().name == row->openFilter)
            filters.back().patterns += " " + pattern;
        else
            filters.push_back({ std::string(row->openFilter), pattern });
    }
    return filters;
}
