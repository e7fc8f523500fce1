#pragma once

#include <QColor>
#include <QDialog>
#include <QMargins>
#include <QSize>

#include "ui/FrameHitTest.h"

// A borderless dialog whose content is built at run time from a Designer XML file
// read out of the skin archive. It gives the content a frame: resizing by the size
// box, dragging by the caption, rounded corners, and notifications ("click" before
// a button, option or check box changes; "link" for controls marked as links).
// Interface thread only.
class CUILibDialog : public QDialog {
    Q_OBJECT
public:
    explicit CUILibDialog(QWidget* parent = nullptr);

    // Builds the content. On failure the window stays empty, every lookup finds
    // nothing, and GetLoadError() says what could not be read.
    bool BuildContent(const QString& archivePath, const QString& markupFile);
    QString GetLoadError() const { return m_loadError; }
    QWidget* GetRoot() const { return m_root; }

    QWidget* FindControl(const QString& name) const;
    // The topmost markup control at a point of the window, or null.
    QWidget* FindControlAt(QPoint point) const;
    // Puts child into the placeholder of that name; returns the placeholder (or null)
    // whether or not the child could be attached.
    QWidget* AttachChildWindow(QWidget* child, const QString& name);

    // The markup's kind of a control: "ButtonUI", "OptionUI", "TextUI" or "ControlUI".
    static QString ControlClassName(const QWidget* control);

    QMargins GetSizeBox() const { return m_sizeBox; }
    QMargins GetCaptionRect() const { return m_caption; }
    QSize GetRoundCorner() const { return m_roundCorner; }
    FrameHit HitTest(QPoint point) const;
    // True while maximised and not minimised.
    bool IsMaximisedNow() const;

protected:
    // Receives every notification of the content: ("click" | "link", sender).
    virtual void Notify(const QString& type, QWidget* sender);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void WatchControls();
    void ReadGeometry();
    void ApplyRoundCorners();
    // After a press on the caption, a drag past the usual distance moves the window.
    bool StartMoveOnDrag(const QMouseEvent* event);

    QWidget* m_root = nullptr;
    QString m_loadError;
    QMargins m_sizeBox;
    QMargins m_caption;
    QSize m_roundCorner;
    QColor m_frameColour;     // the skin's, for the size box; invalid: the desktop's
    QPoint m_movePress;       // where a press on the caption was, on the screen
    bool m_moveArmed = false; // it may still become a move
};
