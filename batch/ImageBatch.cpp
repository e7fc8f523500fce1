#include "batch/ImageBatch.h"

#include "batch/AddFilesJob.h"
#include "batch/ConversionEngine.h"
#include "imaging/Picture.h"

std::string ImageBatch::GetPendingPath(int index) const
{
    if (index < 0 || index >= GetPendingCount())
        return {};
    return m_pendingPaths[static_cast<std::size_t>(index)];
}

std::string ImageBatch::GetPendingSubfolder(int index) const
{
    if (index < 0 || index >= GetPendingCount())
        return {};
    return m_pendingSubfolders[static_cast<std::size_t>(index)];
}

void ImageBatch::ClearPending()
{
    m_pendingPaths.clear();
    m_pendingSubfolders.clear();
    m_scanFolder.clear();
}

void ImageBatch::AddEntry(std::unique_ptr<ImageEntry> entry)
{
    if (entry)
        m_entries.push_back(std::move(entry));
}

ImageEntry* ImageBatch::GetEntry(int index) const
{
    if (index < 0 || index >= GetEntryCount())
        return nullptr;
    return m_entries[static_cast<std::size_t>(index)].get();
}

void ImageBatch::SelectEntry(int index)
{
    m_selectedIndex = index;
    if (const ImageEntry* entry = GetEntry(index)) {
        SetReferenceWidth(static_cast<std::int32_t>(entry->GetPixelWidth()));
        SetReferenceHeight(static_cast<std::int32_t>(entry->GetPixelHeight()));
    }
}

void ImageBatch::RemoveEntry(int index)
{
    if (index < 0 || index >= GetEntryCount())
        return;
    m_entries.erase(m_entries.begin() + index);
    if (m_entries.empty()) {
        SelectEntry(-1);
        ResetDimensions();
    } else if (m_selectedIndex == index) {
        SelectEntry(m_selectedIndex >= 1 ? m_selectedIndex - 1 : m_selectedIndex);
    }
}

void ImageBatch::RemoveAllEntries()
{
    m_entries.clear();
    SelectEntry(-1);
    ResetDimensions();
}

Rgb888 ImageBatch::GetThumbnailBitmap(int index) const
{
    const ImageEntry* entry = GetEntry(index);
    return entry ? entry->GetThumbnailBitmap() : Rgb888 {};
}

std::string ImageBatch::GetInfoText(int index) const
{
    const ImageEntry* entry = GetEntry(index);
    return entry ? entry->GetInfoText() : std::string {};
}

std::string ImageBatch::GetTitle(int index) const
{
    const ImageEntry* entry = GetEntry(index);
    return entry ? entry->GetTitle() : std::string {};
}

ImageBatch::~ImageBatch()
{
    CancelAddJob();
    CancelConvertJob();
    m_addThread.reset();
    m_convertThread.reset();
}

namespace {

// True when thread is null or its job has ended within the limit; then it is released.
bool WaitAndRelease(std::unique_ptr<WorkerThread>& thread, std::chrono::milliseconds limit)
{
    if (!thread)
        return true;
    if (!thread->WaitFor(limit))
        return false;
    thread.reset();
    return true;
}

} // namespace

void ImageBatch::StartJob(std::shared_ptr<IProgressSink> sink, AutoResetEvent& stopEvent,
    std::unique_ptr<WorkerThread>& thread, int (*job)(ImageBatch&))
{
    if (!sink)
        return;
    {
        std::lock_guard lock(m_sinkMutex);
        m_progressSink = std::move(sink);
    }
    stopEvent.Reset();
    if (!thread)
        thread = std::make_unique<WorkerThread>([this, job] { job(*this); });
}

void ImageBatch::StartConvertJob(std::shared_ptr<IProgressSink> sink)
{
    StartJob(std::move(sink), m_convertStopEvent, m_convertThread, ConversionEngine);
}

void ImageBatch::StartAddJob(std::shared_ptr<IProgressSink> sink)
{
    StartJob(std::move(sink), m_addStopEvent, m_addThread, AddFilesJob);
}

bool ImageBatch::WaitConvertJob(std::chrono::milliseconds limit) { return WaitAndRelease(m_convertThread, limit); }

bool ImageBatch::WaitAddJob(std::chrono::milliseconds limit) { return WaitAndRelease(m_addThread, limit); }

void ImageBatch::PostProgress(std::uint32_t message, std::uint32_t code, std::int64_t value)
{
    std::shared_ptr<IProgressSink> sink;
    {
        std::lock_guard lock(m_sinkMutex);
        sink = m_progressSink;
    }
    if (sink)
        sink->Post(message, code, value);
}

int ImageBatch::GetJobs() const { return m_jobs > 0 ? m_jobs : CoreCount(); }

int ImageBatch::GetConvertFailureCount() const
{
    int failures = 0;
    for (const ConvertOutcome& outcome : m_convertOutcomes)
        if (outcome.status != ConvertStatus::Written && outcome.status != ConvertStatus::Skipped)
            ++failures;
    return failures;
}

void ImageBatch::ClearConvertOutcomes()
{
    m_convertOutcomes.clear();
    m_convertStopped = false;
}
