#include "ui/CSummaryDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "settings/AppIdentity.h"

CSummaryDialog::CSummaryDialog(const SummaryText& summary, const QString& folder, OpenFolder open, QWidget* parent)
    : QDialog(parent)
    , m_summary(summary)
    , m_folder(folder)
    , m_openFolder(std::move(open))
{
    setObjectName(QStringLiteral("summaryDialog"));
    setWindowTitle(tr("Summary - %1").arg(QString::fromUtf8(AppIdentity::DisplayName)));
    auto* layout = new QVBoxLayout(this);
    m_heading = new QLabel(summary.heading, this);
    QFont bold = m_heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    m_heading->setFont(bold);
    m_heading->setWordWrap(true);
    layout->addWidget(m_heading);
    // The facts in two columns, names on the left; each "name: value" line of the text is one row.
    auto* facts = new QGridLayout;
    facts->setHorizontalSpacing(16);
    facts->setVerticalSpacing(2);
    for (const QString& line : summary.facts.split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        const int row = facts->rowCount();
        facts->addWidget(new QLabel(colon < 0 ? line : line.left(colon + 1), this), row, 0);
        if (colon >= 0)
            facts->addWidget(new QLabel(line.mid(colon + 2), this), row, 1);
    }
    facts->setColumnStretch(1, 1);
    layout->addLayout(facts);

    m_details = new QPlainTextEdit(this);
    m_details->setObjectName(QStringLiteral("summaryDetails"));
    m_details->setReadOnly(true);
    m_details->setPlainText(summary.details);
    m_details->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Focused by Tab, read with the arrow keys; the text can be selected and copied.
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_details->setTabChangesFocus(true);
    m_details->setVisible(!summary.details.isEmpty());
    layout->addWidget(m_details, 1);
    if (summary.details.isEmpty())
        layout->addStretch(1);

    m_note = new QLabel(this);
    m_note->setWordWrap(true);
    m_note->setStyleSheet(QStringLiteral("color: #a02020;"));
    m_note->hide();
    layout->addWidget(m_note);

    auto* buttons = new QDialogButtonBox(this);
    m_copy = buttons->addButton(tr("&Copy"), QDialogButtonBox::ActionRole);
    m_copy->setToolTip(tr("Puts the whole summary on the clipboard"));
    connect(
        m_copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(m_summary.ToPlainText()); });
    if (!folder.isEmpty()) {
        m_open = buttons->addButton(tr("&Open Output Folder"), QDialogButtonBox::ActionRole);
        connect(m_open, &QPushButton::clicked, this, &CSummaryDialog::OnOpenFolder);
    }
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    // Only Close takes Return; the others need a click or Space.
    for (QPushButton* button : { m_copy, m_open })
        if (button)
            button->setAutoDefault(false);
    layout->addWidget(buttons);
    close->setFocus();
    // As tall as the list asks, up to a screenful of lines; longer lists scroll.
    if (!summary.details.isEmpty()) {
        const int lines = static_cast<int>(summary.details.count(QLatin1Char('\n'))) + 1;
        m_details->setMinimumHeight(std::clamp(lines * fontMetrics().lineSpacing() + 16, 80, 360));
    }
    resize(std::max(summary.details.isEmpty() ? 460 : 640, sizeHint().width()), sizeHint().height());
}

void CSummaryDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // It answers the user's Start: the keyboard goes to it, so Return closes it at once.
    raise();
    activateWindow();
}

void CSummaryDialog::OnOpenFolder()
{
    if (m_openFolder && m_openFolder(m_folder)) {
        m_note->hide();
        return;
    }
    m_note->setText(tr("The folder %1 could not be opened.").arg(m_folder));
    m_note->show();
}
