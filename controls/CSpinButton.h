#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// The integer in a buddy text after one step: the text's leading digits (0 when it
// has none), plus delta, kept within min..max.
int SpinStep(const QString& text, int delta, int minimum, int maximum);

// Up and down arrows beside a number field. A step rewrites the buddy's text, so
// the field's own change handling runs as if the user had typed the number. The
// Up and Down keys in the field step as the arrows do, Page Up and Page Down by ten.
// Interface thread only.
class CSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit CSpinButton(QWidget* parent = nullptr);

    void SetBuddy(QLineEdit* buddy);
    QLineEdit* GetBuddy() const { return m_buddy; }
    void SetRange(int minimum, int maximum);
    int GetMinimum() const { return m_minimum; }
    int GetMaximum() const { return m_maximum; }
    void Step(int delta);

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QLineEdit* m_buddy = nullptr;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    int m_minimum = 0;
    int m_maximum = 100;
};
