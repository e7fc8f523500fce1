#pragma once

#include <QColor>
#include <QMargins>
#include <QRect>
#include <QSize>

#include "controls/CButtonEx.h"
#include "controls/ColorRef.h"

// One look of the skin button.
struct SkinColorSet {
    int radius = 5;
    int bands = 2;
    ColorRef band1Top = 0;
    ColorRef band1Bottom = 0;
    ColorRef band2Top = 0;
    ColorRef band2Bottom = 0;
    ColorRef innerFrame = 0;
    ColorRef outerFrame = 0;
};

enum class SkinState { Normal, Hover, Pressed };

// Pressed wins over hover; disabled and focused buttons look normal.
SkinState ChooseSkinState(bool pressed, bool hovering);
// The row where the second band starts: top + height / bands (no split for one band).
int BodySplitRow(const QRect& rect, int bands);
// Where a measured text block goes inside area: alignment bits 0x1 centre across,
// 0x2 right, 0x4 centre down, 0x8 bottom; an edge bit wins over centring.
QRect PlaceTextBlock(const QRect& area, const QSize& block, unsigned alignment);

// The grey, rounded, two-band button of the skin. Interface thread only.
class CSkinButton : public CButtonEx {
    Q_OBJECT
public:
    explicit CSkinButton(QWidget* parent = nullptr);
    explicit CSkinButton(const QString& text, QWidget* parent = nullptr);

    const SkinColorSet& GetColorSet(SkinState state) const;
    static constexpr QMargins TextMargins { 0, 2, 0, 2 };
    static constexpr unsigned TextAlignment = 0x15; // centred both ways, word-wrapped
    static constexpr QPoint PressedOffset { 2, 3 };

    QSize sizeHint() const override;

protected:
    void DrawItem(QPainter& painter, const QRect& rect, bool pressed) override;

private:
    void DrawBody(QPainter& painter, const QRect& rect, const SkinColorSet& set) const;
    void DrawText(QPainter& painter, const QRect& rect, bool pressed) const;

    SkinColorSet m_sets[3];
};
