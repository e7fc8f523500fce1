#pragma once

#include <functional>

#include <QDialog>

#include "ui/RunSummary.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The summary shown when a run or an intake ends: a heading, the facts, and the pictures that
// failed or carry a warning in a text that can be selected and copied (Copy puts everything on
// the clipboard). After a run it offers to open the output folder and says so when that fails.
// Return and Escape close it. Interface thread only.
class CSummaryDialog : public QDialog {
    Q_OBJECT
public:
    // Opens the folder; false when it could not be opened.
    using OpenFolder = std::function<bool(const QString& folder)>;

    // folder: the output folder to offer; empty for none.
    CSummaryDialog(const SummaryText& summary, const QString& folder, OpenFolder open, QWidget* parent = nullptr);

    QLabel* GetHeading() const { return m_heading; }
    QPlainTextEdit* GetDetails() const { return m_details; }
    QPushButton* GetCopyButton() const { return m_copy; }
    QPushButton* GetOpenButton() const { return m_open; }
    QLabel* GetNote() const { return m_note; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnOpenFolder();

    SummaryText m_summary;
    QString m_folder;
    OpenFolder m_openFolder;
    QLabel* m_heading = nullptr;
    QPlainTextEdit* m_details = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_open = nullptr;
    QLabel* m_note = nullptr;
};
