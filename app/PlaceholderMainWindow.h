#pragma once

#include <memory>

#include <QDialog>

// Stands in for the main window until the real one exists: it goes through the same
// initialisation steps (mark, data folder, languages, settings) so start-up and the
// single-instance rule can be used and tested now. Interface thread only.
class CPlaceholderDlg : public QDialog {
    Q_OBJECT

public:
    CPlaceholderDlg();
    ~CPlaceholderDlg() override;

    void done(int result) override;
};

std::unique_ptr<QDialog> CreatePlaceholderMainWindow();
