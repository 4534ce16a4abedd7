#pragma once

#include <QByteArray>
#include <QString>

namespace tarnwell {

// How a page's text becomes bytes. New pages are Windows-1252; a page read
// from a UTF-8 file stays UTF-8, with its byte-order mark if it had one.
enum class PageEncoding { Windows1252, Utf8, Utf8WithBom };

// "</BODY>" CR LF "</HTML>" CR LF: written after the page body when saving.
QString pageClosing();

// Name of the preview file in the session folder.
QString previewFileName();

QByteArray encodePage(const QString &text, PageEncoding encoding);

// What a saved page file holds: page body, CR LF, closing, CR LF.
QByteArray savedPageBytes(const QString &pageBody, PageEncoding encoding,
                          const QString &closing = pageClosing());

// What the preview file holds: page body, CR LF.
QByteArray previewBytes(const QString &pageBody, PageEncoding encoding);

// Writes the saved page file all at once: on any failure an earlier file of
// that name stays exactly as it was. Returns false and the reason on failure.
bool SaveFile(const QString &SavName, const QString &pageBody, PageEncoding encoding,
              QString *error = nullptr, const QString &closing = pageClosing());

// Writes the preview file as a new file in its folder, replacing whatever had
// its name (a link is replaced, not followed). False when it cannot.
bool writePreviewFile(const QString &path, const QString &pageBody, PageEncoding encoding);

struct LoadedPage
{
    QString body; // kept lines, each followed by CR LF
    PageEncoding encoding = PageEncoding::Windows1252;
};

// The loader's rules. The bytes are UTF-8 when they begin with the byte-order
// mark, or are valid UTF-8 holding a multi-byte sequence; else Windows-1252. Every line end (LF, CR
// LF, lone CR) ends a line; a line is kept unless it is empty or holds "/BODY>" or "/HTML>"
// (case-sensitive).
LoadedPage readPageBytes(const QByteArray &bytes);

// Whether a page's text is a page Tarnwell made for phones and today's
// browsers: its head, comments aside, begins with the HTML doctype and holds
// Tarnwell's generator line on a line of its own.
bool isModernPage(QStringView text);

// Reads a whole page file. Returns false and the reason when it cannot be read.
bool loadPageFile(const QString &path, LoadedPage *page, QString *error = nullptr);

} // namespace tarnwell
