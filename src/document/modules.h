#pragma once

#include <QString>
#include <QtGlobal>

namespace tarnwell {

// The entry point named entry of the program's kind module ("connections"),
// the library file named module: beside the program in the build tree, in installDir
// (relative to the program's folder) once installed. The library stays
// loaded. Null, with the reason in whyNot, when it cannot be had.
QFunctionPointer moduleEntry(const char *kind, const QString &module, const QString &installDir,
                             const char *entry, QString *whyNot);

} // namespace tarnwell
