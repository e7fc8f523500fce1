#pragma once

#include <QRect>
#include <QString>

class QPainter;
class QWidget;

// Visual styles are a Windows library; here there is none to bind, so every
// instance reports it as unavailable. The process-wide reference count is kept so
// that the lifetime rules stay the same wherever the helper is used.
// Interface thread only.
class CXThemeHelper {
public:
    using ThemeHandle = void*;

    CXThemeHelper();
    virtual ~CXThemeHelper();
    CXThemeHelper(const CXThemeHelper&) = delete;
    CXThemeHelper& operator=(const CXThemeHelper&) = delete;

    static int GetReferenceCount();
    static bool IsLoaded();

    bool CloseThemeData(ThemeHandle theme);
    bool DrawThemeBackground(ThemeHandle theme, QPainter* painter, int part, int state, const QRect& rect);
    bool DrawThemeParentBackground(QWidget* window, QPainter* painter, const QRect* rect);
    bool DrawThemeText(ThemeHandle theme, QPainter* painter, int part, int state, const QString& text, int flags,
        const QRect& rect);
    bool GetThemeBackgroundContentRect(ThemeHandle theme, QPainter* painter, int part, int state,
        const QRect& bounds, QRect* content);
    bool IsAppThemed();
    bool IsThemeActive();
    ThemeHandle OpenThemeData(QWidget* window, const QString& classList);
};
