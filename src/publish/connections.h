#pragma once

#include "publisher.h"
#include "transport.h"

namespace tarnwell::publish {

// What the connections module offers: libssh, libcurl, OpenSSL and Qt Network
// are large and only publishing needs them, so they live in a module that the
// program opens on the first connection instead of at start.
struct Connections
{
    std::unique_ptr<Transport> (*sftp)(const Site &site, const Store &store,
                                       const std::atomic_bool &cancelled);
    std::unique_ptr<Transport> (*ftp)(const Site &site, const Store &store,
                                      const std::atomic_bool &cancelled);
    Arrival (*arrival)(const QUrl &address, const QByteArray &sent, QString *details);
};

// Inside the module.
std::unique_ptr<Transport> openSftp(const Site &site, const Store &store,
                                    const std::atomic_bool &cancelled);
std::unique_ptr<Transport> openFtp(const Site &site, const Store &store,
                                   const std::atomic_bool &cancelled);

} // namespace tarnwell::publish
