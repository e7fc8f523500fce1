#include "ui/MainWindowMark.h"

#include <QApplication>
#include <QFile>
#include <QVariant>
#include <QWidget>

#include "settings/AppIdentity.h"

void MarkMainWindow(QWidget* window)
{
    if (window == nullptr)
        return;
    window->setProperty(AppIdentity::InstanceTag, 1);
    LogTestEvent(QStringLiteral("marked"));
}

void UnmarkMainWindow(QWidget* window)
{
    if (window == nullptr || !window->property(AppIdentity::InstanceTag).isValid())
        return;
    window->setProperty(AppIdentity::InstanceTag, QVariant());
    LogTestEvent(QStringLiteral("unmarked"));
}

QWidget* FindMarkedWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->property(AppIdentity::InstanceTag).toInt() == 1)
            return widget;
    }
    return nullptr;
}

void LogTestEvent(const QString& event)
{
    const QString path = qEnvironmentVariable("KESTROVA_TEST_EVENT_LOG");
    if (path.isEmpty())
        return;
    QFile log(path);
    if (log.open(QIODevice::Append | QIODevice::Text))
        log.write(event.toUtf8() + '\n');
}
