// The keyring's part of the connections module (keyring_calls.h).

#include "keyring_calls.h"

#include <QObject>
#include <qt6keychain/keychain.h>

namespace tarnwell {

namespace {
const QString service = QStringLiteral("Tarnwell");

template <class Job>
Job *newJob(const QString &key, QObject *context)
{
    auto *job = new Job(service, context);
    job->setAutoDelete(true);
    // Never a plain file in place of the keyring.
    job->setInsecureFallback(false);
    job->setKey(key);
    return job;
}

void read(QObject *context, const QString &key, std::function<void(const QString &)> found)
{
    auto *job = newJob<QKeychain::ReadPasswordJob>(key, context);
    QObject::connect(job, &QKeychain::Job::finished, context,
                     [found = std::move(found)](QKeychain::Job *done) {
                         found(done->error() == QKeychain::NoError
                                   ? static_cast<QKeychain::ReadPasswordJob *>(done)->textData()
                                   : QString());
                     });
    job->start();
}

void write(QObject *context, const QString &key, const QString &password,
           std::function<void(const QString &)> done)
{
    auto *job = newJob<QKeychain::WritePasswordJob>(key, context);
    job->setTextData(password);
    QObject::connect(job, &QKeychain::Job::finished, context,
                     [done = std::move(done)](QKeychain::Job *job) {
                         done(job->error() == QKeychain::NoError ? QString()
                              : job->errorString().isEmpty() ? QStringLiteral("no keyring answered")
                                                             : job->errorString());
                     });
    job->start();
}

void remove(QObject *context, const QString &key, std::function<void()> done)
{
    auto *job = newJob<QKeychain::DeletePasswordJob>(key, context);
    QObject::connect(job, &QKeychain::Job::finished, context, [done = std::move(done)] { done(); });
    job->start();
}
} // namespace

} // namespace tarnwell

extern "C" __attribute__((visibility("default"))) const tarnwell::KeyringCalls *tarnwell_keyring()
{
    static const tarnwell::KeyringCalls calls{tarnwell::read, tarnwell::write, tarnwell::remove};
    return &calls;
}
