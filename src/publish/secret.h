#pragma once

// Passwords in memory: their bytes are cleared before the memory is given
// back, and no core dump is written while one is held, so that neither a
// later allocation nor a crash's dump shows them.

#include <QByteArray>
#include <QString>
#include <cstring>

namespace tarnwell::publish {

namespace detail {
template<typename Pointer>
void clearBuffer(Pointer &d)
{
    // Literals and raw data have no header: not ours to write.
    if (!d.d_ptr() || !d.data())
        return;
    const qsizetype room = d.constAllocatedCapacity() - d.freeSpaceAtBegin();
    explicit_bzero(static_cast<void *>(d.data()), size_t(room) * sizeof(*d.data()));
}
} // namespace detail

// Clears the text's bytes, in every copy that shares them, and empties it.
inline void wipe(QString &text)
{
    detail::clearBuffer(text.data_ptr());
    text.clear();
}

inline void wipe(QByteArray &bytes)
{
    detail::clearBuffer(bytes.data_ptr());
    bytes.clear();
}

// Clears the text only when no other copy shares it: the last holder does.
inline void wipeIfLast(QString &text)
{
    if (text.isDetached())
        wipe(text);
}

// A password's UTF-8 bytes, cleared when they go.
struct SecretBytes
{
    QByteArray bytes;
    explicit SecretBytes(const QString &text) : bytes(text.toUtf8()) {}
    ~SecretBytes() { wipe(bytes); }
    SecretBytes(const SecretBytes &) = delete;
    SecretBytes &operator=(const SecretBytes &) = delete;
    const char *constData() const { return bytes.constData(); }
};

// While one of these lives the process writes no core dump; the last one
// to go puts the settings back as they were.
class NoCoreDump
{
public:
    NoCoreDump();
    ~NoCoreDump();
    NoCoreDump(const NoCoreDump &) = delete;
    NoCoreDump &operator=(const NoCoreDump &) = delete;
};

} // namespace tarnwell::publish
