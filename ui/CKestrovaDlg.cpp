#include "ui/CKestrovaDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
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
const char* const kResizeModes[] = { QT_TRANSLATE_NOOP("CKestrovaDlg", "Scaled Image"),
    QT_TRANSLATE_NOOP("CKestrovaDlg", "Fix Image"), QT_TRANSLATE_NOOP("CKestrovaDlg", "Restrict Width"),
    QT_TRANSLATE_NOOP("CKestrovaDlg", "Restrict Height"), QT_TRANSLATE_NOOP("CKestrovaDlg", "Fit in Box"),
    QT_TRANSLATE_NOOP("CKestrovaDlg", "Long Edge"), QT_TRANSLATE_NOOP("CKestrovaDlg", "Short Edge") };
static_assert(std::size(kResizeModes) == ResizeModeCount);
const char* const kUnits[]
    = { QT_TRANSLATE_NOOP("CKestrovaDlg", "Percent"), QT_TRANSLATE_NOOP("CKestrovaDlg", "Pixel") };

template <std::size_t N>
void Fill(QComboBox* combo, const char* const (&items)[N])
{
    const QSignalBlocker quiet(combo); // filling is no choice
    for (const char* item : items)
        combo->addItem(CKestrovaDlg::tr(item));
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
        problem = QT_TR_NOOP("Can not load the application data directory");
        break;
    case DataDirectoryResult::CannotCreate:
        problem = QT_TR_NOOP("Can not create the application data directory");
        break;
    }
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), tr(problem), QMessageBox::Ok);
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
    CreateShortcuts();
    SetTabOrder();
    FillOptionControls();
    setAcceptDrops(true);
}

void CKestrovaDlg::CreateShortcuts()
{
    // Delete only in the list: in a field it deletes characters.
    auto* remove = new QShortcut(QKeySequence::Delete, m_imageList, this, &CKestrovaDlg::OnRemoveFiles);
    remove->setContext(Qt::WidgetWithChildrenShortcut);
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this, this, &CKestrovaDlg::OnAddFile);
    auto* start = new QShortcut(this);
    start->setKeys({ QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter),
        QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Enter)) });
    connect(start, &QShortcut::activated, this, &CKestrovaDlg::OnStart);
}

void CKestrovaDlg::SetTabOrder()
{
    // As the window reads: the list and its buttons, the options top to bottom, the output row.
    // Left alone, Tab would visit every control of the skin before the ones attached to it.
    const auto named = [this](const char* name) { return FindControl(QString::fromLatin1(name)); };
    QWidget* const order[] = { m_imageList, named("btnAddFile"), named("btnAddFolder"), named("btnRemoveFile"),
        named("btnClearAll"), named("btnCompare"), m_resizeModeCombo, m_widthEdit, m_widthUnitCombo, m_heightEdit,
        m_heightUnitCombo, named("chkDoNotEnlarge"), named("radioQuality"), m_qualityEdit, named("radioSize"),
        m_sizeEdit, named("chkShrinkToFit"), m_formatCombo, named("chkKeepAlpha"), m_outputEdit, named("btnBrowse"),
        named("btnOpen"), named("btnOptions"), named("chkOverwrite"), named("chkOpenFolder"), named("btnStart") };
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (!widget)
            continue;
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
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
    if (auto* options = qobject_cast<QAbstractButton*>(FindControl(QStringLiteral("btnOptions"))))
        connect(options, &QAbstractButton::clicked, this, &CKestrovaDlg::OnOptions);
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

    setWindowTitle(GetWindowName());
    if (m_textCaption) {
        m_textCaption->setTextFormat(Qt::RichText);
        m_textCaption->setText(QStringLiteral("<b>%1</b>").arg(GetWindowName().toHtmlEscaped()));
    }
    if (m_labelCopyright)
        m_labelCopyright->setText(tr("Copyright \u00A9 2026 Lumisk Studio. All rights reserved."));

    // The skin's least size, or more where its controls need more: squeezed, they would overlap.
    const QSize minimum = GetRoot() ? GetRoot()->minimumSize().expandedTo(GetRoot()->minimumSizeHint()) : QSize();
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
    {
        const QSignalBlocker quiet(m_formatCombo);
        for (const FormatRow* format : GetWrittenFormats())
            m_formatCombo->addItem(QString::fromLatin1(format->saveAsText.data(), format->saveAsText.size()));
        m_formatCombo->setCurrentIndex(0);
    }
    ApplyModeToControls();
    ApplyCompressionToControls();
    // The panel as it was left, once filling the controls has run their handlers.
    ApplyPanelOptions(SettingsStore::GetPanelOptions(), m_batch);
    ShowOptionsInControls();
    m_showingOptions = false;
    LogTestEvent(QStringLiteral("options shown: %1 %2")
                     .arg(m_formatCombo->currentText(),
                         m_chkKeepAlpha && m_chkKeepAlpha->isChecked() ? QStringLiteral("keeping transparency")
                                                                       : QStringLiteral("flattened")));
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
    UpdateCaptionButtons();
}

