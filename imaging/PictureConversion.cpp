#include "imaging/PictureConversion.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <new>
#include <sys/stat.h>

#include "files/OutputFile.h"
#include "imaging/ImageEntry.h"
#include "imaging/Picture.h"
#include "imaging/PictureFormat.h"
#include "imaging/ResizeSettings.h"
#include "imaging/TargetSizeSearch.h"

namespace {

// A picture that could not be read or brought to size: too large, or else unreadable.
ConvertStatus StatusOfReadError(PictureError error)
{
    return error == PictureError::TooLarge ? ConvertStatus::TooLarge : ConvertStatus::Unreadable;
}

ConvertOutcome Failed(ConvertStatus status, std::string reason)
{
    ConvertOutcome outcome;
    outcome.status = status;
    outcome.reason = std::move(reason);
    return outcome;
}

// Alpha survives only where asked for and where the written format holds it.
bool KeepsAlpha(const ConvertSnapshot& s, const FormatRow& written)
{
    return s.options.keepAlpha && written.keepsAlpha;
}

EncodeOptions EncodingOf(const ConvertSnapshot& s, const FormatRow& written, int quality)
{
    return { .quality = quality,
        .keepAlpha = KeepsAlpha(s, written),
        .lossless = s.options.lossless,
        .keepMetadata = s.options.keepMetadata,
        .stripGps = s.options.stripGps };
}

// What a written picture's metadata had to leave out, after any other warning.
void NoteMetadata(const Picture& work, ConvertOutcome& outcome)
{
    const std::string& note = work.GetMetadataWarning();
    if (outcome.status != ConvertStatus::Written || note.empty())
        return;
    outcome.reason = outcome.reason.empty() ? note : outcome.reason + "; " + note;
}

// The working copy (at 24 bits unless alpha is kept) and the size the options ask for. It is
// decoded now only when it will be encoded more than once (decodeNow); otherwise it is decoded
// and resampled while it is written, with no whole copy in memory. Either way the source is read
// completely before the output takes a name, which may be the source's.
bool PrepareWorkingPicture(
    Picture& work, const ConvertSnapshot& s, ConvertOutcome& outcome, bool keepAlpha, bool decodeNow)
{
    if (!keepAlpha)
        work.IncreaseBpp24();
    const TargetSize target = ComputeTargetSize(static_cast<std::uint32_t>(work.GetWidth()),
        static_cast<std::uint32_t>(work.GetHeight()), s.mode, s.unit, s.w, s.h, s.options.doNotEnlarge);
    bool ok = true;
    // 100 % asks for a resample to the size the picture has, which changes no pixel.
    const bool resample = target.resample && (target.width != work.GetWidth() || target.height != work.GetHeight());
    if (resample) {
        if (target.width > INT_MAX || target.height > INT_MAX) {
            outcome = Failed(ConvertStatus::TooLarge,
                "too large: " + std::to_string(target.width) + " x " + std::to_string(target.height)
                    + " pixels asked for");
            return false;
        }
        // A picture keeps at least one row and one column, however small the percentage.
        const int w = std::max(1, static_cast<int>(target.width)), h = std::max(1, static_cast<int>(target.height));
        ok = decodeNow ? work.Resample2(w, h) : work.ResampleLazily(w, h);
    } else if (decodeNow) {
        ok = work.Realize();
    }
    if (!ok) {
        outcome = Failed(StatusOfReadError(work.GetErrorCode()), work.GetError());
        return false;
    }
    outcome.width = work.GetWidth();
    outcome.height = work.GetHeight();
    outcome.reason = work.GetWarning();
    outcome.damaged = !outcome.reason.empty();
    return true;
}

// Where a conversion's file goes: into the output folder, or into memory for a caller who
// wants to know what would be written (nothing reaches the disk then).
struct Destination {
    std::vector<std::uint8_t>* memory = nullptr;
};

void Written(ConvertOutcome& outcome, std::uint64_t bytes, int quality)
{
    outcome.bytes = bytes;
    outcome.quality = quality;
    outcome.status = ConvertStatus::Written;
}

// "42 KB", or bytes where kilobytes would not tell two sizes apart.
std::string SizeWords(std::uint64_t bytes, std::uint64_t other)
{
    const auto kb = [](std::uint64_t b) { return (b + 1023) / 1024; };
    if (kb(bytes) == kb(other))
        return std::to_string(bytes) + " bytes";
    return std::to_string(kb(bytes)) + " KB";
}

ExistingOutput ExistingRule(const ConvertSnapshot& s)
{
    if (s.overwrite)
        return ExistingOutput::Replace;
    return s.options.skipExisting ? ExistingOutput::Keep : ExistingOutput::Number;
}

// Writes the file through a temporary file under the snapshot's rules and fills in where it went.
void WriteFile(
    std::string path, const ConvertSnapshot& s, const WriteToFile& write, int quality, ConvertOutcome& outcome)
{
    std::string error;
    std::uint64_t bytes = 0;
    const OutputRules rules { ExistingRule(s), s.options.skipLarger ? s.sizeLimit : 0, s.beforeNaming,
        s.options.keepDates ? s.sourceTime : std::nullopt };
    switch (WriteOutputFileWith(path, rules, write, error, &bytes)) {
    case OutputResult::Written:
        Written(outcome, bytes, quality);
        outcome.output = path;
        return;
    case OutputResult::Kept:
        outcome = Failed(ConvertStatus::Skipped, "skipped: " + path + " exists");
        outcome.output = path;
        return;
    case OutputResult::TooLarge:
        outcome = Failed(ConvertStatus::Skipped,
            "skipped: would be larger (" + SizeWords(bytes, s.sizeLimit) + " > " + SizeWords(s.sizeLimit, bytes) + ")");
        return;
    case OutputResult::Failed:
        break;
    }
    outcome = Failed(ConvertStatus::WriteFailed, error);
}

// Writes the bytes through a temporary file and fills in where the picture went.
void PublishBytes(std::string path, const ConvertSnapshot& s, const std::vector<std::uint8_t>& bytes, int quality,
    ConvertOutcome& outcome, const Destination& to)
{
    if (to.memory) {
        *to.memory = bytes;
        Written(outcome, bytes.size(), quality);
        return;
    }
    const WriteToFile write
        = [&bytes](const std::string& temp, std::string& e) { return WriteFileBytes(temp, bytes, e); };
    WriteFile(std::move(path), s, write, quality, outcome);
}

// Encodes the picture in the format, into the file or into memory.
void PublishPicture(std::string path, const ConvertSnapshot& s, const Picture& picture, PictureFormat format,
    const EncodeOptions& options, int quality, ConvertOutcome& outcome, const Destination& to)
{
    const auto failed = [&picture] { return picture.GetError().empty() ? "could not write" : picture.GetError(); };
    if (to.memory) {
        *to.memory = picture.Encode(format, options);
        if (to.memory->empty())
            outcome = Failed(ConvertStatus::WriteFailed, failed());
        else
            Written(outcome, to.memory->size(), quality);
        return;
    }
    const WriteToFile write = [&](const std::string& temp, std::string& e) {
        if (picture.Save(temp, format, options))
            return true;
        e = failed();
        return false;
    };
    WriteFile(std::move(path), s, write, quality, outcome);
}

// A picture decoded while it was written knows only then whether its file was damaged:
// a warning for a written one, and an unreadable picture when none of it could be read.
void TakeWriteResult(const Picture& work, ConvertOutcome& outcome)
{
    if (outcome.status == ConvertStatus::Written) {
        if (outcome.reason.empty())
            outcome.reason = work.GetWarning();
        outcome.damaged = outcome.damaged || !work.GetWarning().empty();
        NoteMetadata(work, outcome);
    } else if (work.GetErrorCode() == PictureError::Damaged) {
        outcome.status = ConvertStatus::Unreadable;
    }
}

ConvertOutcome ConvertFixedQuality(
    Picture work, const std::string& title, const ConvertSnapshot& s, const Destination& to)
{
    ConvertOutcome outcome;
    const FormatRow& format = GetOutputFormat(s.extension);
    // JPEG data whatever the extension says, but for the formats with a quality of their own.
    const bool own = HasOwnQuality(format);
    if (!PrepareWorkingPicture(work, s, outcome, own && KeepsAlpha(s, format), false))
        return outcome;
    const PictureFormat written = own ? format.format : PictureFormat::Jpeg;
    const int quality = own && s.options.lossless && format.offersLossless ? 0 : s.quality;
    PublishPicture(
        s.folder + title + s.extension, s, work, written, EncodingOf(s, format, s.quality), quality, outcome, to);
    TakeWriteResult(work, outcome);
    return outcome;
}

ConvertOutcome ConvertFormatDefault(
    Picture work, const std::string& title, const ConvertSnapshot& s, const Destination& to)
{
    ConvertOutcome outcome;
    const FormatRow& format = GetOutputFormat(s.extension);
    if (!PrepareWorkingPicture(work, s, outcome, KeepsAlpha(s, format), false))
        return outcome;
    const bool lossless = s.options.lossless && format.offersLossless;
    const int quality = format.takesQuality && !lossless ? s.quality : 0;
    PublishPicture(
        s.folder + title + s.extension, s, work, format.format, EncodingOf(s, format, s.quality), quality, outcome, to);
    TakeWriteResult(work, outcome);
    return outcome;
}

// Shrink to Fit: the picture made smaller, step by step, until its encoding at `quality` fits.
// Every step resamples the prepared picture, never a smaller copy. False when even 1 x 1 does not fit.
bool ShrinkUntilItFits(const Picture& work, PictureFormat format, const EncodeOptions& options,
    std::uint64_t targetBytes, std::uint64_t bytesAtFullSize, std::vector<std::uint8_t>& bytes, int& width, int& height,
    std::string& error)
{
    const int w0 = work.GetWidth(), h0 = work.GetHeight();
    double factor = 1.0;
    std::uint64_t size = bytesAtFullSize;
    for (int step = 0; step < 40; ++step) {
        // The size goes roughly with the pixel count: aim a little below, and never less than halve nor
        // less than a 5 % step.
        const double aim
            = std::sqrt(static_cast<double>(targetBytes) / static_cast<double>(std::max<std::uint64_t>(size, 1)));
        factor *= std::clamp(aim * 0.95, 0.5, 0.95);
        const int w = std::max(1, static_cast<int>(std::lround(w0 * factor)));
        const int h = std::max(1, static_cast<int>(std::lround(h0 * factor)));
        Picture smaller = work;
        if (!smaller.Resample2(w, h)) {
            error = smaller.GetError();
            return false;
        }
        bytes = format == PictureFormat::Jpeg ? smaller.EncodeJpeg(options) : smaller.Encode(format, options);
        if (bytes.empty()) {
            error = smaller.GetError().empty() ? "could not write: the encoder failed" : smaller.GetError();
            return false;
        }
        width = w;
        height = h;
        size = bytes.size();
        if (size <= targetBytes)
            return true;
        if (w == 1 && h == 1)
            break;
    }
    error = "the target size cannot be reached even at 1 x 1 pixels";
    return false;
}

void MarkOverTarget(ConvertOutcome& outcome, std::uint64_t targetBytes)
{
    outcome.targetBytes = targetBytes;
    if (outcome.status != ConvertStatus::Written || outcome.bytes <= targetBytes)
        return;
    outcome.overTarget = true;
    const std::string over = "over the target of " + std::to_string(targetBytes / 1024) + " KB";
    outcome.reason = outcome.reason.empty() ? over : outcome.reason + "; " + over;
}

ConvertOutcome ConvertTargetSize(
    Picture work, const std::string& title, const ConvertSnapshot& s, const Destination& to)
{
    ConvertOutcome outcome;
    const FormatRow& format = GetOutputFormat(s.extension);
    const bool own = HasOwnQuality(format);
    const std::uint64_t targetBytes = static_cast<std::uint64_t>(std::max(s.targetKB, 0)) * 1024u;
    // Resampled once; every attempt encodes the same pixels into memory, and a
    // quality measured before is not encoded again.
    if (!PrepareWorkingPicture(work, s, outcome, own && KeepsAlpha(s, format), true))
        return outcome;
    const PictureFormat encoded = own ? format.format : PictureFormat::Jpeg;
    EncodeOptions options = EncodingOf(s, format, s.quality);
    options.lossless = false; // a lossless file has no quality to search
    AttemptCache cache(targetBytes, [&work, encoded, options](int q) {
        EncodeOptions o = options;
        o.quality = q;
        return encoded == PictureFormat::Jpeg ? work.EncodeJpeg(o) : work.Encode(encoded, o);
    });
    auto encodeError
        = [&work] { return work.GetError().empty() ? "could not write: the encoder failed" : work.GetError(); };
    const int floor = std::clamp(s.options.minQuality, 1, 100);
    int quality = 0;
    bool fits = false;
    std::string extension = s.extension;
    if (own) {
        const OwnQualityResult found
            = SearchLargestFittingQuality(targetBytes, floor, [&](int q) { return cache.SizeAt(q); });
        if (found.quality == 0)
            return Failed(ConvertStatus::WriteFailed, encodeError());
        quality = found.quality;
        fits = found.fits;
    } else {
        const QualitySearchResult found = SearchTargetQuality(s.targetKB, [&](int q) { return cache.SizeAt(q); });
        if (found.quality == 0)
            return Failed(ConvertStatus::WriteFailed, "could not write: the JPEG encoder failed at every attempt");
        quality = found.quality;
        fits = *cache.SizeAt(quality) <= targetBytes;
        if (found.settledOnFit)
            extension = ".jpg";
        // A floor above what the search found: the floor, and the target is missed (or shrunk to).
        if (quality < floor) {
            quality = floor;
            const std::optional<std::uint64_t> size = cache.SizeAt(quality);
            if (!size)
                return Failed(ConvertStatus::WriteFailed, encodeError());
            fits = *size <= targetBytes;
        }
    }
    if (!fits && s.options.shrinkToFit) {
        std::vector<std::uint8_t> bytes;
        int width = 0, height = 0;
        std::string error;
        EncodeOptions atFloor = options;
        atFloor.quality = quality;
        if (ShrinkUntilItFits(
                work, encoded, atFloor, targetBytes, *cache.SizeAt(quality), bytes, width, height, error)) {
            PublishBytes(s.folder + title + (own ? s.extension : ".jpg"), s, bytes, quality, outcome, to);
            outcome.width = width;
            outcome.height = height;
            outcome.scaledToFit = outcome.status == ConvertStatus::Written;
            NoteMetadata(work, outcome);
            MarkOverTarget(outcome, targetBytes);
            return outcome;
        }
        outcome.reason = outcome.reason.empty() ? error : outcome.reason + "; " + error;
    }
    const std::string reason = outcome.reason;
    const std::vector<std::uint8_t>* bytes = cache.BytesAt(quality);
    if (!bytes)
        return Failed(ConvertStatus::WriteFailed, encodeError());
    PublishBytes(s.folder + title + extension, s, *bytes, quality, outcome, to);
    if (outcome.status == ConvertStatus::Written)
        outcome.reason = reason;
    NoteMetadata(work, outcome);
    MarkOverTarget(outcome, targetBytes);
    return outcome;
}

} // namespace

