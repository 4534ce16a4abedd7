#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace tarnwell {

// Passwords in the desktop's keyring (the Secret Service, KWallet), under the
// program's name. Nothing ever falls back to a file: without a keyring the
// caller is told and nothing is kept.
class Keyring final : public QObject
{
    Q_OBJECT

public:
    using Found = std::function<void(const QString &password)>;
    // Empty when it worked, else why not.
    using Done = std::function<void(const QString &trouble)>;

    explicit Keyring(QObject *parent = nullptr) : QObject(parent) {}

    // Calls found with the password kept for that key, or with nothing.
    void read(const QString &key, Found found);
    void write(const QString &key, const QString &password, Done done);
    void remove(const QString &key);

    // Waits, at most that long, for the keyring to take what it was given:
    // the program may end just after a publish.
    void settle(int milliseconds);

signals:
    void settled();

private:
    void finished();

    int m_pending = 0; // writes and removals under way
};

} // namespace tarnwell