void CKestrovaDlg::UpdateCaptionButtons()
{
    // From the state itself, never from what the buttons showed before.
    const bool maximised = IsMaximisedNow();
    if (m_btnMax)
        m_btnMax->setVisible(!maximised);
    if (m_btnRestore)
        m_btnRestore->setVisible(maximised);
}

void CKestrovaDlg::changeEvent(QEvent* event)
{
    // The window manager may change the state too (a double click on the caption, a shortcut).
    if (event->type() == QEvent::WindowStateChange)
        UpdateCaptionButtons();
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
    {
        // The list's current item wanders while rows go; the preview waits for the end.
        const QScopedValueRollback syncing(m_listSyncing, true);
        for (std::size_t k = 0; k < selected.size(); ++k) {
            const int position = selected[k] - static_cast<int>(k);
            m_batch.RemoveEntry(position);
            m_imageList->DeleteItem(position); // its thumbnail goes with it
        }
    }
    m_preview->ClearImage();
    // The batch may still point past its last entry; the window shows one that is there.
    SelectEntryForPreview(std::min(m_batch.GetSelectedIndex(), m_batch.GetEntryCount() - 1));
    if (m_batch.GetSelectedIndex() < 0) {
        RestoreRememberedDimensions();
        RefreshOptionControls();
    }
    UpdateOutputEstimate();
}

void CKestrovaDlg::OnClearAll()
{
    m_batch.RemoveAllEntries();
    {
        const QScopedValueRollback syncing(m_listSyncing, true);
        m_imageList->DeleteAllItems();
    }
    m_preview->ClearImage();
    if (m_batch.GetSelectedIndex() < 0) {
        RestoreRememberedDimensions();
        RefreshOptionControls();
    }
    m_imageList->viewport()->update();
    UpdateOutputEstimate();
}

void CKestrovaDlg::OnShowMenu(QWidget* sender)
{
    if (!m_helpMenu) {
        m_helpMenu = new QMenu(tr("HELP"), this);
        m_helpMenu->setObjectName(QStringLiteral("menuHelp"));
        QMenu* presets = m_helpMenu->addMenu(tr("&Presets"));
        presets->setObjectName(QStringLiteral("menuPresets"));
        connect(presets, &QMenu::aboutToShow, this, [this, presets] { FillPresetMenu(presets); });
        m_helpMenu->addSeparator();
        m_helpMenu->addAction(tr("Help..."), this, &CKestrovaDlg::OnMenuHelp);
        m_helpMenu->addAction(tr("Homepage..."), this, &CKestrovaDlg::OnMenuHomepage);
        m_helpMenu->addSeparator();
        m_helpMenu->addAction(tr("About..."), this, &CKestrovaDlg::OnMenuAbout);
        // While the menu is up the link hears no leave and is not painted again; a mouse gone
        // from it by the time the menu closes must not leave it looking hovered.
        connect(m_helpMenu, &QMenu::aboutToHide, this, [this] {
            QTimer::singleShot(0, this, [this] {
                QWidget* link = m_menuLink;
                if (link && !link->rect().contains(link->mapFromGlobal(QCursor::pos()))) {
                    link->setAttribute(Qt::WA_UnderMouse, false);
                    link->update();
                }
            });
        });
    }
    if (!sender)
        return;
    m_menuLink = sender;
    // Left edges aligned, just below the button.
    m_helpMenu->popup(sender->mapToGlobal(QPoint(0, sender->height())));
}

void CKestrovaDlg::OnMenuHelp()
{
    // The program runs in its data folder, which holds the help.
    const QString page = QDir::current().absoluteFilePath(QStringLiteral("help/index.html"));
    if (!QFileInfo(page).isFile()) {
        ShowMessage(tr("The help page %1 could not be found.").arg(page), QMessageBox::Warning);
        return;
    }
    if (!OpenUrl(QUrl::fromLocalFile(page)))
        ShowHelpWindow(page);
}

void CKestrovaDlg::ShowHelpWindow(const QString& page)
{
    if (!m_helpWindow) {
        auto* window = new QDialog(this);
        window->setObjectName(QStringLiteral("helpWindow"));
        window->setWindowTitle(tr("%1 Help").arg(QString::fromUtf8(AppIdentity::DisplayName)));
        auto* layout = new QVBoxLayout(window);
        auto* browser = new QTextBrowser(window);
        browser->setOpenExternalLinks(true);
        browser->setSource(QUrl::fromLocalFile(page));
        layout->addWidget(browser);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
        connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
        layout->addWidget(buttons);
        window->resize(720, 640);
        m_helpWindow = window;
    }
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

bool CKestrovaDlg::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

void CKestrovaDlg::OnMenuHomepage()
{
    const QString page = QString::fromLatin1(AppIdentity::HomepageUrl);
    if (!OpenUrl(QUrl(page)))
        ShowMessage(tr("Could not open %1: no web browser was found.").arg(page), QMessageBox::Warning);
}

void CKestrovaDlg::OnMenuAbout()
{
    CAboutDlg about(this);
    about.exec();
}
