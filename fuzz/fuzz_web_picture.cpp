// Any bytes as a picture the user picks, and as its file's name. A copy made
// for the web is within its limits and is the picture it says it is; a name
// made web-safe holds only what every web server serves, and stays as it is
// when made safe again.
#include "document/web_pictures.h"
#include "page_oracle.h"

#include <QBuffer>
#include <QImage>
#include <cstddef>
#include <cstdint>

using namespace tarnwell;

namespace {

void checkName(const QString &name, const QByteArray &input)
{
    const QString safe = webSafeName(name);
    if (safe.isEmpty() || safe.startsWith(u'-') || safe.startsWith(u'.') || safe.contains(u"--") ||
        safe.contains(u"-."))
        fuzz::fail("a web-safe name of the wrong shape", input);
    for (QChar c : safe)
        if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_' ||
              c == u'.'))
            fuzz::fail("a web-safe name with a character a server may not serve", input);
    if (safe.count(u'.') > 1 || webSafeName(safe) != safe)
        fuzz::fail("a web-safe name that changes when made safe again", input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    checkName(QString::fromUtf8(input.left(300)), input);

    // Small limits keep each run short; the code is the same for any.
    constexpr int widest = 40;
    QBuffer buffer(&input);
    buffer.open(QIODevice::ReadOnly);
    WebPicture picture;
    QString error;
    if (!makeWebPicture(&buffer, QStringLiteral("x.png"), widest, &picture, &error)) {
        if (error.isEmpty())
            fuzz::fail("no copy and no reason", input);
        return 0;
    }
    if (picture.bytes.size() > kLargestPicture)
        fuzz::fail("a copy over the size limit", input);
    const QImage copy = QImage::fromData(picture.bytes);
    if (copy.isNull() || copy.size() != picture.size || copy.width() > widest)
        fuzz::fail("a copy that is not the picture it says", input);
    if ((picture.extension == u".png") != picture.bytes.startsWith("\x89PNG"))
        fuzz::fail("a copy whose name says another format", input);
    return 0;
}
