#include "ui/NotificationDispatch.h"

#include <QWidget>
#include <utility>

DlgAction ClassifyNotification(const QString& type, const QWidget* sender, const CaptionButtons& caption)
{
    if (!sender)
        return DlgAction::None;
    if (type == QLatin1String("click")) {
        if (sender == caption.close)
            return DlgAction::Close;
        if (sender == caption.minimize)
            return DlgAction::Minimize;
        if (sender == caption.maximize)
            return DlgAction::Maximize;
        if (sender == caption.restore)
            return DlgAction::Restore;
        static const std::pair<const char*, DlgAction> byName[] = {
            { "btnAddFile", DlgAction::AddFile },
            { "btnAddFolder", DlgAction::AddFolder },
            { "btnRemoveFile", DlgAction::RemoveFiles },
            { "btnClearAll", DlgAction::ClearAll },
            { "btnBrowse", DlgAction::BrowseOutput },
            { "btnOpen", DlgAction::OpenOutput },
            { "btnStart", DlgAction::Start },
        };
        const QString name = sender->objectName();
        for (const auto& [n, action] : byName)
            if (name == QLatin1String(n))
                return action;
        return DlgAction::None;
    }
    if (type == QLatin1String("link") && sender->objectName() == QLatin1String("btnMenu"))
        return DlgAction::ShowMenu;
    return DlgAction::None;
}