std::string DescribeLever(const ConvertOutcome& o)
{
    if (o.quality <= 0)
        return {};
    std::string text = "quality " + std::to_string(o.quality);
    if (o.scaledToFit)
        text += ", scaled to " + std::to_string(o.width) + " x " + std::to_string(o.height);
    return text;
}

const char* GetStatusName(ConvertStatus status)
{
    switch (status) {
    case ConvertStatus::Written:
        return "written";
    case ConvertStatus::Unreadable:
        return "unreadable";
    case ConvertStatus::TooLarge:
        return "too large";
    case ConvertStatus::WriteFailed:
        return "could not write";
    case ConvertStatus::Skipped:
        return "skipped";
    }
    return "could not write";
}

ConvertSnapshot TakeConvertSnapshot(const ResizeSettings& settings)
{
    ConvertSnapshot s;
    s.choice = settings.GetCompressionChoice();
    s.folder = settings.GetOutputFolder();
    s.mode = settings.GetResizeMode();
    s.overwrite = settings.GetOverwriteExisting();
    s.extension = settings.GetOutputExtension();
    s.quality = settings.GetQuality();
    s.unit = settings.GetSizeUnit();
    s.w = static_cast<float>(settings.GetWidthValue(CurrentUnit));
    s.h = static_cast<float>(settings.GetHeightValue(CurrentUnit));
    s.targetKB = settings.GetTargetSizeKB();
    s.options = settings.GetOutputOptions();
    return s;
}

