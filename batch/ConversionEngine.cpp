#include "batch/ConversionEngine.h"

#include "batch/ImageBatch.h"
#include "batch/JobSignals.h"
#include "imaging/PictureConversion.h"

int ConversionEngine(ImageBatch& batch)
{
    const ConvertSnapshot snapshot = TakeConvertSnapshot(batch);
    batch.ClearConvertOutcomes();
    for (int i = 0; i < batch.GetEntryCount(); ++i) {
        if (batch.TestConvertStop()) {
            batch.SetConvertStopped(true);
            break;
        }
        batch.PostProgress(WM_CONVERT_PROGRESS, ConvertCodeStep, 2 * static_cast<std::int64_t>(i) + 1);
        batch.AddConvertOutcome(ConvertEntry(*batch.GetEntry(i), snapshot));
        batch.PostProgress(WM_CONVERT_PROGRESS, ConvertCodeStep, 2 * static_cast<std::int64_t>(i) + 2);
        if (batch.TestConvertStop()) {
            batch.SetConvertStopped(i + 1 < batch.GetEntryCount());
            break;
        }
    }
    batch.PostProgress(WM_CONVERT_PROGRESS, ConvertCodeEnd, 0);
    return 0;
}
