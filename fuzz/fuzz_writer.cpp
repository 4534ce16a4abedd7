// Any page body through the writer, in every encoding, and back through the
// loader: the kept lines must come back with every character.
#include "document/page_file.h"
#include "page_oracle.h"

#include <cstddef>
#include <cstdint>

using namespace tarnwell;

namespace {
// The first byte chooses how the rest becomes text: UTF-16 code units (every
// character and lone surrogates), UTF-8, or one character per byte.
QString bodyFrom(const uint8_t *data, size_t size)
{
    if (size == 0)
        return QString();
    const char *rest = reinterpret_cast<const char *>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    switch (data[0] % 3) {
    case 0: {
        QString text(length / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(char16_t(uchar(rest[2 * i]) | uchar(rest[2 * i + 1]) << 8));
        return text;
    }
    case 1:
        return QString::fromUtf8(rest, length);
    default:
        return QString::fromLatin1(rest, length);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString body = bodyFrom(data, size);
    const QString expected = fuzz::expectedBody(body);
    for (const PageEncoding encoding :
         {PageEncoding::Windows1252, PageEncoding::Utf8, PageEncoding::Utf8WithBom}) {
        const QByteArray saved = savedPageBytes(body, encoding);
        const LoadedPage page = readPageBytes(saved);
        fuzz::checkLoadedShape(page.body, input);
        if (page.encoding != fuzz::expectedEncoding(saved, encoding))
            fuzz::fail("a saved page read back in another encoding", input);
        fuzz::checkSameText(expected, page.body, encoding, input);
    }
    return 0;
}
