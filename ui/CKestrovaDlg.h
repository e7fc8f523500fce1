#pragma once

#include <QMessageBox>
#include <QPointer>

#include "batch/ImageBatch.h"
#include "batch/OutputPlan.h"
#include "ui/CUILibDialog.h"
#include "ui/NotificationDispatch.h"

#include <memory>
#include <utility>

class CEditEx;
class COutputOptionsDialog;
class CImageListCtrlEx;
class CPictureBox;
class OutputEstimator;
struct SummaryText;
class CSpinButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAbstractButton;
class QUrl;

// The main window: builds its content from the skin, owns the picture batch and the
// option controls, and sends every notification, menu command and caption button
// to its handler. Owned by the application; interface thread only.
class CKestrovaDlg : public CUILibDialog {
    Q_OBJECT
public:
    // skinArchive: the archive holding AppKestrova.xml.
    explicit CKestrovaDlg(const QString& skinArchive, QWidget* parent = nullptr);
    ~CKestrovaDlg() override;

    ImageBatch& GetBatch() { return m_batch; }
    CImageListCtrlEx* GetImageList() const { return m_imageList; }
    CPictureBox* GetPreview() const { return m_preview; }

    // Makes the entry the selected picture and shows it in the preview.
    void SelectEntryForPreview(int index);
    void OnRemoveFiles();
    void OnClearAll();
    void OnShowMenu(QWidget* sender);
    void OnMenuHelp();
    void OnMenuHomepage();
    void OnMenuAbout();
    // Minimise, maximise or restore; the max/restore buttons follow the state.
    enum SysCommand { SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE };
    void OnSysCommand(SysCommand command);

    // Batch commands: Start, the three ways of adding pictures, the output folder.
    void OnStart();
    void OnAddFile();
    void OnAddFolder();
    // kind: AddFiles or AddFolder; total: the collected paths (none for a folder).
    void RunIntake(int kind, int total, const QString& folder = QString());
    void OnDropFiles(const QStringList& paths);
    // Files and folders named on the command line or passed on by a later start: the files
    // are added as Add File adds them, each folder as Add Folder does, once no dialog or
    // menu of the window is open.
    void QueuePathsToAdd(const QStringList& paths);
    void OnBrowseOutput();
    void OnOpenOutput();
    void OnOpenFolderToggled();

    // The option panel: every change goes into the batch at once, whether the mouse, the
    // keyboard or the program made it, and reaches its handler once.
    void OnResizeModeChanged();
    void OnWidthUnitChanged();
    void OnHeightUnitChanged();
    void OnWidthEdited();
    void OnHeightEdited();
    void OnQualityEdited();
    void OnTargetSizeEdited();
    // The checked compression radio, as far as the output format takes a quality.
    void OnCompressionChosen();
    void OnOverwriteToggled();
    void OnOutputFormatChanged();
    // Sub-folders, the kept tree, taken names, files that would grow, metadata and dates.
    void OnOptions();
    // Every option of the panel into the settings, so the next start has them.
    void RememberOptions();
    // The named presets of the settings file: applied to the panel, stored from it, deleted.
    // False with a message shown when the preset cannot be used or stored.
    bool ApplyPreset(const QString& name);
    bool SavePresetAs(const QString& name);
    bool DeletePresetNamed(const QString& name);
    // The Presets menu as it is now: each preset, then Save Preset... and Delete Preset.
    void FillPresetMenu(QMenu* menu);
    // Do Not Enlarge, Keep Transparency, Shrink to Fit: into the batch and the settings.
    void OnOutputOptionToggled();
    void RefreshOptionControls();
    void UpdateInfoText();
    // What the selected picture becomes under the current options, under the preview: its size
    // at once, the bytes exactly once the worker has converted it in memory.
    void UpdateOutputEstimate();
    // The selected picture before and after, side by side (a CCompareDialog child of the window).
    void OnCompare();
    OutputEstimator* GetEstimator() const { return m_estimator; }

