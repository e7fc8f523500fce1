#include "ui/CCompareDialog.h"

#include <vector>

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include "imaging/ImageEntry.h"
#include "imaging/Picture.h"
#include "imaging/PictureFormat.h"
#include "imaging/PreviewRender.h"
#include "ui/LatestWorker.h"

namespace {

QImage ToImage(const Rgb888& px)
{
    if (px.width <= 0 || px.height <= 0)
        return {};
    return QImage(px.bytes.data(), px.width, px.height, px.width * 3, QImage::Format_RGB888).copy();
}

QScrollArea* MakeView(QWidget* parent)
{
    auto* view = new QScrollArea(parent);
    auto* picture = new QLabel(view);
    picture->setAlignment(Qt::AlignCenter);
    view->setWidget(picture);
    view->setWidgetResizable(true);
    view->setAlignment(Qt::AlignCenter);
    view->setFocusPolicy(Qt::StrongFocus); // the arrow keys scroll
    view->setMinimumSize(200, 200);
    return view;
}

// Moving one view moves the other to the same place.
void Follow(QScrollBar* a, QScrollBar* b)
{
    QObject::connect(a, &QScrollBar::valueChanged, b, &QScrollBar::setValue);
    QObject::connect(b, &QScrollBar::valueChanged, a, &QScrollBar::setValue);
}

QString Kilobytes(qint64 bytes)
{
    const double kb = static_cast<double>(bytes) / 1024.0;
    return QString::number(kb, 'f', kb < 10 ? 1 : 0);
}

} // namespace

CCompareDialog::CCompareDialog(const std::string& path, const ConvertSnapshot& settings, QWidget* parent)
    : QDialog(parent)
    , m_worker(new LatestWorker(this))
    , m_extension(settings.extension)
{
    setWindowTitle(tr("Before and after"));
    setObjectName(QStringLiteral("compareDialog"));
    auto* grid = new QGridLayout(this);
    m_beforeCaption = new QLabel(tr("Before: making the picture..."), this);
    m_afterCaption = new QLabel(tr("After: converting..."), this);
    m_beforeView = MakeView(this);
    m_afterView = MakeView(this);
    m_beforeView->setObjectName(QStringLiteral("beforeView"));
    m_afterView->setObjectName(QStringLiteral("afterView"));
    grid->addWidget(m_beforeCaption, 0, 0);
    grid->addWidget(m_afterCaption, 0, 1);
    grid->addWidget(m_beforeView, 1, 0);
    grid->addWidget(m_afterView, 1, 1);
    grid->setRowStretch(1, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 2, 0, 1, 2);
    Follow(m_beforeView->horizontalScrollBar(), m_afterView->horizontalScrollBar());
    Follow(m_beforeView->verticalScrollBar(), m_afterView->verticalScrollBar());
    const QRect area = (parent && parent->screen()) ? parent->screen()->availableGeometry() : QRect(0, 0, 1280, 1024);
    resize(std::min(1200, area.width() * 9 / 10), std::min(800, area.height() * 9 / 10));

    m_worker->Post(
        [this, path, settings]() -> LatestWorker::Done {
            ImageEntry entry;
            entry.SetPath(path);
            std::vector<std::uint8_t> bytes;
            const ConvertOutcome outcome = ConvertEntryInMemory(entry, settings, bytes);
            QString problem;
            QImage before, after;
            if (outcome.status != ConvertStatus::Written) {
                problem = QString::fromStdString(outcome.reason);
            } else {
                Picture source = Picture::Load(path);
                source.IncreaseBpp24();
                if (source.Resample2(outcome.width, outcome.height))
                    before = ToImage(source.ToRgb888());
                else
                    problem = QString::fromStdString(source.GetError());
                after = ToImage(Picture::DecodeBytes(bytes).ToRgb888());
                // What the library cannot read back from memory (BMP, PCX) is lossless: its pixels are before's.
                const FormatRow* row = FindFormatRow(GetWrittenFormat(settings));
                if (after.isNull() && row && row->lossless)
                    after = before;
            }
            if (StopScope::Requested())
                return nullptr;
            return [this, before, after, outcome, problem] { Show(before, after, outcome, problem); };
        },
        true);
}

CCompareDialog::~CCompareDialog() = default;

void CCompareDialog::Show(
    const QImage& before, const QImage& after, const ConvertOutcome& outcome, const QString& problem)
{
    m_before = before;
    m_after = after;
    m_afterBytes = outcome.status == ConvertStatus::Written ? static_cast<qint64>(outcome.bytes) : 0;
    const auto put = [](QScrollArea* view, const QImage& image) {
        auto* label = qobject_cast<QLabel*>(view->widget());
        if (!image.isNull())
            label->setPixmap(QPixmap::fromImage(image));
    };
    put(m_beforeView, m_before);
    put(m_afterView, m_after);
    if (!problem.isEmpty() && (m_before.isNull() || m_after.isNull())) {
        m_beforeCaption->setText(tr("Before"));
        m_afterCaption->setText(tr("After: cannot be made: %1").arg(problem));
    } else {
        m_beforeCaption->setText(
            tr("Before: %1 x %2 px, as the run resizes it").arg(m_before.width()).arg(m_before.height()));
        QString caption
            = tr("After: the %1 file, %2 KB").arg(QString::fromStdString(m_extension), Kilobytes(m_afterBytes));
        if (outcome.quality > 0)
            caption += tr(" at quality %1").arg(outcome.quality);
        m_afterCaption->setText(caption);
    }
    m_afterCaption->setWordWrap(true);
    m_ready = true;
    emit Ready();
}