namespace {

ConvertOutcome Convert(
    const Picture& source, const std::string& title, const ConvertSnapshot& snapshot, const Destination& to)
{
    // A kept output is known before any decoding: a second run over the same pictures is quick.
    const std::string named = snapshot.folder + title + snapshot.extension;
    if (!to.memory && !snapshot.overwrite && snapshot.options.skipExisting && PathExists(named)) {
        ConvertOutcome kept = Failed(ConvertStatus::Skipped, "skipped: " + named + " exists");
        kept.output = named;
        return kept;
    }
    try {
        switch (snapshot.choice) {
        case CompressQuality:
            return ConvertFixedQuality(source, title, snapshot, to);
        case CompressTargetSize:
            return ConvertTargetSize(source, title, snapshot, to);
        default:
            return ConvertFormatDefault(source, title, snapshot, to);
        }
    } catch (const std::bad_alloc&) {
        return Failed(ConvertStatus::TooLarge, "too large: not enough memory to convert the picture");
    } catch (const std::exception& e) {
        return Failed(ConvertStatus::WriteFailed, std::string("could not write: ") + e.what());
    }
}

ConvertOutcome ConvertLoaded(ImageEntry& entry, const ConvertSnapshot& snapshot, const Destination& to)
{
    ConvertOutcome outcome;
    struct stat st { };
    const bool found = ::stat(entry.GetPath().c_str(), &st) == 0;
    const std::uint64_t sourceBytes = found ? static_cast<std::uint64_t>(st.st_size) : 0;
    ConvertSnapshot limited = snapshot;
    limited.sizeLimit = sourceBytes;
    if (found)
        limited.sourceTime = FileTime { st.st_mtim.tv_sec, st.st_mtim.tv_nsec };
    // Whatever happens to one picture, the others and the end message must follow.
    try {
        if (entry.Load()) {
            outcome = Convert(*entry.GetImage(), entry.GetTitle(), limited, to);
            entry.FreeImage();
        } else {
            outcome = Failed(StatusOfReadError(entry.GetLastErrorCode()), entry.GetLastError());
        }
    } catch (const std::bad_alloc&) {
        entry.FreeImage();
        outcome = Failed(ConvertStatus::TooLarge, "too large: not enough memory to read the picture");
    } catch (const std::exception& e) {
        entry.FreeImage();
        outcome = Failed(ConvertStatus::Unreadable, std::string("unreadable: ") + e.what());
    }
    outcome.source = entry.GetPath();
    outcome.sourceBytes = sourceBytes;
    return outcome;
}

} // namespace

ConvertOutcome ConvertPicture(const Picture& source, const std::string& title, const ConvertSnapshot& snapshot)
{
    return Convert(source, title, snapshot, {});
}

ConvertOutcome ConvertEntry(ImageEntry& entry, const ConvertSnapshot& snapshot)
{
    return ConvertLoaded(entry, snapshot, {});
}

ConvertOutcome ConvertPictureInMemory(
    const Picture& source, const ConvertSnapshot& snapshot, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    return Convert(source, "", snapshot, { &bytes });
}

ConvertOutcome ConvertEntryInMemory(
    ImageEntry& entry, const ConvertSnapshot& snapshot, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    return ConvertLoaded(entry, snapshot, { &bytes });
}
