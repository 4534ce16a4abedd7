// Any bytes as the record of what was sent where. Whatever the reader keeps
// must be written back as a record that reads the same, and every hash it
// gives must be whole.
#include "page_oracle.h"
#include "publish/sent_record.h"

#include <cstddef>
#include <cstdint>

using namespace tarnwell;
using tarnwell::publish::SentRecord;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const SentRecord record = SentRecord::parse(input);
    const QByteArray written = record.toJson();
    const SentRecord again = SentRecord::parse(written);
    if (!(again == record))
        fuzz::fail("a record read, written again, reads otherwise", input);
    if (again.toJson() != written)
        fuzz::fail("a record written twice is written differently", input);
    return 0;
}
