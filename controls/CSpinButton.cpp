#include "controls/CSpinButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

int SpinStep(const QString& text, int delta, int minimum, int maximum)
{
    long long value = 0;
    for (const QChar c : text) {
        if (!c.isDigit() || c.unicode() > '9')
            break;
        value = std::min<long long>(value * 10 + (c.unicode() - '0'), 1LL << 40);
    }
    value += delta;
    return static_cast<int>(std::clamp<long long>(value, minimum, maximum));
}

CSpinButton::CSpinButton(QWidget* parent)
    : QWidget(parent)
    , m_up(new QToolButton(this))
    , m_down(new QToolButton(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* b : { m_up, m_down }) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(18, 12);
        layout->addWidget(b);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void CSpinButton::SetBuddy(QLineEdit* buddy)
{
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    if (m_buddy)
        m_buddy->installEventFilter(this);
}

bool CSpinButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_buddy && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        int delta = 0;
        switch (key->key()) {
        case Qt::Key_Up:
            delta = 1;
            break;
        case Qt::Key_Down:
            delta = -1;
            break;
        case Qt::Key_PageUp:
            delta = 10;
            break;
        case Qt::Key_PageDown:
            delta = -10;
            break;
        default:
            break;
        }
        if (delta != 0 && isEnabled()) {
            Step(delta);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CSpinButton::SetRange(int minimum, int maximum)
{
    m_minimum = std::min(minimum, maximum);
    m_maximum = std::max(minimum, maximum);
}

void CSpinButton::Step(int delta)
{
    if (!m_buddy || !isEnabled())
        return;
    m_buddy->setText(QString::number(SpinStep(m_buddy->text(), delta, m_minimum, m_maximum)));
}

QSize CSpinButton::sizeHint() const { return QSize(18, 24); }

void CSpinButton::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        Step(steps);
    event->accept();
}
