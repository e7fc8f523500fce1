#pragma once

#include <QString>

// Where the program's own files are: skins/, Language/ and help/. From the build folder they
// sit beside the program; installed, the program is <prefix>/bin/kestrova and they are in
// <prefix>/share/kestrova (dataFromProgram, the path from one to the other). The first
// folder holding skins/default.zip wins; with neither, programDir, where the window then
// reports the missing skin.
QString FindProgramData(const QString& programDir, const QString& dataFromProgram);
// The same with the installed layout this build was configured for.
QString FindProgramData(const QString& programDir);
