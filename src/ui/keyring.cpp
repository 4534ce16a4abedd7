#include "keyring.h"

#include "keyring_calls.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLibrary>
#include <QTimer>

namespace tarnwell {

namespace {
// The keyring's calls from the connections module, opened on first use, or
// null with the reason it could not be had.
const KeyringCalls *keyringCalls(QString *whyNot)
{
    static QString reason;
    static const KeyringCalls *calls = []() -> const KeyringCalls * {
        const QDir programDir(QCoreApplication::applicationDirPath());
        const QString name = QStringLiteral(TARNWELL_CONNECTIONS_MODULE);
        const QStringList candidates = {
            programDir.filePath(name),
            programDir.filePath(QStringLiteral(TARNWELL_CONNECTIONS_INSTALL_DIR "/") + name)};
        for (const QString &path : candidates) {
            if (!QFile::exists(path))
                continue;
            QLibrary library(path);
            using Entry = const KeyringCalls *(*)();
            if (auto entry = reinterpret_cast<Entry>(library.resolve("tarnwell_keyring")))
                return entry();
            reason = library.errorString();
            return nullptr;
        }
        reason = QStringLiteral("the connections module %1 is missing").arg(candidates.constLast());
        return nullptr;
    }();
    *whyNot = reason;
    return calls;
}
} // namespace

void Keyring::read(const QString &key, Found found)
{
    QString whyNot;
    if (const KeyringCalls *calls = keyringCalls(&whyNot)) {
        calls->read(this, key, std::move(found));
        return;
    }
    QTimer::singleShot(0, this, [found = std::move(found)] { found(QString()); });
}

void Keyring::write(const QString &key, const QString &password, Done done)
{
    ++m_pending;
    auto then = [this, done = std::move(done)](const QString &trouble) {
        finished();
        done(trouble);
    };
    QString whyNot;
    if (const KeyringCalls *calls = keyringCalls(&whyNot)) {
        calls->write(this, key, password, std::move(then));
        return;
    }
    QTimer::singleShot(0, this, [then = std::move(then), whyNot] { then(whyNot); });
}

void Keyring::remove(const QString &key)
{
    ++m_pending;
    QString whyNot;
    if (const KeyringCalls *calls = keyringCalls(&whyNot)) {
        calls->remove(this, key, [this] { finished(); });
        return;
    }
    QTimer::singleShot(0, this, &Keyring::finished);
}

void Keyring::finished()
{
    if (--m_pending == 0)
        emit settled();
}

void Keyring::settle(int milliseconds)
{
    if (m_pending == 0)
        return;
    QEventLoop loop;
    connect(this, &Keyring::settled, &loop, &QEventLoop::quit);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace tarnwell
