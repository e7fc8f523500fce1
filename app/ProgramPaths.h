#pragma once

#include <QString>
#include <QStringList>

// Where the program's own files are: skins/, Language/ and help/. From the build folder they
// sit beside the program; installed, the program is <prefix>/bin/kestrova and they are in
// <prefix>/share/kestrova (dataFromProgram, the path from one to the other). The first
// folder holding skins/default.zip wins; with neither, programDir, where the window then
// reports the missing skin.
QString FindProgramData(const QString& programDir, const QString& dataFromProgram);
// The same with the installed layout this build was configured for.
QString FindProgramData(const QString& programDir);

// The files and folders named on the command line, as a file manager passes them too.
struct OpenArguments {
    QStringList paths;   // absolute and cleaned, in the given order, each once
    QStringList missing; // the arguments naming nothing that exists, as given
};
// workingDir: where relative names start, the folder the program was started in.
// file:// URLs stand for their local path.
OpenArguments ResolveOpenArguments(const QStringList& arguments, const QString& workingDir);
