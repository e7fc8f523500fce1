#include "batch/ConversionEngine.h"

#include <chrono>
#include <optional>
#include <vector>

#include "batch/ImageBatch.h"
#include "batch/JobSignals.h"
#include "batch/OrderedRun.h"
#include "files/CreateFolderPath.h"
#include "imaging/ImageEntry.h"
#include "imaging/Picture.h"
#include "imaging/PictureConversion.h"

int ConversionEngine(ImageBatch& batch)
{
    const ConvertSnapshot snapshot = TakeConvertSnapshot(batch);
    batch.ClearConvertOutcomes();
    const int count = batch.GetEntryCount();
    const int jobs = batch.GetJobs();
    // The library's own threads shared out, so the pictures in flight do not oversubscribe the cores.
    const LibraryThreads threads(jobs);
    std::vector<std::optional<ConvertOutcome>> outcomes(static_cast<std::size_t>(count));
    OrderedRun run(count, jobs,
        { .testStop = [&batch] { return batch.TestConvertStop(); },
            .started =
                [&batch](int i) {
                    batch.PostProgress(WM_CONVERT_PROGRESS, ConvertCodeStep, 2 * static_cast<std::int64_t>(i) + 1);
                },
            .finished =
                [&batch, &outcomes](int i, bool) {
                    batch.AddConvertOutcome(std::move(*outcomes[static_cast<std::size_t>(i)]));
                    outcomes[static_cast<std::size_t>(i)].reset();
                    batch.PostProgress(WM_CONVERT_PROGRESS, ConvertCodeStep, 2 * static_cast<std::int64_t>(i) + 2);
                    return true;
                } });
    run.Run([&](int i) {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point start = Clock::now();
        Clock::duration waited {};
        ConvertSnapshot own = snapshot;
        // An output takes its name only after every picture before it has taken one,
        // so the names are those of a run one picture at a time.
        own.beforeNaming = [&run, i, &waited] {
            const Clock::time_point before = Clock::now();
            run.WaitForEarlier(i);
            waited += Clock::now() - before;
        };
        ImageEntry& entry = *batch.GetEntry(i);
        auto& outcome = outcomes[static_cast<std::size_t>(i)];
        const std::string& sub = entry.OutputSubfolder(own.options.keepTree);
        own.folder += sub;
        std::string error;
        if (!sub.empty() && !CreateFolderPath(own.folder, &error)) {
            ConvertOutcome failed;
            failed.source = entry.GetPath();
            failed.reason = "could not write: " + error;
            outcome = std::move(failed);
            return;
        }
        outcome = ConvertEntry(entry, own);
        outcome->seconds = std::chrono::duration<double>(Clock::now() - start - waited).count();
    });
    batch.SetConvertStopped(run.StoppedEarly());
    batch.PostProgress(WM_CONVERT_PROGRESS, ConvertCodeEnd, 0);
    return 0;
}
