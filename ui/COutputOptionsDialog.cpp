#include "ui/COutputOptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "settings/AppIdentity.h"

COutputOptionsDialog::ExistingRule COutputOptionsDialog::RuleOf(const OutputOptions& options, bool overwrite)
{
    return overwrite ? ReplaceIt : options.skipExisting ? SkipIt : NumberIt;
}

COutputOptionsDialog::COutputOptionsDialog(const OutputOptions& options, bool overwrite, QWidget* parent)
    : QDialog(parent)
    , m_options(options)
{
    setObjectName(QStringLiteral("outputOptionsDialog"));
    setWindowTitle(tr("Options - %1").arg(QString::fromUtf8(AppIdentity::DisplayName)));
    auto* layout = new QVBoxLayout(this);
    const auto check = [this](const char* name, const QString& text, bool on, const QString& tip = {}) {
        auto* box = new QCheckBox(text, this);
        box->setObjectName(QLatin1String(name));
        box->setChecked(on);
        box->setToolTip(tip);
        return box;
    };

    auto* folders = new QGroupBox(tr("Folders"), this);
    auto* folderLayout = new QVBoxLayout(folders);
    m_subfolders = check("chkSubfolders", tr("&Include sub-folders when adding a folder"), options.includeSubfolders);
    m_keepTree = check("chkKeepTree", tr("&Keep the folder structure"), options.keepTree,
        tr("Each picture goes to the same sub-folder under the output folder as under the folder it was added from"));
    folderLayout->addWidget(m_subfolders);
    folderLayout->addWidget(m_keepTree);
    layout->addWidget(folders);

    auto* existing = new QGroupBox(tr("Existing files"), this);
    auto* existingLayout = new QVBoxLayout(existing);
    auto* ruleRow = new QHBoxLayout;
    auto* ruleLabel = new QLabel(tr("When the output file &exists:"), this);
    m_existing = new QComboBox(this);
    m_existing->setObjectName(QStringLiteral("existingCombo"));
    m_existing->addItems({ tr("Write a numbered copy"), tr("Replace it"), tr("Skip the picture") });
    m_existing->setCurrentIndex(RuleOf(options, overwrite));
    ruleLabel->setBuddy(m_existing);
    ruleRow->addWidget(ruleLabel);
    ruleRow->addWidget(m_existing, 1);
    existingLayout->addLayout(ruleRow);
    m_skipLarger = check("chkSkipLarger", tr("&Only write files smaller than the source"), options.skipLarger);
    existingLayout->addWidget(m_skipLarger);
    layout->addWidget(existing);

    auto* metadata = new QGroupBox(tr("Metadata"), this);
    auto* metadataLayout = new QVBoxLayout(metadata);
    m_keepMetadata = check("chkKeepMetadata", tr("Keep &metadata"), options.keepMetadata,
        tr("Camera data (EXIF), XMP, IPTC and the colour profile, in the formats that hold them"));
    m_stripGps = check("chkStripGps", tr("&Remove location"), options.stripGps);
    m_stripGps->setStyleSheet(QStringLiteral("margin-left: 20px;"));
    m_stripGps->setEnabled(options.keepMetadata);
    connect(m_keepMetadata, &QCheckBox::toggled, m_stripGps, &QWidget::setEnabled);
    m_keepDates = check("chkKeepDates", tr("Keep file &dates"), options.keepDates,
        tr("Each output gets its source's modification time"));
    metadataLayout->addWidget(m_keepMetadata);
    metadataLayout->addWidget(m_stripGps);
    metadataLayout->addWidget(m_keepDates);
    layout->addWidget(metadata);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

OutputOptions COutputOptionsDialog::GetOptions() const
{
    OutputOptions o = m_options;
    o.includeSubfolders = m_subfolders->isChecked();
    o.keepTree = m_keepTree->isChecked();
    // Skip applies without overwrite; Replace keeps what skip was, as the main window's box does.
    const int rule = m_existing->currentIndex();
    if (rule != ReplaceIt)
        o.skipExisting = rule == SkipIt;
    o.skipLarger = m_skipLarger->isChecked();
    o.keepMetadata = m_keepMetadata->isChecked();
    o.stripGps = m_stripGps->isChecked();
    o.keepDates = m_keepDates->isChecked();
    return o;
}

bool COutputOptionsDialog::GetOverwrite() const { return m_existing->currentIndex() == ReplaceIt; }

QCheckBox* COutputOptionsDialog::Check(const char* name) const { return findChild<QCheckBox*>(QLatin1String(name)); }
