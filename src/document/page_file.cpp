#include "page_file.h"

#include "files.h"
#include "html/text.h"
#include "windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

namespace tarnwell {

namespace {
const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

bool hasMultiByteSequence(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (uchar(c) >= 0x80)
            return true;
    }
    return false;
}

// Decodes UTF-8 strictly; returns false on any malformed sequence. A U+FEFF
// at the start is a character: the caller has already taken off the mark.
bool decodeUtf8(QByteArrayView bytes, QString *text)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    *text = decoder.decode(bytes);
    return !decoder.hasError();
}

// Well-formed UTF-8 (Unicode table 3-7), stopping at the first bad byte.
bool isWellFormedUtf8(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    const auto at = [&](qsizetype i) { return i < n ? uchar(bytes[i]) : uchar(0); };
    for (qsizetype i = 0; i < n;) {
        const uchar lead = at(i);
        int length = 1;
        uchar low = 0x80; // the second byte's range; no overlong forms or surrogates
        uchar high = 0xBF;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (at(i + 1) < low || at(i + 1) > high)
            return false;
        for (int k = 2; k < length; ++k) {
            if (at(i + k) < 0x80 || at(i + k) > 0xBF)
                return false;
        }
        i += length;
    }
    return true;
}

// Windows-1252 bytes that begin like the byte-order mark ("ï»¿") or happen to
// be valid UTF-8 ("\xC3\xA9" for the two characters "Ã©") would load as UTF-8
// and change the page. Writing the first non-ASCII character as a reference
// leaves the bytes after it stray, so the page loads as Windows-1252 again.
// That character's byte leads a UTF-8 sequence, 0xC2 to 0xF4, so its code
// point in the code page is the byte's value.
QByteArray unlikeUtf8(QByteArray bytes)
{
    qsizetype first = 0;
    while (first < bytes.size() && uchar(bytes[first]) < 0x80)
        ++first;
    if (first == bytes.size())
        return bytes;
    if (!bytes.startsWith(kUtf8Bom)) {
        QString unused;
        if (!isWellFormedUtf8(QByteArrayView(bytes).sliced(first)) || !decodeUtf8(bytes, &unused))
            return bytes;
    }
    bytes.replace(first, 1, "&#" + QByteArray::number(uchar(bytes[first])) + ';');
    return bytes;
}

// UTF-8 for the page. Half a surrogate pair is no character: U+FFFD, as in
// Windows-1252 (Qt would write '?'). A U+FEFF first would read as the
// byte-order mark, so without a mark it is written as its reference.
QByteArray pageUtf8(QStringView text, bool withBom)
{
    QString repaired;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (text[i].isSurrogate()) {
            if (repaired.isNull())
                repaired = text.toString();
            repaired[i] = QChar::ReplacementCharacter;
        }
    }
    if (!repaired.isNull())
        text = repaired;
    if (withBom)
        return kUtf8Bom + text.toUtf8();
    if (text.startsWith(QChar::ByteOrderMark))
        return "&#65279;" + text.sliced(1).toUtf8();
    return text.toUtf8();
}

void setError(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
}
} // namespace

QString pageClosing()
{
    return QStringLiteral("</BODY>") + CRLF + QStringLiteral("</HTML>") + CRLF;
}

QString previewFileName()
{
    return QStringLiteral("viewtmp.html");
}

QByteArray encodePage(const QString &text, PageEncoding encoding)
{
    switch (encoding) {
    case PageEncoding::Utf8:
        return pageUtf8(text, false);
    case PageEncoding::Utf8WithBom:
        return pageUtf8(text, true);
    case PageEncoding::Windows1252:
        break;
    }
    return unlikeUtf8(toWindows1252(text));
}

QByteArray savedPageBytes(const QString &pageBody, PageEncoding encoding, const QString &closing)
{
    // One copy of a long page, not one for each piece added.
    QString text;
    text.reserve(pageBody.size() + closing.size() + 2 * CRLF.size());
    text += pageBody;
    text += CRLF;
    text += closing;
    text += CRLF;
    return encodePage(text, encoding);
}

QByteArray previewBytes(const QString &pageBody, PageEncoding encoding)
{
    return encodePage(pageBody + CRLF, encoding);
}

bool SaveFile(const QString &SavName, const QString &pageBody, PageEncoding encoding,
              QString *error, const QString &closing)
{
    const QByteArray bytes = savedPageBytes(pageBody, encoding, closing);
    QSaveFile file(SavName);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        setError(error, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        setError(error, file.errorString());
        return false;
    }
    return true;
}

