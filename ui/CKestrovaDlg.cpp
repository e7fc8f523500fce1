#include "ui/CKestrovaDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>
#include <climits>
#include <iterator>

#include "controls/CEditEx.h"
#include "controls/CSpinButton.h"
#include "imaging/PictureFormat.h"
#include "settings/AppIdentity.h"
#include "settings/DataDirectory.h"
#include "settings/LanguageTable.h"
#include "settings/SettingsStore.h"
#include "ui/CAboutDlg.h"
#include "ui/CImageListCtrlEx.h"
#include "ui/CPictureBox.h"
#include "ui/MainWindowMark.h"

namespace {

// In the order of ResizeMode.
const char* const kResizeModes[]
    = { "Scaled Image", "Fix Image", "Restrict Width", "Restrict Height", "Fit in Box", "Long Edge", "Short Edge" };
static_assert(std::size(kResizeModes) == ResizeModeCount);
const char* const kUnits[] = { "Percent", "Pixel" };

template <std::size_t N>
void Fill(QComboBox* combo, const char* const (&items)[N])
{
    for (const char* item : items)
        combo->addItem(QString::fromLatin1(item));
    combo->setCurrentIndex(0);
}

template <class T>
T* Find(CUILibDialog* dlg, const char* name)
{
    return qobject_cast<T*>(dlg->FindControl(QString::fromLatin1(name)));
}

} // namespace

QString CKestrovaDlg::GetWindowName()
{
    return QString::fromUtf8(AppIdentity::DisplayName) + QString::fromUtf8(AppIdentity::VersionText);
}

QString CKestrovaDlg::GetHomepageAddress() { return QStringLiteral("https://kestrova.example.org/"); }

CKestrovaDlg::CKestrovaDlg(const QString& skinArchive, QWidget* parent)
    : CUILibDialog(parent)
    , m_skinArchive(skinArchive)
{
    OnInitDialog();
}

CKestrovaDlg::~CKestrovaDlg() { UnmarkMainWindow(this); }

void CKestrovaDlg::done(int result)
{
    // Once closing, a later start must find no window to bring forward.
    UnmarkMainWindow(this);
    CUILibDialog::done(result);
}

std::unique_ptr<QDialog> CreateMainWindow(const QString& skinArchive)
{
    return std::make_unique<CKestrovaDlg>(skinArchive);
}

bool CKestrovaDlg::InitDataDirectory()
{
    const char* problem = nullptr;
    switch (PrepareDataDirectory()) {
    case DataDirectoryResult::Ready:
        return true;
    case DataDirectoryResult::CannotResolve:
        problem = "Can not load the application data directory";
        break;
    case DataDirectoryResult::CannotCreate:
        problem = "Can not create the application data directory";
        break;
    }
    QMessageBox box(
        QMessageBox::Warning, QCoreApplication::applicationName(), QString::fromUtf8(problem), QMessageBox::Ok);
    box.exec();
    return false;
}

void CKestrovaDlg::OnInitDialog()
{
    BuildContent(m_skinArchive, QStringLiteral("AppKestrova.xml"));
    MarkMainWindow(this);
    InitDataDirectory();
    GetLanguageTable().LoadLanguages();
    CreateChildWindows();
    BindMarkupControls();
    ConnectOptionControls();
    ConnectPreviewWork();
    FillOptionControls();
    setAcceptDrops(true);
}

