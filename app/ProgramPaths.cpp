#include "app/ProgramPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QUrl>

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

OpenArguments ResolveOpenArguments(const QStringList& arguments, const QString& workingDir)
{
    OpenArguments result;
    QSet<QString> seen;
    const QDir start(workingDir);
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        const QUrl url(argument);
        const QString name = url.isLocalFile() ? url.toLocalFile() : argument;
        const QString path = QDir::cleanPath(start.absoluteFilePath(name));
        if (!QFileInfo::exists(path))
            result.missing << argument;
        else if (!seen.contains(path)) {
            seen.insert(path);
            result.paths << path;
        }
    }
    return result;
}
