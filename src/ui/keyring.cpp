#include "keyring.h"

#include "document/modules.h"
#include "keyring_calls.h"

#include <QEventLoop>
#include <QTimer>

namespace tarnwell {

namespace {
// The keyring's calls from the connections module, opened on first use, or
// null with the reason it could not be had.
const KeyringCalls *keyringCalls(QString *whyNot)
{
    static QString reason;
    static const KeyringCalls *calls = [] {
        using Entry = const KeyringCalls *(*)();
        const auto entry = reinterpret_cast<Entry>(moduleEntry(
            "connections", QStringLiteral(TARNWELL_CONNECTIONS_MODULE),
            QStringLiteral(TARNWELL_CONNECTIONS_INSTALL_DIR), "tarnwell_keyring", &reason));
        return entry ? entry() : nullptr;
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
