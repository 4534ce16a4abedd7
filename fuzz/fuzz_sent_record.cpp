// Any bytes as the record of what was sent where. Whatever the reader keeps
// must be written back as a record that reads the same, and every hash it
// gives must be whole.
#include "page_oracle.h"
#include "publish/sent_record.h"

#include <QJsonDocument>
#include <QJsonObject>
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
    // Every name the input gives a place: its hash is none or all 32 bytes.
    const QJsonObject places = QJsonDocument::fromJson(input).object().value("places").toObject();
    for (auto place = places.begin(); place != places.end(); ++place) {
        const QStringList names = place.value().toObject().keys();
        for (const QString &name : names) {
            const qsizetype size = record.hash(place.key(), name).size();
            if (size != 0 && size != 32)
                fuzz::fail("a hash kept that is not 32 bytes", input);
        }
    }
    return 0;
}
