#pragma once

#include <QString>
#include <functional>

class QObject;

namespace tarnwell {

// What the connections module offers for the keyring: the keychain library
// and D-Bus load with it on the first Publish, not at start. Each call ends
// with its callback, later, unless context has gone by then.
struct KeyringCalls
{
    void (*read)(QObject *context, const QString &key,
                 std::function<void(const QString &password)> found);
    // done gets why not, or nothing when the password is kept.
    void (*write)(QObject *context, const QString &key, const QString &password,
                  std::function<void(const QString &trouble)> done);
    void (*remove)(QObject *context, const QString &key, std::function<void()> done);
};

} // namespace tarnwell
