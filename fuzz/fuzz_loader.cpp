// Any bytes into the page loader. What it keeps must have the loader's shape,
// and saving that body and loading it again must keep every character. A
// page found modern stays modern through its own save, its closing not kept.
#include "document/page_file.h"
#include "html/modern.h"
#include "page_oracle.h"

#include <cstddef>
#include <cstdint>

using namespace tarnwell;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const LoadedPage page = readPageBytes(input);
    fuzz::checkLoadedShape(page.body, input);

    const QByteArray saved = savedPageBytes(page.body, page.encoding);
    const LoadedPage again = readPageBytes(saved);
    fuzz::checkLoadedShape(again.body, input);
    if (again.encoding != fuzz::expectedEncoding(saved, page.encoding))
        fuzz::fail("a saved page read back in another encoding", input);
    fuzz::checkSameText(page.body, again.body, page.encoding, input);

    if (isModernPage(page.body)) {
        const LoadedPage modern =
            readPageBytes(savedPageBytes(page.body, page.encoding, modernPageClosing()));
        if (!isModernPage(modern.body))
            fuzz::fail("a modern page no longer modern once saved", input);
        fuzz::checkSameText(page.body, modern.body, page.encoding, input);
    }
    return 0;
}
