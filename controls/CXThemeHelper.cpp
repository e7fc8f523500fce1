#include "controls/CXThemeHelper.h"

namespace {
int g_referenceCount = 0;
// Stays false: there is no visual-styles library to load on this platform.
bool g_loaded = false;
} // namespace

CXThemeHelper::CXThemeHelper() { ++g_referenceCount; }

CXThemeHelper::~CXThemeHelper()
{
    if (g_referenceCount > 0)
        --g_referenceCount;
    if (g_referenceCount == 0)
        g_loaded = false;
}

int CXThemeHelper::GetReferenceCount() { return g_referenceCount; }
bool CXThemeHelper::IsLoaded() { return g_loaded; }

bool CXThemeHelper::CloseThemeData(ThemeHandle theme) { return g_loaded && theme; }

bool CXThemeHelper::DrawThemeBackground(ThemeHandle theme, QPainter*, int, int, const QRect&)
{
    return g_loaded && theme;
}

bool CXThemeHelper::DrawThemeParentBackground(QWidget* window, QPainter*, const QRect* rect)
{
    return g_loaded && window && rect;
}

bool CXThemeHelper::DrawThemeText(ThemeHandle theme, QPainter*, int, int, const QString&, int, const QRect&)
{
    return g_loaded && theme;
}

bool CXThemeHelper::GetThemeBackgroundContentRect(ThemeHandle theme, QPainter*, int, int, const QRect&, QRect*)
{
    return g_loaded && theme;
}

bool CXThemeHelper::IsAppThemed() { return g_loaded; }
bool CXThemeHelper::IsThemeActive() { return g_loaded; }
CXThemeHelper::ThemeHandle CXThemeHelper::OpenThemeData(QWidget*, const QString&) { return nullptr; }
