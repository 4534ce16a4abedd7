#pragma once

#include <QJsonObject>
#include <QLocalServer>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace tarnwell::e2e {

// The installed program, started as its users start it, with a home folder
// of its own; the agent loaded into it carries out the steps.
//
// A step is a verb and its words:
//   click NAME              press a button or option ("Form4/Command10")
//   type NAME TEXT          empty a field and type TEXT (newlines are Enter)
//   choose NAME ITEM        pick ITEM from a drop-down list
//   activate NAME ITEM      double-click ITEM in a list; select NAME ITEM clicks it
//   folder PATH             open PATH in the Select Directory screen's folder list
//   key KEY                 a key on whatever has the keyboard (Tab, Space, Down...)
//   answer BUTTON [TEXT]    a message box: check TEXT (after [info] or [stop]
//                           for its icon, none otherwise), then press BUTTON
//   file PATH               the file dialog: type PATH and press Enter
//   colour #RRGGBB          the colour dialog: choose the colour and OK
//   cancel                  the open dialog: press Escape
//   close NAME              the screen's close box
//   shown NAME, hidden NAME, enabled NAME, disabled NAME, checked NAME
//   text NAME TEXT, title NAME TEXT, focus NAME, colour-of NAME #rrggbb
//   exit CODE               the program ends with status CODE
// Checks wait for their condition, so steps never depend on timing. {NAME}
// in a step stands for vars["NAME"].
class Program final
{
public:
    explicit Program(const QString &home = {});
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Runs the steps in order; false at the first that fails, with error().
    bool run(const QStringList &steps);
    QString error() const { return m_error; }

    QJsonObject state(const QString &name);
    QString text(const QString &name)
    {
        return state(name).value(QLatin1String("text")).toString();
    }
    // What the open dialog is, or {"open": false}.
    QJsonObject dialog();

    QString home() const { return m_home; }
    qint64 pid() const { return m_process.processId(); }
    // Processes started by this program (the viewer's) still running.
    int descendantsLeft() const;
    // Ends the program without a word, as a crash or a power cut would.
    void kill();

    QMap<QString, QString> vars;

private:
    bool step(const QString &line);
    bool check(const QString &verb, const QString &name, const QString &rest);
    bool answer(const QString &button, const QString &expected);
    bool waitFor(const std::function<bool()> &condition, const QString &what);
    bool waitForDialog(const QString &kind);
    QJsonObject call(const QJsonObject &request);
    bool act(const QJsonObject &request);
    bool fail(const QString &why);

    QTemporaryDir m_ownHome;
    QString m_home;
    QString m_serverName;
    QLocalServer m_server;
    QLocalSocket *m_socket = nullptr;
    QProcess m_process;
    QString m_error;
};

QByteArray readAll(const QString &path);
bool writeBytes(const QString &path, const QByteArray &bytes);

} // namespace tarnwell::e2e
