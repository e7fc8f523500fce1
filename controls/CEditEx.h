#pragma once

#include <QLineEdit>

// Whether a typed character may enter a number field: mode 0 (percent) takes digits,
// '.' and backspace; mode 1 (pixels) digits and backspace; any other mode everything.
bool PassesInputFilter(int inputMode, char32_t character);

// A number field that drops characters its mode does not take. Copy and paste work
// as usual and a paste is inserted unchecked. Interface thread only.
class CEditEx : public QLineEdit {
    Q_OBJECT
public:
    explicit CEditEx(QWidget* parent = nullptr);

    // Takes effect with the next typed character.
    void SetInputMode(int mode) { m_inputMode = mode; }
    int GetInputMode() const { return m_inputMode; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_inputMode = 0;
};
