#pragma once

#include <optional>
#include <string>

#include <QObject>

#include "imaging/PictureConversion.h"

class LatestWorker;

// What the run would write for one picture, found by converting it in memory with the run's own
// code on a worker (LatestWorker): the size is exact, not a guess. A new request stops the one
// in progress; asking again for what was asked last does nothing. Interface thread only.
class OutputEstimator : public QObject {
    Q_OBJECT
public:
    explicit OutputEstimator(QObject* parent = nullptr);

    // The file converted with the snapshot (its folder and overwrite do not matter).
    void Request(const std::string& path, ConvertSnapshot snapshot);
    // Forgets the request; one in progress is stopped.
    void Clear();
    // The outcome of the last request once it has come; null before and after Clear.
    const ConvertOutcome* GetResult() const { return m_result ? &*m_result : nullptr; }
    bool IsPending() const { return m_requested && !m_result; }

signals:
    // GetResult holds the outcome of the last request.
    void Estimated();

private:
    LatestWorker* m_worker = nullptr;
    bool m_requested = false;
    std::string m_path;
    ConvertSnapshot m_snapshot;
    std::uint64_t m_serial = 0;
    std::optional<ConvertOutcome> m_result;
};
