#pragma once

#include <QString>

class QWidget;

// What a notification of the main window's content asks for.
enum class DlgAction {
    None,
    Close,
    Minimize,
    Maximize,
    Restore,
    AddFile,
    AddFolder,
    RemoveFiles,
    ClearAll,
    BrowseOutput,
    OpenOutput,
    Start,
    ShowMenu,
};

// The caption buttons as found by name when the content was built; they are
// recognised by identity, so another control that happens to share a name is not one.
struct CaptionButtons {
    const QWidget* close = nullptr;
    const QWidget* minimize = nullptr;
    const QWidget* maximize = nullptr;
    const QWidget* restore = nullptr;
};

// Names compare exactly and case-sensitively; unknown types and names ask for nothing.
DlgAction ClassifyNotification(const QString& type, const QWidget* sender, const CaptionButtons& caption);
