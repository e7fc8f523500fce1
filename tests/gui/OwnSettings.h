#pragma once

#include <QByteArray>
#include <QtGlobal>

#include "tests/support/TestPictures.h"

// The window keeps its settings in a folder of its own while this lives: options stored by one
// test (the panel is remembered as it changes) never reach another. The folder before comes back.
class OwnSettings {
public:
    OwnSettings()
        : m_saved(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_dir.Path().string()));
    }
    ~OwnSettings() { qputenv("XDG_CONFIG_HOME", m_saved); }
    OwnSettings(const OwnSettings&) = delete;
    OwnSettings& operator=(const OwnSettings&) = delete;

private:
    testpics::TempDir m_dir;
    QByteArray m_saved;
};
