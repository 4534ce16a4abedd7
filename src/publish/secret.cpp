#include "secret.h"

#include <mutex>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace tarnwell::publish {

namespace {
std::mutex guardMutex;
int guards = 0;
int dumpableBefore = 1;
rlimit coreBefore{};
} // namespace

NoCoreDump::NoCoreDump()
{
    const std::lock_guard<std::mutex> lock(guardMutex);
    if (guards++ > 0)
        return;
    dumpableBefore = ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0);
    ::getrlimit(RLIMIT_CORE, &coreBefore);
    // Not dumpable: no core at all, even through a core handler program,
    // and no other process of the user's may read this one's memory.
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    rlimit none = coreBefore;
    none.rlim_cur = 0;
    ::setrlimit(RLIMIT_CORE, &none);
}

NoCoreDump::~NoCoreDump()
{
    const std::lock_guard<std::mutex> lock(guardMutex);
    if (--guards > 0)
        return;
    ::setrlimit(RLIMIT_CORE, &coreBefore);
    if (dumpableBefore > 0)
        ::prctl(PR_SET_DUMPABLE, dumpableBefore, 0, 0, 0);
}

} // namespace tarnwell::publish
