#pragma once

#include "support/files.h"

#include <QLocalServer>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace tarnwell::e2e {

// The installed program, started as its users start it, with a home folder
// of its own; the agent preloaded into it carries out the steps.
//
// A step is a verb and its words:
//   click NAME              press a button or option ("Form4/Command10")
//   type NAME TEXT          empty a field and type TEXT (newlines are Enter)
//   choose NAME ITEM        pick ITEM from a drop-down list
//   select NAME ITEM        click ITEM in a list
//   folder PATH             open PATH, from the root down, in the Select
//                           Directory screen's folder list
//   key KEY                 a key on whatever has the keyboard (Tab, Space, Down,
//                           a letter...); "Ctrl+" before it holds Ctrl down
//   keys TEXT               TEXT typed on whatever has the keyboard
//   tab NAME                Tab pressed until NAME has the keyboard
//   dialog                  a dialog is open and has the keyboard
//   answer BUTTON TEXT      a message box: check that its text is exactly
//                           TEXT (after "[info] ", "[warn] " or "[stop] " for
//                           its icon) and its title, press BUTTON
//   file PATH               the file dialog: type PATH and press Enter
//   dialog-folder PATH      the file dialog shows the folder PATH
//   colour #RRGGBB          the colour dialog: choose the colour and OK
//   cancel                  the open dialog: press Escape
//   close NAME              the close box: the main window's for the screen
//                           in view, a window's own for the Browser screen
//   shown NAME, hidden NAME, inview NAME, enabled NAME, disabled NAME,
//   checked NAME, focus NAME, text NAME TEXT, title NAME TEXT,
//   colour-of NAME #rrggbb  (an item view's text is its rows, cells joined
//                           by " | ", rows by newlines); shown is a screen
//                           open, in view or under the one in view, or a
//                           control shown on its screen; hidden the opposite;
//                           inview is seen now
//   fits NAME               the main window is at its smallest and the
//                           screen in view in it at least at its own smallest
//   place Form13 X Y W H    the main window moved and sized, not maximised
//   maximise Form13         the main window maximised
//   geometry Form13 X Y W H the main window is not maximised and has that
//                           place and size
//   maximised Form13 X Y W H  it is maximised and goes back to that place
//                           and size when it is no longer
//   smallest Form13         it is at its smallest size
//   exit CODE               the program ends with status CODE
//   grab NAME PATH          a picture of NAME's window saved as PNG
//   page NAME SCRIPT        the web view NAME's page: the script's value is true
//   clickpage NAME SCRIPT   a click at the centre of the element the script gives
//   hoverpage NAME SCRIPT   the mouse moved to the centre of that element
//   clicktext NAME POSITION a click in the text field just before that character
//   selection NAME TEXT     the text field's selected text is TEXT (line breaks CR LF)
//   no-dialog               no dialog is open
// Every step waits until it can be done or holds, so none depends on timing.
// Tarnwell is one main window ("Form13") holding the screens, with the
// screens that help with another as its dialogs: every step fails when
// anything else is shown as a window of its own but a dialog, a menu or
// drop-down list, a tooltip or the Browser screen.
// A step fails when the control it names does not exist, within ten
// seconds rather than the whole patience: "hidden Form4/X" needs X on Form4,
// and "hidden Form27" needs that screen to exist or to have been shown
// earlier in the run (a screen closed for good is hidden; a name the program
// never showed is a mistake in the test). Reading the text of a control that
// does not exist fails the test. When a Program goes, the walk ends by
// checking that no message box is left open.
// {NAME} in a step stands for vars["NAME"].
class Program final
{
public:
    // The installed program unless another is named. It never reaches the
    // user's own desktop session (the keyring) unless given its address in
    // environment, which it starts with.
    explicit Program(const QString &home = {}, const QString &program = {},
                     const QMap<QString, QString> &environment = {});
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Runs the steps in order; false at the first that fails, with error().
    bool run(const QStringList &steps);
    QString error() const { return m_error; }

    // What a control shows (see "text" above); the test fails when there is
    // no such control.
    QString text(const QString &name);
    // The value of a script in the page of the web view NAME, as text.
    QString evaluate(const QString &name, const QString &script);
    // The text selected in the text field NAME, line breaks as CR LF.
    QString selected(const QString &name);

    QString home() const { return m_home; }
    qint64 pid() const { return m_process.processId(); }
    // Processes started by this program (the viewer's) still running.
    int descendantsLeft() const;
    // Ends the program without a word, as a crash or a power cut would.
    void kill();

    QMap<QString, QString> vars;
    // How long, in milliseconds, one step may take.
    int patience = 120000;

private:
    QString send(const QString &step);
    // The agent's last word on a step, once it no longer says "wait", or
    // once its control has been missing for ten seconds.
    QString settle(const QString &step);
    // The value a step gives, once it can be had.
    QString ask(const QString &step);
    bool fail(const QString &why);

    QTemporaryDir m_ownHome;
    QString m_home;
    QString m_serverName;
    QLocalServer m_server;
    QLocalSocket *m_socket = nullptr;
    QByteArray m_buffer;
    QProcess m_process;
    QString m_error;
};

// The steps run on PROGRAM, or the test fails saying which did not and why.
#define E2E_RUN(program, ...) QVERIFY2((program).run(__VA_ARGS__), qPrintable((program).error()))

// A file of the installed program's, such as "share/tarnwell/bckgrnd7.jpg".
QString installedFile(const QString &relative);

using test::listing;
using test::makePipe;
using test::readAll;
using test::writeBytes;

} // namespace tarnwell::e2e