    QMenu* GetHelpMenu() const { return m_helpMenu; }
    static QString GetWindowName();
    // The name filters of the Open dialog, the one in force first.
    static QStringList OpenDialogFilters();

signals:
    // An option control's change went into the batch; control: its object name.
    void OptionApplied(const QString& control);

protected:
    // The desktop's dialogs and the file manager; tests put their own answers here.
    virtual QStringList ChooseFilesToAdd();
    virtual bool BrowseForFolder(QString& folder, const QString& title);
    virtual void ShowMessage(const QString& text, QMessageBox::Icon icon);
    // False when the folder could not be opened.
    virtual bool OpenFolder(const QString& folder);
    // The desktop's handler for a page; false when none would take it.
    virtual bool OpenUrl(const QUrl& url);
    // The end of a run or an intake; folder: the output folder to offer, or empty.
    virtual void ShowSummary(const SummaryText& summary, const QString& folder);
    // A folder with sub-folders is being added: 1 with them, 0 without, -1 not at all.
    virtual int AskIncludeSubfolders(const QString& folder, bool withThemLastTime);
    // With overwrite on, the pictures the run would destroy: true to go ahead. plan: the whole plan.
    virtual bool ConfirmReplacing(const std::vector<PlannedOutput>& atRisk, const std::vector<PlannedOutput>& plan);
    // The options dialog, shown modal; true when it was accepted.
    virtual bool ExecOptionsDialog(COutputOptionsDialog& dialog);
    // A name for a new preset, empty when the user cancels; a question before one is replaced.
    virtual QString AskPresetName();
    virtual bool ConfirmReplacePreset(const QString& name);

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void done(int result) override;
    void Notify(const QString& type, QWidget* sender) override;
    void changeEvent(QEvent* event) override;

private:
    void OnInitDialog();
    // Prepares the data folder and the settings path; false after telling the user why.
    static bool InitDataDirectory();
    void BindMarkupControls();
    void CreateChildWindows();
    void FillOptionControls();
    // Every control of the panel shows the batch's options; no handler stores anything meanwhile.
    void ShowOptionsInControls();
    // The dimensions as last remembered (the defaults when none are): a list that starts again
    // starts from them.
    void RestoreRememberedDimensions();
    // Maximise or Restore, as the window's state asks: run on every change of the state.
    void UpdateCaptionButtons();
    // Hands the entry's file to the preview, which decodes a screen-sized copy on its worker;
    // false when there is no such entry.
    bool ShowInPreview(int index);
    void ShowInvalidFolder(const QString& folder);
    // Where Add Folder's chooser opens: the folder chosen last, else the user's pictures, else home.
    static QString AddFolderStart();
    // The help page in a window of our own, for a desktop that shows no pages.
    void ShowHelpWindow(const QString& page);
    // The summary of the run that just ended, which took `milliseconds`.
    void ReportConvertFailures(qint64 milliseconds);
    // The preview's decode, render and estimate work and the Compare button.
    void ConnectPreviewWork();
    void AddQueuedPaths();
    // The files first, as Add File adds them; then each folder as Add Folder does, with its
    // sub-folders as last chosen.
    void AddPaths(const QStringList& paths);
    void ScheduleQueuedPaths(int delayMs);
    // The width and height fields, their units and labels as the shown mode asks; runs on
    // every change of the mode combo, whoever makes it.
    void ApplyModeToControls();
    // The compression controls and the batch's choice from the format and the checked radio.
    void ApplyCompressionToControls();
    // Shrink to Fit goes with the target size; Keep Transparency with a format that holds alpha.
    void UpdateOptionChecks();
    // The preview's scale: what the run will write for the selected picture.
    void UpdatePreviewScale();
    void ConnectOptionControls();
    // Delete in the list removes, Ctrl+O adds files, Ctrl+Return starts.
    void CreateShortcuts();
    void SetTabOrder();
    // Setting an edit's text always runs its change handling, even when the text is the same.
    static void SetEditText(QLineEdit* edit, const QString& text);
    QString FormatValue(double value) const;

    QString m_skinArchive;
    ImageBatch m_batch;

    CImageListCtrlEx* m_imageList = nullptr;
    CPictureBox* m_preview = nullptr;
    QComboBox* m_resizeModeCombo = nullptr;
    QComboBox* m_widthUnitCombo = nullptr;
    QComboBox* m_heightUnitCombo = nullptr;
    QLineEdit* m_qualityEdit = nullptr;
    CSpinButton* m_qualitySpin = nullptr;
    QLineEdit* m_sizeEdit = nullptr;
    CSpinButton* m_sizeSpin = nullptr;
    CEditEx* m_widthEdit = nullptr;
    CEditEx* m_heightEdit = nullptr;
    QLineEdit* m_outputEdit = nullptr;
    QComboBox* m_formatCombo = nullptr;
    bool m_syncingControls = false; // the program shows the batch's values: no handler runs
    bool m_listSyncing = false;     // the program changes the list: its current item is no choice
    bool m_showingOptions = true;   // the program fills the panel: nothing is remembered yet

    // Markup controls, owned by the content.
    QPointer<QAbstractButton> m_radioQuality;
    QPointer<QAbstractButton> m_radioSize;
    QPointer<QAbstractButton> m_chkOpenFolder;
    QPointer<QAbstractButton> m_chkOverwrite;
    QPointer<QAbstractButton> m_chkDoNotEnlarge;
    QPointer<QAbstractButton> m_chkKeepAlpha;
    QPointer<QAbstractButton> m_chkShrinkToFit;
    QPointer<QLabel> m_textWidth;
    QPointer<QLabel> m_textHeight;
    QPointer<QLabel> m_textCaption;
    QPointer<QLabel> m_labelCopyright;
    QPointer<QLabel> m_labelInfos;
    QPointer<QLabel> m_labelEstimate;
    QPointer<QAbstractButton> m_btnCompare;
    OutputEstimator* m_estimator = nullptr;
    CaptionButtons m_captionButtons;
    QPointer<QWidget> m_btnMax;
    QPointer<QWidget> m_btnRestore;

    QMenu* m_helpMenu = nullptr;
    QPointer<QWidget> m_menuLink; // the control that opened it
    QPointer<QDialog> m_helpWindow;
    bool m_pixelOnlyShown = false;                  // the fields' input modes were set for a pixel-only mode
    std::pair<int, int> m_savedInputModes { 0, 0 }; // theirs before it
    QStringList m_queuedPaths;                      // waiting for QueuePathsToAdd's turn
    bool m_queueScheduled = false;
};

// The program's main window, for the application object.
std::unique_ptr<QDialog> CreateMainWindow(const QString& skinArchive);