void CKestrovaDlg::CreateChildWindows()
{
    m_imageList = new CImageListCtrlEx(this);
    m_imageList->setObjectName(QStringLiteral("imageList"));
    m_preview = new CPictureBox(this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_resizeModeCombo = new QComboBox(this);
    m_widthUnitCombo = new QComboBox(this);
    m_heightUnitCombo = new QComboBox(this);
    m_qualityEdit = new QLineEdit(this);
    m_qualityEdit->setValidator(new QIntValidator(0, 999999, m_qualityEdit)); // digits only
    m_qualitySpin = new CSpinButton(this);
    m_sizeEdit = new QLineEdit(this);
    m_sizeEdit->setValidator(new QIntValidator(0, 999999, m_sizeEdit));
    m_sizeSpin = new CSpinButton(this);
    m_widthEdit = new CEditEx(this);
    m_heightEdit = new CEditEx(this);
    m_outputEdit = new QLineEdit(this);
    m_formatCombo = new QComboBox(this);
    m_resizeModeCombo->setObjectName(QStringLiteral("resizeModeCombo"));
    m_widthUnitCombo->setObjectName(QStringLiteral("widthUnitCombo"));
    m_heightUnitCombo->setObjectName(QStringLiteral("heightUnitCombo"));
    m_qualityEdit->setObjectName(QStringLiteral("qualityEdit"));
    m_qualitySpin->setObjectName(QStringLiteral("qualitySpin"));
    m_sizeEdit->setObjectName(QStringLiteral("sizeEdit"));
    m_sizeSpin->setObjectName(QStringLiteral("sizeSpin"));
    m_widthEdit->setObjectName(QStringLiteral("widthEdit"));
    m_heightEdit->setObjectName(QStringLiteral("heightEdit"));
    m_outputEdit->setObjectName(QStringLiteral("outputEdit"));
    m_formatCombo->setObjectName(QStringLiteral("formatCombo"));
    m_sizeEdit->setEnabled(false);
    m_sizeSpin->setEnabled(false);
}

void CKestrovaDlg::BindMarkupControls()
{
    const std::pair<QWidget*, const char*> attach[] = {
        { m_imageList, "wndImageList" },
        { m_preview, "wndPreview" },
        { m_resizeModeCombo, "wndResizeType" },
        { m_widthEdit, "wndEditWidth" },
        { m_widthUnitCombo, "wndCbWidth" },
        { m_heightEdit, "wndEditHeight" },
        { m_heightUnitCombo, "wndCbHeight" },
        { m_qualityEdit, "wndEditQuality" },
        { m_qualitySpin, "wndSpinQuality" },
        { m_sizeEdit, "wndEditSize" },
        { m_sizeSpin, "wndSpinSize" },
        { m_formatCombo, "wndCbOutputFormats" },
        { m_outputEdit, "wndEditOutput" },
    };
    for (const auto& [child, name] : attach) {
        // A child without its placeholder has no place in the window.
        if (!AttachChildWindow(child, QString::fromLatin1(name)))
            child->hide();
    }

    m_radioQuality = Find<QAbstractButton>(this, "radioQuality");
    m_radioSize = Find<QAbstractButton>(this, "radioSize");
    m_chkOpenFolder = Find<QAbstractButton>(this, "chkOpenFolder");
    m_chkOverwrite = Find<QAbstractButton>(this, "chkOverwrite");
    m_chkDoNotEnlarge = Find<QAbstractButton>(this, "chkDoNotEnlarge");
    m_chkKeepAlpha = Find<QAbstractButton>(this, "chkKeepAlpha");
    m_chkShrinkToFit = Find<QAbstractButton>(this, "chkShrinkToFit");
    m_textWidth = Find<QLabel>(this, "textWidth");
    m_textHeight = Find<QLabel>(this, "textHeight");
    m_textCaption = Find<QLabel>(this, "textCaption");
    m_labelCopyright = Find<QLabel>(this, "labelCopyright");
    m_labelInfos = Find<QLabel>(this, "labelInfos");
    m_labelEstimate = Find<QLabel>(this, "labelEstimate");
    m_captionButtons.close = FindControl(QStringLiteral("btnClose"));
    m_captionButtons.minimize = FindControl(QStringLiteral("btnMin"));
    m_btnMax = FindControl(QStringLiteral("btnMax"));
    m_btnRestore = FindControl(QStringLiteral("btnRestore"));
    m_captionButtons.maximize = m_btnMax;
    m_captionButtons.restore = m_btnRestore;

    m_batch.SetOpenFolderAfterRun(SettingsStore::GetOpenFolder());
    m_outputEdit->setText(QString::fromStdString(SettingsStore::GetLastFolder()));
    if (m_chkOpenFolder)
        m_chkOpenFolder->setChecked(SettingsStore::GetOpenFolder());
    // Before the check boxes are connected, so showing the stored state stores nothing.
    m_batch.SetOutputOptions(SettingsStore::GetOutputOptions());
    const std::pair<QAbstractButton*, bool> checks[] = {
        { m_chkDoNotEnlarge, m_batch.GetDoNotEnlarge() },
        { m_chkKeepAlpha, m_batch.GetKeepAlpha() },
        { m_chkShrinkToFit, m_batch.GetShrinkToFit() },
    };
    for (const auto& [check, on] : checks)
        if (check)
            check->setChecked(on);

    setWindowTitle(GetWindowName());
    if (m_textCaption) {
        m_textCaption->setTextFormat(Qt::RichText);
        m_textCaption->setText(QStringLiteral("<b>%1</b>").arg(GetWindowName().toHtmlEscaped()));
    }
    if (m_labelCopyright)
        m_labelCopyright->setText(QStringLiteral("Copyright \u00A9 2026 Lumisk Studio. All rights reserved."));

    const QSize minimum = GetRoot() ? GetRoot()->minimumSize() : QSize();
    if (!minimum.isEmpty())
        setMinimumSize(
            minimum + QSize(GetSizeBox().left() + GetSizeBox().right(), GetSizeBox().top() + GetSizeBox().bottom()));
    resize(GetRoot() && GetRoot()->size().isValid() ? GetRoot()->size() : QSize(946, 656));
    if (QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

void CKestrovaDlg::FillOptionControls()
{
    Fill(m_resizeModeCombo, kResizeModes);
    Fill(m_widthUnitCombo, kUnits);
    m_widthEdit->setText(QStringLiteral("100"));
    Fill(m_heightUnitCombo, kUnits);
    m_heightEdit->setText(QStringLiteral("100"));
    m_qualityEdit->setText(QStringLiteral("70"));
    m_qualitySpin->SetBuddy(m_qualityEdit);
    m_qualitySpin->SetRange(1, 100);
    m_sizeEdit->setText(QStringLiteral("100"));
    m_sizeSpin->SetBuddy(m_sizeEdit);
    m_sizeSpin->SetRange(1, 1024);
    for (const FormatRow* format : GetWrittenFormats())
        m_formatCombo->addItem(QString::fromLatin1(format->saveAsText.data(), format->saveAsText.size()));
    m_formatCombo->setCurrentIndex(0);
    m_savedCompressionChoice = CompressFormatDefault;
    ApplyModeToControls();
    UpdateOptionChecks();
}

void CKestrovaDlg::Notify(const QString& type, QWidget* sender)
{
    switch (ClassifyNotification(type, sender, m_captionButtons)) {
    case DlgAction::Close:
        // Posted, so the click finishes before the window goes away.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        break;
    case DlgAction::Minimize:
        OnSysCommand(SC_MINIMIZE);
        break;
    case DlgAction::Maximize:
        OnSysCommand(SC_MAXIMIZE);
        break;
    case DlgAction::Restore:
        OnSysCommand(SC_RESTORE);
        break;
    case DlgAction::QualityChosen:
        OnQualityChosen();
        break;
    case DlgAction::SizeChosen:
        OnSizeChosen();
        break;
    case DlgAction::OverwriteToggled:
        OnOverwriteToggled();
        break;
    case DlgAction::AddFile:
        OnAddFile();
        break;
    case DlgAction::AddFolder:
        OnAddFolder();
        break;
    case DlgAction::Start:
        OnStart();
        break;
    case DlgAction::BrowseOutput:
        OnBrowseOutput();
        break;
    case DlgAction::OpenOutput:
        OnOpenOutput();
        break;
    case DlgAction::OpenFolderToggled:
        OnOpenFolderToggled();
        break;
    case DlgAction::RemoveFiles:
        OnRemoveFiles();
        break;
    case DlgAction::ClearAll:
        OnClearAll();
        break;
    case DlgAction::ShowMenu:
        OnShowMenu(sender);
        break;
    default:
        break;
    }
}

void CKestrovaDlg::OnSysCommand(SysCommand command)
{
    const bool wasMaximised = IsMaximisedNow();
    switch (command) {
    case SC_MINIMIZE:
        setWindowState(windowState() | Qt::WindowMinimized);
        break;
    case SC_MAXIMIZE:
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
        break;
    case SC_RESTORE:
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        break;
    }
    UpdateCaptionButtons(wasMaximised);
}

void CKestrovaDlg::UpdateCaptionButtons(bool wasMaximised)
{
    const bool maximised = IsMaximisedNow();
    m_wasMaximised = maximised;
    if (maximised == wasMaximised)
        return;
    if (m_btnMax)
        m_btnMax->setVisible(!maximised);
    if (m_btnRestore)
        m_btnRestore->setVisible(maximised);
}

void CKestrovaDlg::changeEvent(QEvent* event)
{
    // The window manager may change the state too (a double click on the caption, a shortcut).
    if (event->type() == QEvent::WindowStateChange)
        UpdateCaptionButtons(m_wasMaximised);
    CUILibDialog::changeEvent(event);
}

bool CKestrovaDlg::ShowInPreview(int index)
{
    const ImageEntry* entry = m_batch.GetEntry(index);
    if (!entry)
        return false;
    // Decoded on the preview's worker: a large file never holds up the window.
    const QRect source(0, 0, static_cast<int>(entry->GetPixelWidth()), static_cast<int>(entry->GetPixelHeight()));
    const QSize screenSize = screen() ? screen()->size() : QSize(1920, 1080);
    m_preview->SetSourceFile(entry->GetPath(), source, screenSize);
    return true;
}

void CKestrovaDlg::SelectEntryForPreview(int index)
{
    if (index < 0)
        return;
    m_batch.SelectEntry(index);
    RefreshOptionControls();
    const int quality = SpinStep(m_qualityEdit->text(), 0, 0, INT_MAX);
    if (ShowInPreview(index)) {
        m_preview->SetPreviewQuality(quality);
        UpdatePreviewScale();
    }
    m_imageList->SetItemSelected(index, true);
    m_imageList->setFocus();
    UpdateOutputEstimate();
}

void CKestrovaDlg::OnRemoveFiles()
{
    const std::vector<int> selected = m_imageList->GetSelectedItems();
    for (std::size_t k = 0; k < selected.size(); ++k) {
        const int position = selected[k] - static_cast<int>(k);
        m_batch.RemoveEntry(position);
        m_imageList->DeleteItem(position); // its thumbnail goes with it
    }
    m_preview->ClearImage();
    SelectEntryForPreview(m_batch.GetSelectedIndex());
    if (m_batch.GetSelectedIndex() < 0)
        RefreshOptionControls();
    UpdateOutputEstimate();
}

void CKestrovaDlg::OnClearAll()
{
    m_batch.RemoveAllEntries();
    m_imageList->DeleteAllItems();
    m_preview->ClearImage();
    if (m_batch.GetSelectedIndex() < 0)
        RefreshOptionControls();
    m_imageList->viewport()->update();
    UpdateOutputEstimate();
}

void CKestrovaDlg::OnShowMenu(QWidget* sender)
{
    if (!m_helpMenu) {
        m_helpMenu = new QMenu(QStringLiteral("HELP"), this);
        m_helpMenu->setObjectName(QStringLiteral("menuHelp"));
        m_helpMenu->addAction(QStringLiteral("Help..."), this, &CKestrovaDlg::OnMenuHelp);
        m_helpMenu->addAction(QStringLiteral("Homepage..."), this, &CKestrovaDlg::OnMenuHomepage);
        m_helpMenu->addSeparator();
        m_helpMenu->addAction(QStringLiteral("About..."), this, &CKestrovaDlg::OnMenuAbout);
    }
    if (!sender)
        return;
    // Left edges aligned, just below the button.
    m_helpMenu->popup(sender->mapToGlobal(QPoint(0, sender->height())));
}

void CKestrovaDlg::OnMenuHelp()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("help/index.html"))));
}

void CKestrovaDlg::OnMenuHomepage() { QDesktopServices::openUrl(QUrl(GetHomepageAddress())); }

void CKestrovaDlg::OnMenuAbout()
{
    CAboutDlg about(this);
    about.exec();
}
