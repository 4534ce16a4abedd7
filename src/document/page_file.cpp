#include "page_file.h"

#include "html/text.h"
#include "windows1252.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

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

// Decodes UTF-8 strictly; returns false on any malformed sequence.
bool decodeUtf8(QByteArrayView bytes, QString *text)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    *text = decoder.decode(bytes);
    return !decoder.hasError();
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
        return text.toUtf8();
    case PageEncoding::Utf8WithBom:
        return kUtf8Bom + text.toUtf8();
    case PageEncoding::Windows1252:
        break;
    }
    return toWindows1252(text);
}

QByteArray savedPageBytes(const QString &pageBody, PageEncoding encoding)
{
    return encodePage(pageBody + CRLF + pageClosing() + CRLF, encoding);
}

QByteArray previewBytes(const QString &pageBody, PageEncoding encoding)
{
    return encodePage(pageBody + CRLF, encoding);
}

bool SaveFile(const QString &SavName, const QString &pageBody, PageEncoding encoding,
              QString *error)
{
    const QByteArray bytes = savedPageBytes(pageBody, encoding);
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
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = previewBytes(pageBody, encoding);
    return file.write(bytes) == bytes.size() && file.flush();
}

LoadedPage readPageBytes(const QByteArray &bytes)
{
    LoadedPage page;
    QString text;
    if (bytes.startsWith(kUtf8Bom)) {
        page.encoding = PageEncoding::Utf8WithBom;
        decodeUtf8(QByteArrayView(bytes).sliced(kUtf8Bom.size()), &text);
    } else if (hasMultiByteSequence(bytes) && decodeUtf8(bytes, &text)) {
        page.encoding = PageEncoding::Utf8;
    } else {
        text = fromWindows1252(bytes);
    }

    static const QString htmlEnd = QStringLiteral("/HTML>");
    static const QString bodyEnd = QStringLiteral("/BODY>");
    const QStringView all(text);
    page.body.reserve(text.size() + text.size() / 32);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = start;
        while (end < all.size() && all[end] != QLatin1Char('\r') && all[end] != QLatin1Char('\n'))
            ++end;
        const QStringView line = all.sliced(start, end - start);
        if (!line.isEmpty() && !line.contains(htmlEnd) && !line.contains(bodyEnd)) {
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

bool loadPageFile(const QString &path, LoadedPage *page, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, file.errorString());
        return false;
    }
    *page = readPageBytes(bytes);
    return true;
}

} // namespace tarnwell
