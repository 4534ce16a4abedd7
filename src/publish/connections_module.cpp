// The connections module: SFTP, FTP and FTPS transports and the web check,
// opened by the program on the first connection (see connections.h).

#include "connections.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace tarnwell::publish {

namespace {

constexpr int answerMilliseconds = 20000;
// A page is far smaller; a bigger answer is not the page.
constexpr qint64 largestPage = 8 * 1024 * 1024;

Arrival fetchAndCompare(const QUrl &address, const QByteArray &sent, QString *details)
{
    QNetworkAccessManager network;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(answerMilliseconds);
    QNetworkReply *reply = network.get(request);
    QEventLoop loop;
    QByteArray received;
    bool tooBig = false;
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        received += reply->read(largestPage + 1 - received.size());
        if (received.size() > largestPage) {
            tooBig = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, reply, &QNetworkReply::abort);
    limit.start(answerMilliseconds);
    if (!reply->isFinished())
        loop.exec();
    if (!tooBig)
        received += reply->read(largestPage + 1 - received.size());
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    delete reply;
    if (tooBig) {
        if (details)
            *details = QStringLiteral("The answer is bigger than the page.");
        return Arrival::Different;
    }
    if (error != QNetworkReply::NoError) {
        if (details)
            *details = errorText;
        return Arrival::NotFound;
    }
    if (details)
        details->clear();
    return received == sent ? Arrival::Same : Arrival::Different;
}

} // namespace

} // namespace tarnwell::publish

extern "C" __attribute__((visibility("default"))) const tarnwell::publish::Connections *
tarnwell_connections()
{
    using namespace tarnwell::publish;
    static const Connections connections{openSftp, openFtp, fetchAndCompare};
    return &connections;
}
