#include "app/ProgramPaths.h"

#include <QDir>
#include <QFileInfo>

QString FindProgramData(const QString& programDir, const QString& dataFromProgram)
{
    const QDir program(programDir);
    for (const QString& candidate : { programDir, QDir::cleanPath(program.absoluteFilePath(dataFromProgram)) }) {
        if (QFileInfo(candidate + QStringLiteral("/skins/default.zip")).isFile())
            return candidate;
    }
    return programDir;
}

QString FindProgramData(const QString& programDir)
{
    return FindProgramData(programDir, QStringLiteral(KESTROVA_DATA_FROM_PROGRAM));
}
