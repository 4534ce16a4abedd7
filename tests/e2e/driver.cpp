#include "driver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTest>
#include <QUuid>

namespace tarnwell::e2e {

namespace {
// Long enough for a machine busy with a parallel build.
constexpr int kWaitMs = 120000;
// A control is made when its screen is, at once: one missing this long is a
// mistake in the test, not a slow machine.
constexpr int kAbsentMs = 10000;
const QString kAbsent = QStringLiteral("wait it does not exist");
} // namespace

QString installedFile(const QString &relative)
{
    return QDir(QStringLiteral(TARNWELL_E2E_PREFIX)).filePath(relative);
}

Program::Program(const QString &home, const QString &program, const QMap<QString, QString> &extra)
    : m_home(home.isEmpty() ? m_ownHome.path() : home)
{
    m_serverName = "tarnwell-e2e-" + QUuid::createUuid().toString(QUuid::Id128);
    m_server.listen(m_serverName);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "DISPLAY",
                             "DBUS_SESSION_BUS_ADDRESS"})
        environment.remove(QLatin1String(name));
    for (auto it = extra.cbegin(); it != extra.cend(); ++it)
        environment.insert(it.key(), it.value());
    environment.insert("HOME", m_home);
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
    environment.insert("LD_PRELOAD", QStringLiteral(TARNWELL_E2E_AGENT));
    environment.insert("TARNWELL_E2E_SOCKET", m_serverName);
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setWorkingDirectory(m_home);
    m_process.start(program.isEmpty() ? installedFile("bin/tarnwell") : program, {});
    if (m_server.waitForNewConnection(kWaitMs))
        m_socket = m_server.nextPendingConnection();
    else
        fail("the program did not start");
}

Program::~Program()
{
    // The walk ends with no message left unanswered; a test that failed
    // already is told nothing more.
    if (m_process.state() == QProcess::Running && m_socket && !QTest::currentTestFailed()) {
        const QString reply = settle(QStringLiteral("no-message"));
        if (!reply.startsWith(QLatin1String("ok")))
            QTest::qFail(qPrintable("at the end of the walk: " + reply), __FILE__, __LINE__);
    }
    kill();
}

void Program::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(kWaitMs);
    }
}

bool Program::fail(const QString &why)
{
    if (m_error.isEmpty()) {
        m_error = why;
        const QByteArray output = m_process.readAll().right(2000);
        if (!output.isEmpty())
            m_error += "\nprogram output:\n" + QString::fromLocal8Bit(output);
    }
    return false;
}

// The agent's answer: "ok [value]", "wait why" or "fail why".
QString Program::send(const QString &step)
{
    if (!m_socket)
        return "fail the program is not running";
    m_socket->write(step.toUtf8() + '\0');
    m_socket->flush();
    QDeadlineTimer deadline(patience);
    qsizetype end;
    while ((end = m_buffer.indexOf('\0')) < 0) {
        if (deadline.hasExpired() || m_socket->state() != QLocalSocket::ConnectedState)
            return "fail the program did not answer";
        m_socket->waitForReadyRead(100);
        m_buffer += m_socket->readAll();
    }
    const QString reply = QString::fromUtf8(m_buffer.left(end));
    m_buffer.remove(0, end + 1);
    return reply;
}

QString Program::settle(const QString &step)
{
    QDeadlineTimer deadline(patience);
    QDeadlineTimer absent(QDeadlineTimer::Forever);
    QString reply;
    while ((reply = send(step)).startsWith("wait ") && !deadline.hasExpired()) {
        if (reply != kAbsent)
            absent = QDeadlineTimer(QDeadlineTimer::Forever);
        else if (absent.isForever())
            absent = QDeadlineTimer(kAbsentMs);
        else if (absent.hasExpired())
            break;
        QTest::qWait(10);
    }
    return reply;
}

QString Program::ask(const QString &step)
{
    // As a step does, it waits until the screen has taken the last answer.
    const QString reply = settle(step);
    if (reply.startsWith("ok "))
        return reply.mid(3);
    m_error.clear();
    fail(step + ": " + reply);
    if (!QTest::currentTestFailed())
        QTest::qFail(qPrintable(m_error), __FILE__, __LINE__);
    m_error.clear();
    // Equal to nothing a test expects.
    return QStringLiteral("(%1: %2)").arg(step, reply);
}

QString Program::text(const QString &name)
{
    return ask("get " + name);
}

QString Program::evaluate(const QString &name, const QString &script)
{
    return ask("evaluate " + name + ' ' + script);
}

QString Program::selected(const QString &name)
{
    return ask("selected " + name);
}

bool Program::run(const QStringList &steps)
{
    m_error.clear(); // each run tells its own failure
    for (QString step : steps) {
        for (auto it = vars.cbegin(); it != vars.cend(); ++it)
            step.replace('{' + it.key() + '}', it.value());
        if (step.startsWith("exit ")) {
            if (!m_process.waitForFinished(patience))
                return fail("the program is still running");
            if (m_process.exitStatus() != QProcess::NormalExit ||
                m_process.exitCode() != step.mid(5).toInt())
                return fail(QString("the program ended with status %1, %2")
                                .arg(m_process.exitCode())
                                .arg(m_process.exitStatus() == QProcess::NormalExit ? "normally"
                                                                                    : "crashed"));
            continue;
        }
        const QString reply = settle(step);
        if (!reply.startsWith("ok"))
            return fail(step + ": " + reply);
    }
    return true;
}

int Program::descendantsLeft() const
{
    const QByteArray marker = "TARNWELL_E2E_SOCKET=" + m_serverName.toLatin1();
    int left = 0;
    const QStringList processes = QDir("/proc").entryList(QDir::Dirs);
    for (const QString &pid : processes) {
        QFile status(QString("/proc/%1/stat").arg(pid));
        if (!status.open(QIODevice::ReadOnly) || status.readAll().contains(") Z "))
            continue; // not a process, or a zombie that is gone already
        QFile environ(QString("/proc/%1/environ").arg(pid));
        if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(marker))
            ++left;
    }
    return left;
}

} // namespace tarnwell::e2e
