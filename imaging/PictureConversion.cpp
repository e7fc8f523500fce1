#include "imaging/PictureConversion.h"

#include <climits>
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

// The working copy at 24 bits and the size the options ask for, every pixel
// decoded (so a source that is about to be replaced has been read completely).
bool PrepareWorkingPicture(Picture& work, const ConvertSnapshot& s, ConvertOutcome& outcome)
{
    work.IncreaseBpp24();
    const TargetSize target = ComputeTargetSize(static_cast<std::uint32_t>(work.GetWidth()),
        static_cast<std::uint32_t>(work.GetHeight()), s.mode, s.unit, s.w, s.h, s.options.doNotEnlarge);
    bool ok = true;
    if (target.resample) {
        if (target.width > INT_MAX || target.height > INT_MAX) {
            outcome = Failed(ConvertStatus::TooLarge,
                "too large: " + std::to_string(target.width) + " x " + std::to_string(target.height)
                    + " pixels asked for");
            return false;
        }
        // A picture keeps at least one row and one column, however small the percentage.
        ok = work.Resample2(std::max(1, static_cast<int>(target.width)), std::max(1, static_cast<int>(target.height)));
    } else {
        ok = work.Realize();
    }
    if (!ok) {
        outcome = Failed(StatusOfReadError(work.GetErrorCode()), work.GetError());
        return false;
    }
    outcome.width = work.GetWidth();
    outcome.height = work.GetHeight();
    outcome.reason = work.GetWarning();
    return true;
}

// Writes through a temporary file and fills in where the picture went.
void Publish(std::string path, bool overwrite, const WriteToFile& write, int quality, ConvertOutcome& outcome)
{
    std::string error;
    if (!WriteOutputFile(path, overwrite, write, error)) {
        outcome = Failed(ConvertStatus::WriteFailed, error);
        return;
    }
    struct stat st { };
    outcome.bytes = ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    outcome.output = path;
    outcome.quality = quality;
    outcome.status = ConvertStatus::Written;
}

WriteToFile SaveAs(const Picture& picture, PictureFormat format, int quality)
{
    return [&picture, format, quality](const std::string& temp, std::string& error) {
        if (picture.Save(temp, format, quality))
            return true;
        error = picture.GetError().empty() ? "could not write" : picture.GetError();
        return false;
    };
}

ConvertOutcome ConvertFixedQuality(Picture work, const std::string& title, const ConvertSnapshot& s)
{
    ConvertOutcome outcome;
    if (!PrepareWorkingPicture(work, s, outcome))
        return outcome;
    // Always JPEG data, whatever the extension says.
    Publish(
        s.folder + title + s.extension, s.overwrite, SaveAs(work, PictureFormat::Jpeg, s.quality), s.quality, outcome);
    return outcome;
}

ConvertOutcome ConvertFormatDefault(Picture work, const std::string& title, const ConvertSnapshot& s)
{
    ConvertOutcome outcome;
    if (!PrepareWorkingPicture(work, s, outcome))
        return outcome;
    const FormatRow& format = GetOutputFormat(s.extension);
    const int quality = format.takesQuality ? s.quality : 0;
    Publish(s.folder + title + s.extension, s.overwrite, SaveAs(work, format.format, s.quality), quality, outcome);
    return outcome;
}

ConvertOutcome ConvertTargetSize(Picture work, const std::string& title, const ConvertSnapshot& s)
{
    ConvertOutcome outcome;
    // Resampled once; every attempt encodes the same pixels into memory, and a
    // quality measured before is not encoded again.
    if (!PrepareWorkingPicture(work, s, outcome))
        return outcome;
    std::map<int, std::vector<std::uint8_t>> encoded;
    const QualitySearchResult found = SearchTargetQuality(s.targetKB, [&](int q) -> std::optional<std::uint64_t> {
        auto it = encoded.find(q);
        if (it == encoded.end()) {
            std::vector<std::uint8_t> bytes = work.EncodeJpeg(q);
            if (bytes.empty())
                return std::nullopt;
            it = encoded.emplace(q, std::move(bytes)).first;
        }
        return it->second.size();
    });
    if (found.quality == 0)
        return Failed(ConvertStatus::WriteFailed, "could not write: the JPEG encoder failed at every attempt");
    const std::vector<std::uint8_t>& bytes = encoded.at(found.quality);
    const std::string extension = found.settledOnFit ? ".jpg" : s.extension;
    Publish(
        s.folder + title + extension, s.overwrite,
        [&bytes](const std::string& temp, std::string& error) { return WriteFileBytes(temp, bytes, error); },
        found.quality, outcome);
    return outcome;
}

} // namespace

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

ConvertOutcome ConvertPicture(const Picture& source, const std::string& title, const ConvertSnapshot& snapshot)
{
    try {
        switch (snapshot.choice) {
        case CompressQuality:
            return ConvertFixedQuality(source, title, snapshot);
        case CompressTargetSize:
            return ConvertTargetSize(source, title, snapshot);
        default:
            return ConvertFormatDefault(source, title, snapshot);
        }
    } catch (const std::bad_alloc&) {
        return Failed(ConvertStatus::TooLarge, "too large: not enough memory to convert the picture");
    } catch (const std::exception& e) {
        return Failed(ConvertStatus::WriteFailed, std::string("could not write: ") + e.what());
    }
}

ConvertOutcome ConvertEntry(ImageEntry& entry, const ConvertSnapshot& snapshot)
{
    ConvertOutcome outcome;
    // Whatever happens to one picture, the others and the end message must follow.
    try {
        if (entry.Load()) {
            outcome = ConvertPicture(*entry.GetImage(), entry.GetTitle(), snapshot);
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
    return outcome;
}
