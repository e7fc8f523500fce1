#pragma once

#include <vector>

#include <QString>

#include "batch/ImageBatch.h"
#include "imaging/PictureConversion.h"

// The words of the summary shown after a run and after adding pictures. Plain functions of
// what the job left behind, so they are tested without a window.
struct SummaryText {
    QString heading;             // one line: how it ended
    QString facts;               // the counts, sizes and time, one fact a line
    QString details;             // the pictures that failed or were written with a warning, each with why
    QString ToPlainText() const; // all of it, as copied
};

// A conversion run: total is the number of pictures in the list, outcomes those the run
// reached (fewer when stopped), milliseconds the time it took.
SummaryText SummarizeRun(const std::vector<ConvertOutcome>& outcomes, int total, bool stopped, qint64 milliseconds);

// Adding pictures: `looked` files were looked at, `added` of them added, the rejected ones
// listed with their reasons.
SummaryText SummarizeIntake(const std::vector<RejectedFile>& rejected, int looked, int added);

// "980 bytes", "12.5 KB", "3.4 MB" (units of 1024).
QString FormatBytes(std::uint64_t bytes);
