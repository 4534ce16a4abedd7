#include "transport.h"

namespace tarnwell::publish {

std::unique_ptr<Transport> makeSftpTransport(const Site &, const Store &, const std::atomic_bool &)
{
    return nullptr;
}

} // namespace tarnwell::publish
