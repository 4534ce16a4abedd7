// Opens the connections module (connections.h) on the first call that needs
// it, beside the program in the build tree and in the library folder once
// installed.

#include "connections.h"
#include "document/modules.h"

namespace tarnwell::publish {

namespace {

// The module's offer, or null with the reason it could not be had.
const Connections *loadConnections(QString *whyNot)
{
    using Entry = const Connections *(*)();
    const auto entry = reinterpret_cast<Entry>(moduleEntry(
        "connections", QStringLiteral(TARNWELL_CONNECTIONS_MODULE),
        QStringLiteral(TARNWELL_CONNECTIONS_INSTALL_DIR), "tarnwell_connections", whyNot));
    return entry ? entry() : nullptr;
}

const Connections *connections(QString *whyNot)
{
    static QString reason;
    static const Connections *loaded = loadConnections(&reason);
    *whyNot = reason;
    return loaded;
}

// Stands in for a transport when the module cannot be opened: every call
// says why.
class Unavailable final : public Transport
{
public:
    explicit Unavailable(QString why) : m_why(std::move(why)) {}
    Problem connect() override { return fault(Failure::Other, m_why); }
    std::optional<RemoteFile> remoteFile(const QString &, Problem *problem) override
    {
        *problem = connect();
        return std::nullopt;
    }
    bool folderExists(const QString &, Problem *problem) override
    {
        *problem = connect();
        return false;
    }
    Problem makeFolder(const QString &) override { return connect(); }
    Problem upload(QIODevice &, const QString &, const SentSoFar &) override
    {
        return connect();
    }
    Problem replace(const QString &, const QString &) override { return connect(); }
    Problem remove(const QString &) override { return connect(); }

private:
    QString m_why;
};

} // namespace

bool isWebAddress(const QUrl &address)
{
    const QString scheme = address.scheme().toLower();
    return address.isValid() && !address.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QString typedWebAddress(const QString &typed)
{
    const QString address = typed.trimmed();
    const QString host = address.section(u'/', 0, 0).section(u':', 0, 0);
    if (address.contains(QLatin1String("://")) || host.isEmpty() || !host.contains(u'.') ||
        host.contains(u' '))
        return address;
    return QStringLiteral("https://") + address;
}

std::unique_ptr<Transport> makeSftpTransport(const Site &site, const Store &store,
                                             const std::atomic_bool &cancelled)
{
    QString whyNot;
    const Connections *module = connections(&whyNot);
    return module ? module->sftp(site, store, cancelled) : std::make_unique<Unavailable>(whyNot);
}

std::unique_ptr<Transport> makeFtpTransport(const Site &site, const Store &store,
                                            const std::atomic_bool &cancelled)
{
    QString whyNot;
    const Connections *module = connections(&whyNot);
    return module ? module->ftp(site, store, cancelled) : std::make_unique<Unavailable>(whyNot);
}

Arrival checkArrival(const QUrl &address, const QByteArray &sent, QString *details)
{
    // Only a web server's answer shows that the page is on the web: a file:
    // address would read it from this computer.
    if (!isWebAddress(address)) {
        if (details)
            *details = QStringLiteral("%1 is not a web address: it must start with http:// or "
                                      "https://.")
                           .arg(address.toDisplayString());
        return Arrival::NotFound;
    }
    QString whyNot;
    if (const Connections *module = connections(&whyNot))
        return module->arrival(address, sent, details);
    if (details)
        *details = whyNot;
    return Arrival::NotFound;
}

} // namespace tarnwell::publish
