#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QDialog>
#include <QPoint>
#include <QString>

class CSkinButton;
class CTransStatic;
class ImageBatch;
class QProgressBar;
class QtProgressSink;

// The modal dialog that runs one job (adding files, adding a folder, converting)
// on a worker thread and shows its progress. It starts the job from a message it
// posts to itself, so it is on the screen before the worker exists, and closes on
// the job's end message. It never closes, and never goes, while its worker runs:
// Cancel and the window manager's close both stop the job and wait for it.
// Created and used on the interface thread; the batch is not owned.
class CProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit CProgressDialog(QWidget* parent = nullptr);
    ~CProgressDialog() override;

    void SetBatch(ImageBatch* batch) { m_batch = batch; }
    void SetJobKind(int kind) { m_jobKind = kind; }
    void SetTotal(int total) { m_total = total; }
    // Shows the dialog, which runs the job; QDialog::Accepted once the job has
    // ended and the dialog has closed.
    int DoModal();

    QString GetStatusText() const;
    QProgressBar* GetProgressBar() const { return m_bar; }
    CSkinButton* GetCancelButton() const { return m_cancel; }

    // How a finished conversion opens its output folder; null restores the
    // desktop's file manager. Tests replace it so that nothing is launched.
    using OpenFolderHook = std::function<void(const QString& folder)>;
    static void SetOpenFolderHook(OpenFolderHook hook);

    // Dialog units of the layout, at 2 pixels each.
    static constexpr int DialogWidth = 668;
    static constexpr int DialogHeight = 132;

signals:
    void StatusTextChanged(const QString& text);

public slots:
    void reject() override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class RunState { Waiting, Running, Cancelling, Finishing, Closed };

    void OnAddProgress(std::uint32_t code, std::int64_t value);
    void OnConvertProgress(std::uint32_t code, std::int64_t value);
    void OnBnClickedCancel();

    void PostToSelf(std::uint32_t convertCode, std::uint32_t addCode);
    void StartJob();
    void CancelJob();
    bool WaitJobOnce();
    void WaitJobToTheEnd();
    void StopJobAndWait();
    void ShowStep(std::int64_t position, const char* format);
    void EndJob(const char* format);
    QString CountText(const char* format, int done) const;
    void SetStatusText(const QString& text);

    ImageBatch* m_batch = nullptr;
    int m_jobKind = 0;
    int m_total = 0;
    RunState m_state = RunState::Waiting;
    bool m_startPosted = false;
    bool m_cancelBeforeStart = false;
    bool m_jobHeld = false; // a worker of ours may exist and has not been released
    std::shared_ptr<QtProgressSink> m_sink;

    QProgressBar* m_bar = nullptr;
    CTransStatic* m_status = nullptr;
    CSkinButton* m_cancel = nullptr;

    bool m_dragging = false; // moving by hand where the window system cannot
    QPoint m_dragOffset;
};
