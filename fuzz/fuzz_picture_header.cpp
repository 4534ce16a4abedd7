// Any bytes into the picture header reader. A size it reports must be
// plausible: both sides from 1 to the largest it allows, and written in the
// header where the format keeps them. Where Qt's reader, which shares no code
// with ours, takes the bytes for the same format and finds a size, the two
// agree.
#include "document/picture_header.h"
#include "page_oracle.h"

#include <QBuffer>
#include <QImageReader>
#include <cstddef>
#include <cstdint>

using namespace tarnwell;

namespace {

quint32 value(const QByteArray &b, qsizetype at, int count, bool bigEndian)
{
    quint32 v = 0;
    for (int i = 0; i < count; ++i)
        v = v << 8 | uchar(b[at + (bigEndian ? i : count - 1 - i)]);
    return v;
}

// The format the signature names, as Qt names it.
QByteArray formatOf(const QByteArray &b)
{
    if (b.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (b.startsWith("GIF87a") || b.startsWith("GIF89a"))
        return "gif";
    if (b.startsWith("BM"))
        return "bmp";
    if (b.startsWith("\xFF\xD8"))
        return "jpeg";
    return {};
}

// Whether the sides are written where the format keeps them; for JPEG, in
// some frame header of the bytes.
bool fromHeader(const QByteArray &b, const QByteArray &format, QSize size)
{
    const auto w = quint32(size.width());
    const auto h = quint32(size.height());
    const qsizetype n = b.size();
    if (format == "png")
        return n >= 24 && value(b, 16, 4, true) == w && value(b, 20, 4, true) == h;
    if (format == "gif")
        return n >= 10 && value(b, 6, 2, false) == w && value(b, 8, 2, false) == h;
    if (format == "bmp") {
        if (n >= 22 && value(b, 14, 4, false) == 12)
            return value(b, 18, 2, false) == w && value(b, 20, 2, false) == h;
        return n >= 26 && value(b, 18, 4, false) == w &&
               (value(b, 22, 4, false) == h || value(b, 22, 4, false) == 0u - h);
    }
    for (qsizetype i = 2; i + 9 <= n; ++i) {
        const uchar marker = uchar(b[i + 1]);
        if (uchar(b[i]) == 0xFF && marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 &&
            marker != 0xC8 && marker != 0xCC && value(b, i + 5, 2, true) == h &&
            value(b, i + 7, 2, true) == w)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const PictureHeader header = readPictureHeader(input);
    const QByteArray format = formatOf(input);
    if (header.verdict != PictureHeader::Sized) {
        if (header.size.isValid())
            fuzz::fail("a size without the verdict that it holds one", input);
        if (header.verdict == PictureHeader::Absurd && format.isEmpty())
            fuzz::fail("an absurd size in a file of no format read here", input);
        return 0;
    }
    const QSize found = header.size;
    if (found.width() < 1 || found.height() < 1 || found.width() > kLargestSide ||
        found.height() > kLargestSide)
        fuzz::fail("a size out of range", input);
    if (format.isEmpty() || !fromHeader(input, format, found))
        fuzz::fail("a size that the header does not hold", input);

    QBuffer buffer(&input);
    // Only Qt's reader of the same format: another (TGA has no signature)
    // may take the bytes for a picture of its own.
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    const QSize qt = reader.size();
    // Qt's GIF reader takes a logical screen over 2,000 pixels and ten times
    // the first frame for a mistake and uses the frame's extent instead; the
    // header says otherwise, and so do we.
    const bool gifGuess =
        format == "gif" && (found.width() / 10 > 200 || found.height() / 10 > 200);
    if (qt.isValid() && !qt.isEmpty() && qt != found && !gifGuess)
        fuzz::fail("a size other than Qt's reader finds", input);
    return 0;
}
