#include "ui/OutputEstimator.h"

#include <vector>

#include "imaging/ImageEntry.h"
#include "imaging/Picture.h"
#include "ui/LatestWorker.h"

namespace {

// The settings that decide what is written; where it goes does not matter here.
bool SameOutput(const ConvertSnapshot& a, const ConvertSnapshot& b)
{
    return a.choice == b.choice && a.mode == b.mode && a.extension == b.extension && a.quality == b.quality
        && a.unit == b.unit && a.w == b.w && a.h == b.h && a.targetKB == b.targetKB && a.options == b.options;
}

} // namespace

OutputEstimator::OutputEstimator(QObject* parent)
    : QObject(parent)
    , m_worker(new LatestWorker(this))
{
}

void OutputEstimator::Request(const std::string& path, ConvertSnapshot snapshot)
{
    snapshot.folder.clear();
    snapshot.overwrite = false;
    snapshot.beforeNaming = nullptr;
    if (m_requested && path == m_path && SameOutput(snapshot, m_snapshot))
        return;
    m_requested = true;
    m_path = path;
    m_snapshot = snapshot;
    m_result.reset();
    const std::uint64_t serial = ++m_serial;
    m_worker->Post(
        [this, serial, path, snapshot]() -> LatestWorker::Done {
            ImageEntry entry;
            entry.SetPath(path);
            std::vector<std::uint8_t> bytes;
            const ConvertOutcome outcome = ConvertEntryInMemory(entry, snapshot, bytes);
            if (StopScope::Requested())
                return nullptr;
            return [this, serial, outcome] {
                if (serial != m_serial)
                    return;
                m_result = outcome;
                emit Estimated();
            };
        },
        true);
}

void OutputEstimator::Clear()
{
    m_requested = false;
    m_result.reset();
    ++m_serial;
    m_worker->Stop();
}
