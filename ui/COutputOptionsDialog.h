#pragma once

#include <QDialog>

#include "imaging/ResizeSettings.h"

class QCheckBox;
class QComboBox;

// What happens around each picture written: sub-folders, the kept tree, taken names, files
// that would grow, metadata and dates. Edits a copy; the caller takes GetOptions() after OK.
class COutputOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // The choices for a taken output name, in the combo's order.
    enum ExistingRule { NumberIt = 0, ReplaceIt = 1, SkipIt = 2 };
    static ExistingRule RuleOf(const OutputOptions& options, bool overwrite);

    COutputOptionsDialog(const OutputOptions& options, bool overwrite, QWidget* parent = nullptr);

    OutputOptions GetOptions() const;
    bool GetOverwrite() const;

    QCheckBox* Check(const char* name) const;
    QComboBox* GetExistingCombo() const { return m_existing; }

private:
    OutputOptions m_options;
    QComboBox* m_existing = nullptr;
    QCheckBox* m_subfolders = nullptr;
    QCheckBox* m_keepTree = nullptr;
    QCheckBox* m_skipLarger = nullptr;
    QCheckBox* m_keepMetadata = nullptr;
    QCheckBox* m_stripGps = nullptr;
    QCheckBox* m_keepDates = nullptr;
};
