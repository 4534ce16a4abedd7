#pragma once

#include "document/page_file.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

// What the fuzz targets check about the page loader and writer.
namespace tarnwell::fuzz {

// The body the loader must keep from a text: every line (ended by CR LF, a
// lone CR or a lone LF) that is not empty and holds neither "/BODY>" nor
// "/HTML>", each followed by CR LF. Written independently of the loader.
QString expectedBody(QStringView text);

// The encoding the loader must report for bytes the writer wrote.
PageEncoding expectedEncoding(const QByteArray &written, PageEncoding encoding);

// Fails unless a loaded body has the loader's shape: empty or ending in CR LF,
// every line end CR LF, no empty line, no line with "/BODY>" or "/HTML>".
void checkLoadedShape(const QString &body, const QByteArray &input);

// Fails unless `actual` (read back from a written file) holds every character
// of `expected` (what was written) in order. Where a character is missing in
// `actual`, the only thing accepted in its place is a decimal character
// reference "&#N;" with N its own code point, and only where the writer is
// allowed one: in Windows-1252 for characters outside the code page and for
// at most one character inside it (the writer's guard against the file
// reading as UTF-8); in UTF-8 for U+FEFF at the very start (else read as a
// byte-order mark). A lone surrogate is not a character; the writer writes
// U+FFFD for it ("&#65533;" in Windows-1252), and exactly that is accepted.
void checkSameText(QStringView expected, QStringView actual, PageEncoding encoding,
                   const QByteArray &input);

[[noreturn]] void fail(const char *what, const QByteArray &input);

} // namespace tarnwell::fuzz
