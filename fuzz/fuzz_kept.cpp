// Any bytes as a kept-page file. Whatever the reader accepts must be written
// back as a file that reads as the same page; a changed byte must not pass
// the digest unnoticed in a way that changes what is offered.
#include "document/recovery.h"
#include "page_oracle.h"

#include <cstddef>
#include <cstdint>

using namespace tarnwell;

namespace {
// The body as written: the document's line breaks become CR LF.
QString asWritten(QString body)
{
    body.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    body.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return body;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<KeptPage> page = readKeptPage(input);
    if (!page)
        return 0;
    if (!page->keptAt.isValid())
        fuzz::fail("a page offered with no time it was kept", input);
    const QByteArray written = keptPageBytes(*page);
    const std::optional<KeptPage> again = readKeptPage(written);
    if (!again)
        fuzz::fail("a page read, written again, cannot be read", input);
    if (again->body != asWritten(page->body))
        fuzz::fail("a page read, written again, has another body", input);
    if (again->sessionFolder != page->sessionFolder || again->saveFolder != page->saveFolder ||
        again->encoding != page->encoding || again->saved != page->saved ||
        again->keptAt != page->keptAt)
        fuzz::fail("a page read, written again, has other fields", input);
    if (readKeptPage(written.chopped(1)))
        fuzz::fail("a kept page with its last byte cut off is read", input);
    return 0;
}
