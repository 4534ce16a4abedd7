#include "driver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QTest>
#include <QUuid>

namespace tarnwell::e2e {

namespace {
// Long enough for a machine busy with a parallel build.
constexpr int kWaitMs = 30000;

QString wordAt(const QString &line, int index)
{
    return line.section(QLatin1Char(' '), index, index);
}

QString restAfter(const QString &line, int words)
{
    return line.section(QLatin1Char(' '), words);
}
} // namespace

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

Program::Program(const QString &home) : m_home(home.isEmpty() ? m_ownHome.path() : home)
{
    m_serverName = QStringLiteral("tarnwell-e2e-") + QUuid::createUuid().toString(QUuid::Id128);
    m_server.listen(m_serverName);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "DISPLAY"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("HOME"), m_home);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(TARNWELL_E2E_AGENT));
    environment.insert(QStringLiteral("TARNWELL_E2E_SOCKET"), m_serverName);
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setWorkingDirectory(m_home);
    m_process.start(QStringLiteral(TARNWELL_E2E_PROGRAM), {});

    if (!m_server.waitForNewConnection(kWaitMs)) {
        fail(QStringLiteral("the program did not start"));
        return;
    }
    m_socket = m_server.nextPendingConnection();
}

Program::~Program()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(kWaitMs);
    }
}

void Program::kill()
{
    m_process.kill();
    m_process.waitForFinished(kWaitMs);
}

bool Program::fail(const QString &why)
{
    if (m_error.isEmpty()) {
        m_error = why;
        const QByteArray output = m_process.readAll().right(2000);
        if (!output.isEmpty())
            m_error += QStringLiteral("\nprogram output:\n") + QString::fromLocal8Bit(output);
    }
    return false;
}

QJsonObject Program::call(const QJsonObject &request)
{
    if (!m_socket || m_socket->state() != QLocalSocket::ConnectedState)
        return {{QStringLiteral("error"), QStringLiteral("the program is not running")}};
    m_socket->write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    m_socket->flush();
    QDeadlineTimer deadline(kWaitMs);
    while (!m_socket->canReadLine()) {
        if (deadline.hasExpired() || m_socket->state() != QLocalSocket::ConnectedState)
            return {{QStringLiteral("error"), QStringLiteral("the program did not answer")}};
        m_socket->waitForReadyRead(100);
    }
    return QJsonDocument::fromJson(m_socket->readLine()).object();
}

bool Program::act(const QJsonObject &request)
{
    const QJsonObject reply = call(request);
    if (reply.contains(QLatin1String("error")))
        return fail(reply.value(QLatin1String("error")).toString());
    return true;
}

QJsonObject Program::state(const QString &name)
{
    return call({{QStringLiteral("op"), QStringLiteral("state")}, {QStringLiteral("name"), name}});
}

QJsonObject Program::dialog()
{
    return call({{QStringLiteral("op"), QStringLiteral("dialog")}});
}

bool Program::waitFor(const std::function<bool()> &condition, const QString &what)
{
    QDeadlineTimer deadline(kWaitMs);
    while (!condition()) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return fail(QStringLiteral("waited in vain: ") + what);
        QTest::qWait(10);
    }
    return true;
}

bool Program::waitForDialog(const QString &kind)
{
    return waitFor([&] { return dialog().value(QLatin1String("kind")).toString() == kind; },
                   QStringLiteral("a ") + kind + QStringLiteral(" dialog"));
}

bool Program::run(const QStringList &steps)
{
    for (const QString &line : steps) {
        if (!step(line))
            return fail(QStringLiteral("at step ") + line);
    }
    return true;
}

bool Program::step(const QString &raw)
{
    QString line = raw;
    for (auto it = vars.cbegin(); it != vars.cend(); ++it)
        line.replace(QLatin1Char('{') + it.key() + QLatin1Char('}'), it.value());
    const QString verb = wordAt(line, 0);
    const QString name = wordAt(line, 1);
    const QString rest = restAfter(line, 2);
    const auto request = [&](const QString &op, const QString &text) {
        return QJsonObject{{QStringLiteral("op"), op},
                           {QStringLiteral("name"), name},
                           {QStringLiteral("text"), text}};
    };

    if (verb == QLatin1String("click") || verb == QLatin1String("close"))
        return act(request(verb, {}));
    if (verb == QLatin1String("type") || verb == QLatin1String("choose") ||
        verb == QLatin1String("activate") || verb == QLatin1String("select"))
        return act(request(verb, rest));
    if (verb == QLatin1String("key"))
        return act({{QStringLiteral("op"), verb}, {QStringLiteral("text"), name}});
    if (verb == QLatin1String("folder")) {
        const QString path = restAfter(line, 1);
        QStringList chain = QDir::cleanPath(path).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        chain.prepend(QStringLiteral("/"));
        for (const QString &folder : chain) {
            if (!act({{QStringLiteral("op"), QStringLiteral("activate")},
                      {QStringLiteral("name"), QStringLiteral("nonComdlg/Dir1")},
                      {QStringLiteral("text"), folder}}) ||
                !waitFor([&] { return text(QStringLiteral("nonComdlg/Dir1")).trimmed() == folder; },
                         QStringLiteral("the folder list to open ") + folder))
                return false;
        }
        return true;
    }
    if (verb == QLatin1String("answer"))
        return answer(name, rest);
    if (verb == QLatin1String("file") || verb == QLatin1String("colour"))
        return waitForDialog(verb == QLatin1String("file") ? QStringLiteral("file") : verb) &&
               act({{QStringLiteral("op"), verb}, {QStringLiteral("text"), restAfter(line, 1)}});
    if (verb == QLatin1String("cancel"))
        return waitFor([&] { return dialog().value(QLatin1String("open")).toBool(); },
                       QStringLiteral("a dialog")) &&
               act({{QStringLiteral("op"), verb}});
    if (verb == QLatin1String("exit")) {
        if (!m_process.waitForFinished(kWaitMs))
            return fail(QStringLiteral("the program is still running"));
        if (m_process.exitStatus() != QProcess::NormalExit || m_process.exitCode() != name.toInt())
            return fail(QStringLiteral("the program ended with status %1 (%2)")
                            .arg(m_process.exitCode())
                            .arg(m_process.exitStatus() == QProcess::NormalExit
                                     ? QStringLiteral("normal")
                                     : QStringLiteral("crashed")));
        return true;
    }
    return check(verb, name, rest);
}

