#include "ui/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("About Kestrova"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(10);
    auto* version = new QLabel(tr("Kestrova Version 3"), this);
    version->setObjectName(QStringLiteral("labelVersion"));
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    layout->addWidget(version);
    layout->addWidget(new QLabel(tr("Lumisk Studio %1 \u2014 resizes and compresses pictures in batches.\n"
                                    "Pictures are read and written with libvips.")
                                     .arg(QStringLiteral(KESTROVA_VERSION)),
        this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
