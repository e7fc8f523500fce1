#include "ui/CUILibDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QRadioButton>
#include <QUiLoader>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdio>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include "controls/CSkinButton.h"
#include "ui/MainWindowMark.h"

namespace {

// Lets the markup name our own skinned controls.
class SkinLoader : public QUiLoader {
public:
    using QUiLoader::QUiLoader;
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override
    {
        if (className == QLatin1String("CSkinButton")) {
            auto* button = new CSkinButton(parent);
            button->setObjectName(name);
            return button;
        }
        return QUiLoader::createWidget(className, parent, name);
    }
};

QMargins ParseMargins(const QVariant& value)
{
    const QStringList parts = value.toString().split(',');
    if (parts.size() != 4)
        return {};
    return QMargins(
        parts[0].trimmed().toInt(), parts[1].trimmed().toInt(), parts[2].trimmed().toInt(), parts[3].trimmed().toInt());
}

QSize ParseSize(const QVariant& value)
{
    const QStringList parts = value.toString().split(',');
    if (parts.size() != 2)
        return {};
    return QSize(parts[0].trimmed().toInt(), parts[1].trimmed().toInt());
}

Qt::CursorShape CursorFor(FrameHit hit)
{
    switch (hit) {
    case FrameHit::Left:
    case FrameHit::Right:
        return Qt::SizeHorCursor;
    case FrameHit::Top:
    case FrameHit::Bottom:
        return Qt::SizeVerCursor;
    case FrameHit::TopLeft:
    case FrameHit::BottomRight:
        return Qt::SizeFDiagCursor;
    case FrameHit::TopRight:
    case FrameHit::BottomLeft:
        return Qt::SizeBDiagCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace

CUILibDialog::CUILibDialog(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setMouseTracking(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

bool CUILibDialog::BuildContent(const QString& archivePath, const QString& markupFile)
{
    QWidget* built = nullptr;
    QuaZip zip(archivePath);
    if (!zip.open(QuaZip::mdUnzip)) {
        m_loadError = QStringLiteral("cannot open the skin archive %1").arg(archivePath);
    } else if (!zip.setCurrentFile(markupFile)) {
        m_loadError = QStringLiteral("%1 has no %2").arg(archivePath, markupFile);
    } else {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::ReadOnly)) {
            m_loadError = QStringLiteral("cannot read %1 from %2").arg(markupFile, archivePath);
        } else {
            SkinLoader loader;
            built = loader.load(&file, this);
            if (!built)
                m_loadError = QStringLiteral("%1 in %2 is not a valid layout: %3")
                                  .arg(markupFile, archivePath, loader.errorString());
        }
    }
    if (!built) {
        std::fprintf(stderr, "kestrova: %s\n", qPrintable(m_loadError));
        built = new QWidget(this); // an empty window, as a skin without content gives
    }
    LogTestEvent(m_loadError.isEmpty() ? QStringLiteral("skin ") + archivePath : QStringLiteral("no skin"));
    delete m_root;
    m_root = built;
    layout()->addWidget(m_root);
    ReadGeometry();
    WatchControls();
    return m_loadError.isEmpty();
}

void CUILibDialog::ReadGeometry()
{
    m_sizeBox = ParseMargins(m_root->property("sizeBox"));
    m_caption = ParseMargins(m_root->property("caption"));
    m_roundCorner = ParseSize(m_root->property("roundCorner"));
    m_frameColour = QColor(m_root->property("frameColor").toString());
    // The size box is the frame: the content keeps clear of it.
    layout()->setContentsMargins(m_sizeBox);
    ApplyRoundCorners();
}

void CUILibDialog::WatchControls()
{
    for (QAbstractButton* button : m_root->findChildren<QAbstractButton*>())
        button->installEventFilter(this);
    // A label keeps the mouse moves of a press on it, the caption's text among them.
    for (QLabel* label : m_root->findChildren<QLabel*>())
        label->installEventFilter(this);
}

QWidget* CUILibDialog::FindControl(const QString& name) const
{
    if (!m_root || name.isEmpty())
        return nullptr;
    if (m_root->objectName() == name)
        return m_root;
    return m_root->findChild<QWidget*>(name);
}

QWidget* CUILibDialog::FindControlAt(QPoint point) const
{
    if (!m_root)
        return nullptr;
    QWidget* w = childAt(point);
    // Children we attached into placeholders answer for their placeholder.
    while (w && w != m_root && w->objectName().isEmpty())
        w = w->parentWidget();
    return (w && w != this) ? w : nullptr;
}

QWidget* CUILibDialog::AttachChildWindow(QWidget* child, const QString& name)
{
    QWidget* host = FindControl(name);
    if (!host || !child)
        return host;
    QLayout* hostLayout = host->layout();
    if (!hostLayout) {
        hostLayout = new QVBoxLayout(host);
        hostLayout->setContentsMargins(0, 0, 0, 0);
    }
    hostLayout->addWidget(child);
    return host;
}

QString CUILibDialog::ControlClassName(const QWidget* control)
{
    if (qobject_cast<const QRadioButton*>(control) || qobject_cast<const QCheckBox*>(control))
        return QStringLiteral("OptionUI");
    if (qobject_cast<const QAbstractButton*>(control))
        return QStringLiteral("ButtonUI");
    if (qobject_cast<const QLabel*>(control))
        return QStringLiteral("TextUI");
    return QStringLiteral("ControlUI");
}

bool CUILibDialog::IsMaximisedNow() const
{
    const Qt::WindowStates s = windowState();
    return (s & Qt::WindowMaximized) && !(s & Qt::WindowMinimized);
}

FrameHit CUILibDialog::HitTest(QPoint point) const
{
    CaptionControl under;
    if (QWidget* control = FindControlAt(point); control && control != m_root) {
        under.exists = true;
        under.className = ControlClassName(control);
        under.name = control->objectName();
    }
    return HitTestFrame(FrameGeometry { rect(), m_sizeBox, m_caption }, point, IsMaximisedNow(), under);
}

void CUILibDialog::Notify(const QString&, QWidget*) { }

bool CUILibDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && StartMoveOnDrag(static_cast<QMouseEvent*>(event)))
        return true;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (button && button->isEnabled() && button->isDown()) {
        bool activates = false;
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            activates = mouse->button() == Qt::LeftButton && button->rect().contains(mouse->position().toPoint());
        } else if (event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<QKeyEvent*>(event);
            activates = key->key() == Qt::Key_Space && !key->isAutoRepeat();
        }
        // Reported before the button handles the release, so an option still shows its old state.
        if (activates)
            Notify(button->property("notify").toString() == QLatin1String("link") ? QStringLiteral("link")
                                                                                  : QStringLiteral("click"),
                button);
    }
    return QDialog::eventFilter(watched, event);
}

