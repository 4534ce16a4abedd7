#pragma once

#include <QUrl>

class QWidget;

namespace tarnwell {

class LiveView;

// The viewer lives in a module that is loaded once the Start screen is
// drawn, so that the program starts without it. Loads it now, if it is not
// yet; false, with the reason, when it cannot be loaded.
bool loadPreviewModule(QString *whyNot = nullptr);

// Makes a fresh Browser screen (top-level, object name "Form27") that goes to
// startingAddress by itself when shown. Returns null, with the reason, when
// the module cannot be loaded. The screen loads no local file outside the
// folder of startingAddress (none when it is not local).
QWidget *createBrowserScreen(const QUrl &startingAddress, QString *whyNot = nullptr);

// Makes the live page's view, or null with the reason.
LiveView *createLiveView(QString *whyNot = nullptr);

} // namespace tarnwell
