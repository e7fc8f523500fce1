// Pictures named from outside the window: on the command line, by a file manager, or by a
// later start of the program.
#include "ui/CKestrovaDlg.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <utility>

#include "batch/BatchJobKind.h"

namespace {

// How often a queue that waits for a dialog to close looks again.
constexpr int kQueueRetryMs = 200;

} // namespace

void CKestrovaDlg::QueuePathsToAdd(const QStringList& paths)
{
    m_queuedPaths += paths;
    ScheduleQueuedPaths(0);
}

void CKestrovaDlg::ScheduleQueuedPaths(int delayMs)
{
    if (m_queueScheduled || m_queuedPaths.isEmpty())
        return;
    m_queueScheduled = true;
    QTimer::singleShot(delayMs, this, &CKestrovaDlg::AddQueuedPaths);
}

void CKestrovaDlg::AddQueuedPaths()
{
    m_queueScheduled = false;
    // An open dialog owns the batch (a run's or an intake's progress) or the user's answer
    // (a message, a file chooser, a menu); the paths wait until it closes.
    const QWidget* modal = QApplication::activeModalWidget();
    if (!isVisible() || (modal != nullptr && modal != this) || QApplication::activePopupWidget() != nullptr) {
        ScheduleQueuedPaths(kQueueRetryMs);
        return;
    }
    AddPaths(std::exchange(m_queuedPaths, {}));
    // More may have come while the intakes ran.
    ScheduleQueuedPaths(0);
}

void CKestrovaDlg::AddPaths(const QStringList& paths)
{
    QStringList folders;
    int files = 0;
    for (const QString& path : paths) {
        if (QFileInfo(path).isDir()) {
            folders << path;
        } else {
            m_batch.AddPendingPath(path.toStdString());
            ++files;
        }
    }
    if (files > 0)
        RunIntake(AddFiles, files);
    for (const QString& folder : folders)
        RunIntake(AddFolder, 0, folder);
}