void CUILibDialog::keyPressEvent(QKeyEvent* event)
{
    // Neither Enter nor Escape ends the window or presses a button.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CUILibDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && windowHandle()) {
        const FrameHit hit = HitTest(event->position().toPoint());
        if (hit == FrameHit::Caption) {
            // The move starts when the mouse moves: started here, the window manager would
            // take the second click of a double click.
            m_movePress = event->globalPosition().toPoint();
            m_moveArmed = true;
            return;
        }
        if (const Qt::Edges edges = EdgesOf(hit)) {
            windowHandle()->startSystemResize(edges);
            return;
        }
    }
    QDialog::mousePressEvent(event);
}

void CUILibDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (StartMoveOnDrag(event))
        return;
    setCursor(CursorFor(HitTest(event->position().toPoint())));
    QDialog::mouseMoveEvent(event);
}

bool CUILibDialog::StartMoveOnDrag(const QMouseEvent* event)
{
    if (!m_moveArmed || !(event->buttons() & Qt::LeftButton) || !windowHandle()
        || (event->globalPosition().toPoint() - m_movePress).manhattanLength() < QApplication::startDragDistance())
        return false;
    m_moveArmed = false;
    windowHandle()->startSystemMove();
    return true;
}

void CUILibDialog::mouseReleaseEvent(QMouseEvent* event)
{
    m_moveArmed = false;
    QDialog::mouseReleaseEvent(event);
}

void CUILibDialog::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_moveArmed = false;
    // As on any desktop: double-clicking the caption maximises or restores.
    if (event->button() == Qt::LeftButton && HitTest(event->position().toPoint()) == FrameHit::Caption) {
        if (IsMaximisedNow())
            showNormal();
        else
            showMaximized();
        return;
    }
    QDialog::mouseDoubleClickEvent(event);
}

void CUILibDialog::paintEvent(QPaintEvent* event)
{
    // The size box around the content: the skin's frame, not the desktop's pale ground.
    if (m_frameColour.isValid() && m_root) {
        QPainter painter(this);
        painter.setClipRegion(QRegion(rect()).subtracted(m_root->geometry()));
        painter.fillRect(rect(), m_frameColour);
        return;
    }
    QDialog::paintEvent(event);
}

void CUILibDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        ApplyRoundCorners();
}

void CUILibDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    ApplyRoundCorners();
}

void CUILibDialog::ApplyRoundCorners()
{
    // A maximised window fills its screen to the corners.
    if (isMinimized() || IsMaximisedNow() || (m_roundCorner.width() == 0 && m_roundCorner.height() == 0)) {
        clearMask();
        return;
    }
    QPainterPath path;
    path.addRoundedRect(
        QRectF(0, 0, width() + 1, height() + 1), m_roundCorner.width() / 2.0, m_roundCorner.height() / 2.0);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}