bool Program::check(const QString &verb, const QString &name, const QString &rest)
{
    QJsonObject last;
    const auto is = [&](const char *key) { return last.value(QLatin1String(key)).toBool(); };
    std::function<bool()> holds;
    if (verb == QLatin1String("shown"))
        holds = [&] { return is("visible"); };
    else if (verb == QLatin1String("hidden"))
        holds = [&] { return !is("visible"); };
    else if (verb == QLatin1String("enabled"))
        holds = [&] { return is("exists") && is("enabled"); };
    else if (verb == QLatin1String("disabled"))
        holds = [&] { return is("exists") && !is("enabled"); };
    else if (verb == QLatin1String("checked"))
        holds = [&] { return is("checked"); };
    else if (verb == QLatin1String("focus"))
        holds = [&] { return is("focus"); };
    else if (verb == QLatin1String("text") || verb == QLatin1String("title") ||
             verb == QLatin1String("colour-of")) {
        const QString key = verb == QLatin1String("text")    ? QStringLiteral("text")
                            : verb == QLatin1String("title") ? QStringLiteral("title")
                                                             : QStringLiteral("colour");
        holds = [&, key] { return last.value(key).toString() == rest; };
    } else {
        return fail(QStringLiteral("unknown step ") + verb);
    }
    QDeadlineTimer deadline(kWaitMs);
    for (;;) {
        last = state(name);
        if (last.contains(QLatin1String("error")))
            return fail(last.value(QLatin1String("error")).toString());
        if (holds())
            return true;
        if (deadline.hasExpired())
            return fail(QStringLiteral("%1 is %2")
                            .arg(name, QString::fromUtf8(
                                           QJsonDocument(last).toJson(QJsonDocument::Compact))));
        QTest::qWait(10);
    }
}

bool Program::answer(const QString &button, const QString &expected)
{
    if (!waitForDialog(QStringLiteral("message")))
        return false;
    const QJsonObject box = dialog();
    if (!expected.isEmpty()) {
        int icon = 0; // none
        QString text = expected;
        if (text.startsWith(QLatin1String("[info] "))) {
            icon = 1;
            text = text.mid(7);
        } else if (text.startsWith(QLatin1String("[stop] "))) {
            icon = 3;
            text = text.mid(7);
        }
        const QString shown = box.value(QLatin1String("text")).toString();
        if (shown != text || box.value(QLatin1String("icon")).toInt() != icon ||
            box.value(QLatin1String("title")).toString() != QLatin1String("Tarnwell"))
            return fail(QStringLiteral("the message is \"%1\" (icon %2, title %3)")
                            .arg(shown)
                            .arg(box.value(QLatin1String("icon")).toInt())
                            .arg(box.value(QLatin1String("title")).toString()));
    }
    return act({{QStringLiteral("op"), QStringLiteral("answer")},
                {QStringLiteral("text"), button}}) &&
           waitFor([&] { return dialog() != box; }, QStringLiteral("the message to close"));
}

int Program::descendantsLeft() const
{
    const QByteArray marker = "TARNWELL_E2E_SOCKET=" + m_serverName.toLatin1();
    int left = 0;
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &pid : processes) {
        bool number = false;
        pid.toLongLong(&number);
        if (!number || pid.toLongLong() == QCoreApplication::applicationPid())
            continue;
        QFile status(QStringLiteral("/proc/%1/stat").arg(pid));
        if (status.open(QIODevice::ReadOnly) && status.readAll().contains(") Z "))
            continue; // a zombie waiting for its parent is gone already
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(marker))
            ++left;
    }
    return left;
}

} // namespace tarnwell::e2e
