#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QString>

// Where a point of the borderless main window lies: which edge resizes it, whether
// it drags the window, or whether it belongs to the content.
enum class FrameHit { Client, Caption, Left, Right, Top, TopLeft, TopRight, Bottom, BottomLeft, BottomRight };

// The markup control under a point of the caption, as far as the frame cares.
struct CaptionControl {
    bool exists = false;
    QString className; // "ButtonUI", "OptionUI", "TextUI", or anything else
    QString name;
};

struct FrameGeometry {
    QRect client;     // the window's client rectangle
    QMargins sizeBox; // the resizing border's thickness on each side
    // left and right: distances from the client's left and right edges; top and bottom: client y values
    QMargins caption;
};

// Strict comparisons: a point exactly on a border limit is not in the border.
// A maximised window has no border; buttons, options and texts in the caption are
// content, except textCaption, which drags like the caption's ground.
FrameHit HitTestFrame(const FrameGeometry& frame, QPoint point, bool maximised, const CaptionControl& under);

// Qt's resize edges for a border hit; empty for Client and Caption.
Qt::Edges EdgesOf(FrameHit hit);
