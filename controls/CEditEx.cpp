#include "controls/CEditEx.h"

#include <QKeyEvent>

bool PassesInputFilter(int inputMode, char32_t c)
{
    const bool digit = c >= U'0' && c <= U'9';
    if (inputMode == 0)
        return digit || c == U'.' || c == U'\b';
    if (inputMode == 1)
        return digit || c == U'\b';
    return true;
}

CEditEx::CEditEx(QWidget* parent)
    : QLineEdit(parent)
{
}

void CEditEx::keyPressEvent(QKeyEvent* event)
{
    // Shortcuts and keys that type nothing (arrows, delete, backspace) are not characters.
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier);
    const QString text = event->text();
    if (!shortcut && !text.isEmpty() && text.at(0).isPrint()) {
        for (const char32_t c : text.toUcs4()) {
            if (!PassesInputFilter(m_inputMode, c)) {
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}
