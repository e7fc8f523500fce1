#include "batch/AddFilesJob.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "batch/BatchJobKind.h"
#include "batch/FolderScan.h"
#include "batch/ImageBatch.h"
#include "batch/JobSignals.h"
#include "batch/OrderedRun.h"
#include "imaging/Picture.h"

namespace {

// The entry of one file, with its thumbnail and information text; null when none of
// its pixels decode (it would only show a blank thumbnail and fail at Start), with why.
std::unique_ptr<ImageEntry> MakeEntry(const std::string& path, const std::string& subfolder, std::string& why)
{
    try {
        auto entry = std::make_unique<ImageEntry>();
        entry->SetPath(path);
        entry->SetOutputSubfolder(subfolder);
        if (!entry->Load() || !entry->MakeThumbnail(80, 60)) {
            why = entry->GetLastError().empty() ? "not a picture" : entry->GetLastError();
            return nullptr;
        }
        entry->BuildInfoText();
        entry->FreeImage();
        return entry;
    } catch (const std::exception& e) {
        why = std::string("unreadable: ") + e.what();
        return nullptr;
    }
}

} // namespace

int AddFilesJob(ImageBatch& batch)
{
    batch.ClearRejectedFiles();
    if (batch.GetScanFolderFlag()) {
        // A folder that cannot be read simply yields nothing, like an empty one.
        std::size_t found = 0;
        if (batch.GetOutputOptions().includeSubfolders) {
            std::vector<SkippedFolder> skipped;
            const std::vector<ScannedPicture> tree = ScanFolderTree(batch.GetScanFolder(), skipped);
            for (const ScannedPicture& picture : tree)
                batch.AddPendingPath(picture.path, picture.subfolder);
            // A sub-folder left out is listed with the files that were not added.
            for (SkippedFolder& s : skipped)
                if (s.folder != batch.GetScanFolder())
                    batch.AddRejectedFile({ std::move(s.folder), std::move(s.reason) });
            found = tree.size();
        } else {
            std::string error;
            const std::vector<std::string> pictures = ScanFolderForPictures(batch.GetScanFolder(), error);
            for (const std::string& path : pictures)
                batch.AddPendingPath(path);
            found = pictures.size();
        }
        batch.PostProgress(WM_ADD_PROGRESS, AddCodeTotal, static_cast<std::int64_t>(found));
    }
    const int count = batch.GetPendingCount();
    const int jobs = batch.GetJobs();
    const LibraryThreads threads(jobs);
    std::vector<std::unique_ptr<ImageEntry>> made(static_cast<std::size_t>(count));
    std::vector<std::string> why(static_cast<std::size_t>(count));
    // Rows join the list in the order of the files, whichever is read first.
    OrderedRun run(count, jobs,
        { .testStop = [&batch] { return batch.TestAddStop(); },
            .started
            = [&batch](
                  int i) { batch.PostProgress(WM_ADD_PROGRESS, AddCodeStep, 2 * static_cast<std::int64_t>(i) + 1); },
            .finished =
                [&batch, &made, &why](int i, bool stopSeen) {
                    const auto at = static_cast<std::size_t>(i);
                    if (made[at])
                        batch.AddEntry(std::move(made[at]));
                    else
                        batch.AddRejectedFile({ batch.GetPendingPath(i), why[at] });
                    if (stopSeen)
                        return false;
                    batch.PostProgress(WM_ADD_PROGRESS, AddCodeStep, 2 * static_cast<std::int64_t>(i) + 2);
                    return true;
                } });
    run.Run([&](int i) {
        const auto at = static_cast<std::size_t>(i);
        made[at] = MakeEntry(batch.GetPendingPath(i), batch.GetPendingSubfolder(i), why[at]);
    });
    batch.PostProgress(WM_ADD_PROGRESS, AddCodeEnd, 0);
    return 0;
}
