#pragma once

#include <QString>

namespace tarnwell::test {

// From the Start screen through "Use an existing folder" and the HEAD screen
// (title and heading typed, every other choice as it stands) to the
// Background screen.
bool walkToBackground(const QString &folder, const QString &title, const QString &heading);

// The same, then the Background screen's Next, to the Selection screen.
bool walkToSelection(const QString &folder, const QString &title, const QString &heading);

} // namespace tarnwell::test
