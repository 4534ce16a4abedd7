#include "keyring.h"

#include <QEventLoop>
#include <QTimer>
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
    ++m_pending;
    connect(job, &QKeychain::Job::finished, this,
            [this, done = std::move(done)](QKeychain::Job *job) {
                finished();
                done(job->error() == QKeychain::NoError ? QString()
                     : job->errorString().isEmpty()     ? QStringLiteral("no keyring answered")
                                                        : job->errorString());
            });
    job->start();
}

void Keyring::remove(const QString &key)
{
    auto *job = newJob<QKeychain::DeletePasswordJob>(key, this);
    ++m_pending;
    connect(job, &QKeychain::Job::finished, this, &Keyring::finished);
    job->start();
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
