#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "batch/JobSignals.h"
#include "batch/WorkerThread.h"
#include "imaging/ImageEntry.h"
#include "imaging/PictureConversion.h"
#include "imaging/ResizeSettings.h"

// The ordered pictures of the list, in the order they were added.
using ImageEntryList = std::vector<std::unique_ptr<ImageEntry>>;

// A file the add job did not take into the list, and why, in plain words.
struct RejectedFile {
    std::string path;
    std::string reason;
};

// The model behind the main window: the list of pictures, the paths waiting to be
// added, the selection and the options of a run. Owned by the main window. Used on
// the interface thread, and by one job at a time while the interface waits for it.
// Index accessors never fail: out of range gives null or an empty string.
class ImageBatch : public ResizeSettings {
public:
    ImageBatch() = default;
    // Stops and joins a job that still runs, so no worker outlives the batch.
    ~ImageBatch();
    ImageBatch(const ImageBatch&) = delete;
    ImageBatch& operator=(const ImageBatch&) = delete;

    // subfolder: relative to the folder the path was found in ("" or "a/b/"), for a kept tree.
    void AddPendingPath(const std::string& path, const std::string& subfolder = {})
    {
        m_pendingPaths.push_back(path);
        m_pendingSubfolders.push_back(subfolder);
    }
    std::string GetPendingPath(int index) const;
    std::string GetPendingSubfolder(int index) const;
    int GetPendingCount() const { return static_cast<int>(m_pendingPaths.size()); }
    void ClearPending();
    void SetScanFolder(const std::string& folder) { m_scanFolder = folder; }
    std::string GetScanFolder() const { return m_scanFolder; }
    void SetScanFolderFlag(bool scan) { m_scanFolderFlag = scan; }
    bool GetScanFolderFlag() const { return m_scanFolderFlag; }

    // Takes ownership; a null entry is ignored so the list never holds one.
    void AddEntry(std::unique_ptr<ImageEntry> entry);
    ImageEntry* GetEntry(int index) const;
    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    void RemoveEntry(int index);
    void RemoveAllEntries();
    int GetSelectedIndex() const { return m_selectedIndex; }
    void SelectEntry(int index);

    Rgb888 GetThumbnailBitmap(int index) const;
    std::string GetInfoText(int index) const;
    std::string GetTitle(int index) const;

    // The conversion job. Start, Cancel and Wait belong to the interface thread;
    // the sink is called on the worker. A null sink starts nothing, and while a
    // worker exists no second one is started.
    void StartConvertJob(std::shared_ptr<IProgressSink> sink);
    void CancelConvertJob() { m_convertStopEvent.Set(); }
    // True when no conversion runs any more, and its thread is released. False
    // when it still runs after the limit; the thread is then kept, not destroyed.
    bool WaitConvertJob(std::chrono::milliseconds limit = std::chrono::milliseconds(60000));
    bool IsConvertJobRunning() const
    {
        return m_convertThread && !m_convertThread->WaitFor(std::chrono::milliseconds(0));
    }
    // Passes a message to the sink of the running job; nothing without one.
    void PostProgress(std::uint32_t message, std::uint32_t code, std::int64_t value);
    // The job's zero-time stop test; it consumes the event.
    bool TestConvertStop() { return m_convertStopEvent.TryConsume(); }

    // Pictures a job works on at once; 0 (the default) means one per processor core.
    void SetJobs(int jobs) { m_jobs = jobs < 0 ? 0 : jobs; }
    int GetJobs() const;

    // The add job (AddFilesJob), controlled like the conversion: one worker at a
    // time, a stop event of its own, and the same sink slot (one job runs at once).
    void StartAddJob(std::shared_ptr<IProgressSink> sink);
    void CancelAddJob() { m_addStopEvent.Set(); }
    bool WaitAddJob(std::chrono::milliseconds limit = std::chrono::milliseconds(10000));
    bool IsAddJobRunning() const { return m_addThread && !m_addThread->WaitFor(std::chrono::milliseconds(0)); }
    bool TestAddStop() { return m_addStopEvent.TryConsume(); }

    // What the last conversion did, one outcome per picture it reached, in list
    // order. Written by the job; read them once WaitConvertJob has returned true
    // (or from the sink, which runs on the job's own thread).
    const std::vector<ConvertOutcome>& GetConvertOutcomes() const { return m_convertOutcomes; }
    int GetConvertFailureCount() const;
    // True when the last conversion was stopped before the end of the list.
    bool GetConvertStopped() const { return m_convertStopped; }
    void ClearConvertOutcomes();
    void AddConvertOutcome(ConvertOutcome outcome) { m_convertOutcomes.push_back(std::move(outcome)); }
    void SetConvertStopped(bool stopped) { m_convertStopped = stopped; }

    // The files the last add job looked at and did not add, in the order it met them. Written
    // by the job; read them once WaitAddJob has returned true.
    const std::vector<RejectedFile>& GetRejectedFiles() const { return m_rejectedFiles; }
    void AddRejectedFile(RejectedFile file) { m_rejectedFiles.push_back(std::move(file)); }
    void ClearRejectedFiles() { m_rejectedFiles.clear(); }

private:
    void StartJob(std::shared_ptr<IProgressSink> sink, AutoResetEvent& stopEvent, std::unique_ptr<WorkerThread>& thread,
        int (*job)(ImageBatch&));

    ImageEntryList m_entries;
    std::vector<std::string> m_pendingPaths;
    std::vector<std::string> m_pendingSubfolders;
    std::string m_scanFolder;
    bool m_scanFolderFlag = false;
    int m_selectedIndex = -1;

    std::mutex m_sinkMutex; // the sink is replaced on the interface thread and used on the worker
    std::shared_ptr<IProgressSink> m_progressSink;
    AutoResetEvent m_convertStopEvent;
    AutoResetEvent m_addStopEvent;
    std::vector<ConvertOutcome> m_convertOutcomes;
    bool m_convertStopped = false;
    std::vector<RejectedFile> m_rejectedFiles;
    int m_jobs = 0;
    // Last, so they are joined before the rest goes.
    std::unique_ptr<WorkerThread> m_addThread;
    std::unique_ptr<WorkerThread> m_convertThread;
};
