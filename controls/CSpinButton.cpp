#include "controls/CSpinButton.h"

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
