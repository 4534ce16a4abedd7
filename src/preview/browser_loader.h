#pragma once

#include <QUrl>

class QWidget;

namespace tarnwell {

// Makes a fresh Browser screen (top-level, object name "Form27") that goes to
// startingAddress by itself when shown. The viewer lives in a module that is
// loaded on first use, so the program starts without it. Returns null, with
// the reason, when the module cannot be loaded. The screen loads no
// local file outside the folder of startingAddress (none when it is not local).
QWidget *createBrowserScreen(const QUrl &startingAddress, QString *whyNot = nullptr);

} // namespace tarnwell
