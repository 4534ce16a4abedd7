#pragma once

#include <QString>
#include <QTest>
#include <unistd.h>

// What a test needs from the machine (an account, a tool, the right to
// mount): where the tests run as root, as in CI, everything can be had, so a
// missing part is a fault of the machine's setup and fails the test; only a
// developer who is not root may skip it.
#define REQUIRE_HERE(present, why)                                                                 \
    do {                                                                                           \
        if (!(present)) {                                                                          \
            const QString missing_ = (why);                                                        \
            if (::geteuid() == 0)                                                                  \
                QFAIL(qPrintable(QStringLiteral("running as root, yet ") + missing_));             \
            QSKIP(qPrintable(missing_));                                                           \
        }                                                                                          \
    } while (false)
