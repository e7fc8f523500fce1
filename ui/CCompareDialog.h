#pragma once

#include <string>

#include <QDialog>
#include <QImage>

#include "imaging/PictureConversion.h"

class LatestWorker;
class QLabel;
class QScrollArea;

// The selected picture before and after, side by side at 1:1: before is the picture the run
// encodes (resized, on white), after is the file the run would write, converted in memory with
// the run's own code and decoded. The two views scroll together. Both are made on a worker;
// the dialog says so meanwhile. Interface thread only.
class CCompareDialog : public QDialog {
    Q_OBJECT
public:
    CCompareDialog(const std::string& path, const ConvertSnapshot& settings, QWidget* parent = nullptr);
    ~CCompareDialog() override;

    bool IsReady() const { return m_ready; }
    const QImage& GetBefore() const { return m_before; }
    const QImage& GetAfter() const { return m_after; }
    // The file's size in bytes; 0 until it is known or when it cannot be written.
    qint64 GetAfterBytes() const { return m_afterBytes; }
    QScrollArea* GetBeforeView() const { return m_beforeView; }
    QScrollArea* GetAfterView() const { return m_afterView; }

signals:
    // Both pictures are shown, or the reason why they cannot be.
    void Ready();

private:
    void Show(const QImage& before, const QImage& after, const ConvertOutcome& outcome, const QString& problem);

    LatestWorker* m_worker = nullptr;
    std::string m_extension;
    QLabel* m_beforeCaption = nullptr;
    QLabel* m_afterCaption = nullptr;
    QScrollArea* m_beforeView = nullptr;
    QScrollArea* m_afterView = nullptr;
    QImage m_before;
    QImage m_after;
    qint64 m_afterBytes = 0;
    bool m_ready = false;
};
