#include "keyring.h"

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
} // namespace

void Keyring::read(const QString &key, Found found)
{
    auto *job = newJob<QKeychain::ReadPasswordJob>(key, this);
    connect(job, &QKeychain::Job::finished, this, [found = std::move(found)](QKeychain::Job *done) {
        found(done->error() == QKeychain::NoError
                  ? static_cast<QKeychain::ReadPasswordJob *>(done)->textData()
                  : QString());
    });
    job->start();
}

void Keyring::write(const QString &key, const QString &password, Done done)
{
    auto *job = newJob<QKeychain::WritePasswordJob>(key, this);
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this, [done = std::move(done)](QKeychain::Job *job) {
        done(job->error() == QKeychain::NoError ? QString()
             : job->errorString().isEmpty()     ? QStringLiteral("no keyring answered")
                                                : job->errorString());
    });
    job->start();
}

void Keyring::remove(const QString &key)
{
    newJob<QKeychain::DeletePasswordJob>(key, this)->start();
}

} // namespace tarnwell