bool writePreviewFile(const QString &path, const QString &pageBody, PageEncoding encoding)
{
    // Whatever stands under the name now (a link to a file elsewhere, a named
    // pipe) is replaced, never written through or waited on: the page goes to
    // a new file beside it, renamed over the name. QSaveFile would follow a link.
    QTemporaryFile file(QFileInfo(path).absolutePath() + QStringLiteral("/viewtmp-XXXXXX.tmp"));
    const QByteArray bytes = previewBytes(pageBody, encoding);
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return false;
    file.close();
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(file.fileName().toStdU16String()),
                            std::filesystem::path(path.toStdU16String()), error);
    if (error)
        return false;
    file.setAutoRemove(false);
    return true;
}

LoadedPage readPageBytes(const QByteArray &bytes)
{
    LoadedPage page;
    QString text;
    // The well-formedness check stops at the first stray byte, where decoding
    // a long Windows-1252 page would run to its end only to be thrown away.
    if (bytes.startsWith(kUtf8Bom)) {
        page.encoding = PageEncoding::Utf8WithBom;
        decodeUtf8(QByteArrayView(bytes).sliced(kUtf8Bom.size()), &text);
    } else if (hasMultiByteSequence(bytes) && isWellFormedUtf8(bytes) && decodeUtf8(bytes, &text)) {
        page.encoding = PageEncoding::Utf8;
    } else {
        text = fromWindows1252(bytes);
    }

    static const QString htmlEnd = QStringLiteral("/HTML>");
    static const QString bodyEnd = QStringLiteral("/BODY>");
    const QStringView all(text);
    page.body.reserve(text.size() + text.size() / 32);
    // Where the next "/HTML>" and "/BODY>" begin, searched for in the whole
    // text rather than line by line (a search per line costs more than the
    // line). Neither holds a line end, so one lies within a line exactly
    // when it begins there.
    const auto nextAt = [&all](QStringView word, qsizetype from, qsizetype known) {
        if (known >= from)
            return known;
        const qsizetype at = all.indexOf(word, from);
        return at < 0 ? all.size() : at;
    };
    qsizetype nextHtmlEnd = -1;
    qsizetype nextBodyEnd = -1;
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = start;
        while (end < all.size() && all[end] != QLatin1Char('\r') && all[end] != QLatin1Char('\n'))
            ++end;
        const QStringView line = all.sliced(start, end - start);
        nextHtmlEnd = nextAt(htmlEnd, start, nextHtmlEnd);
        nextBodyEnd = nextAt(bodyEnd, start, nextBodyEnd);
        if (!line.isEmpty() && nextHtmlEnd >= end && nextBodyEnd >= end) {
            page.body += line;
            page.body += CRLF;
        }
        // CR LF is one line end; a lone CR or LF is one as well.
        if (end < all.size() && all[end] == QLatin1Char('\r') && end + 1 < all.size() &&
            all[end + 1] == QLatin1Char('\n'))
            ++end;
        start = end + 1;
    }
    return page;
}

bool isModernPage(QStringView text)
{
    // Only the head counts, and only outside comments: a page that quotes the
    // generator line, or keeps it commented out, is no modern page.
    QString head;
    qsizetype at = 0;
    for (;;) {
        const qsizetype comment = text.indexOf(u"<!--", at);
        const QStringView piece = text.sliced(at, (comment < 0 ? text.size() : comment) - at);
        const qsizetype headEnd = piece.indexOf(u"</head>", 0, Qt::CaseInsensitive);
        if (headEnd >= 0) {
            head += piece.first(headEnd);
            break;
        }
        head += piece;
        const qsizetype commentEnd = comment < 0 ? -1 : text.indexOf(u"-->", comment + 4);
        if (commentEnd < 0)
            return false; // no end to the head
        at = commentEnd + 3;
    }
    const QStringList lines =
        head.split(QRegularExpression(QStringLiteral("[\\r\\n\\x{2029}]+")), Qt::SkipEmptyParts);
    if (lines.isEmpty() ||
        lines.first().trimmed().compare(u"<!DOCTYPE html>", Qt::CaseInsensitive) != 0)
        return false;
    for (const QString &line : lines) {
        if (line.trimmed() == u"<meta name=\"generator\" content=\"Tarnwell\">")
            return true;
    }
    return false;
}

bool loadPageFile(const QString &path, LoadedPage *page, QString *error)
{
    QFile file(path);
    if (!openRegularFile(file, error))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, file.errorString());
        return false;
    }
    *page = readPageBytes(bytes);
    return true;
}

} // namespace tarnwell
