#include "batch/AddFilesJob.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "batch/BatchJobKind.h"
#include "batch/FolderScan.h"
#include "batch/ImageBatch.h"
#include "batch/JobSignals.h"

int AddFilesJob(ImageBatch& batch)
{
    batch.ClearRejectedFiles();
    if (batch.GetScanFolderFlag()) {
        // A folder that cannot be read simply yields nothing, like an empty one.
        std::string error;
        const std::vector<std::string> found = ScanFolderForPictures(batch.GetScanFolder(), error);
        for (const std::string& path : found)
            batch.AddPendingPath(path);
        batch.PostProgress(WM_ADD_PROGRESS, AddCodeTotal, static_cast<std::int64_t>(found.size()));
    }
    const int count = batch.GetPendingCount();
    for (int i = 0; i < count; ++i) {
        if (batch.TestAddStop())
            break;
        batch.PostProgress(WM_ADD_PROGRESS, AddCodeStep, 2 * static_cast<std::int64_t>(i) + 1);
        auto entry = std::make_unique<ImageEntry>();
        entry->SetPath(batch.GetPendingPath(i));
        // A file none of whose pixels decode is not a picture of the list: it would
        // only show a blank thumbnail and fail at Start.
        if (entry->Load() && entry->MakeThumbnail(80, 60)) {
            entry->BuildInfoText();
            entry->FreeImage();
            batch.AddEntry(std::move(entry));
        } else {
            const std::string& reason = entry->GetLastError();
            batch.AddRejectedFile({ entry->GetPath(), reason.empty() ? "not a picture" : reason });
        }
        if (batch.TestAddStop())
            break;
        batch.PostProgress(WM_ADD_PROGRESS, AddCodeStep, 2 * static_cast<std::int64_t>(i) + 2);
    }
    batch.PostProgress(WM_ADD_PROGRESS, AddCodeEnd, 0);
    return 0;
}
