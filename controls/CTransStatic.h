#pragma once

#include <cstdint>

#include <QWidget>

#include "controls/CBkgndObject.h"

// Static-text style bits the label understands.
enum : std::uint32_t {
    SS_CENTER = 0x1,
    SS_RIGHT = 0x2,
    SS_NOPREFIX = 0x80,
    SS_CENTERIMAGE = 0x200,
    SS_ENDELLIPSIS = 0x4000,
    SS_PATHELLIPSIS = 0x8000,
    SS_WORDELLIPSIS = 0xC000,
};

// Text-drawing flags derived from them.
enum : std::uint32_t {
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_NOPREFIX = 0x800,
    DT_PATH_ELLIPSIS = 0x4000,
    DT_END_ELLIPSIS = 0x8000,
    DT_WORD_ELLIPSIS = 0x40000,
};

std::uint32_t TextFormatFromStyle(std::uint32_t style);

// A label drawn over its parent's captured background, in black. Interface thread only.
class CTransStatic : public QWidget, public CBkgndObject {
    Q_OBJECT
public:
    explicit CTransStatic(QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString GetText() const { return m_text; }
    void SetStyle(std::uint32_t style);
    std::uint32_t GetStyle() const { return m_style; }
    void SetTextStyle(int textStyle) { m_textStyle = textStyle; }

    bool GetBkgndClientRect(QRect& rect) const override;
    bool GetBkgndParentRect(QRect& rect) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    std::uint32_t m_style = 0;
    int m_textStyle = 0; // 0: the widget's own font, black
};
