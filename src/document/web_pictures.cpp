#include "web_pictures.h"

#include "files.h"
#include "picture_header.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <utility>

namespace tarnwell {

namespace {

constexpr qsizetype kLongestStem = 150; // room for "-web999" and an extension in 255 bytes

bool isAsciiLetterOrDigit(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

bool isApostrophe(QChar c)
{
    return c == u'\'' || c == u'`' || c == QChar(0x2018) || c == QChar(0x2019) ||
           c == QChar(0x02BC) || c == QChar(0x00B4);
}

// Letters that lose no accent in decomposition but have a plain spelling.
QString plainSpelling(QChar c)
{
    switch (c.unicode()) {
    case 0x00DF:
        return QStringLiteral("ss");
    case 0x00E6:
    case 0x00C6:
        return QStringLiteral("ae");
    case 0x0153:
    case 0x0152:
        return QStringLiteral("oe");
    case 0x00F8:
    case 0x00D8:
        return QStringLiteral("o");
    case 0x0142:
    case 0x0141:
        return QStringLiteral("l");
    case 0x0111:
    case 0x0110:
    case 0x00F0:
    case 0x00D0:
        return QStringLiteral("d");
    case 0x00FE:
    case 0x00DE:
        return QStringLiteral("th");
    case 0x0131:
        return QStringLiteral("i");
    default:
        return {};
    }
}

// The extension, when the name has one a web server can tell by: after the
// last dot, not at the start, letters and digits only.
std::pair<QString, QString> stemAndExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot + 1 == name.size() || name.size() - dot > 11)
        return {name, {}};
    const QString extension = name.sliced(dot + 1);
    for (QChar c : extension)
        if (!isAsciiLetterOrDigit(c))
            return {name, {}};
    return {name.left(dot), u'.' + extension.toLower()};
}

QString safeStem(const QString &stem)
{
    const QString decomposed = stem.normalized(QString::NormalizationForm_KD);
    QString safe;
    bool gap = false;
    const auto put = [&](const QString &text) {
        if (gap && !safe.isEmpty())
            safe += u'-';
        gap = false;
        safe += text;
    };
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing || isApostrophe(c))
            continue;
        if (isAsciiLetterOrDigit(c) || c == u'_')
            put(c.toLower());
        else if (const QString plain = plainSpelling(c); !plain.isEmpty())
            put(plain);
        else
            gap = true; // a space, a dot, any other mark: one hyphen between words
    }
    if (safe.size() > kLongestStem) {
        safe.truncate(kLongestStem);
        while (safe.endsWith(u'-'))
            safe.chop(1);
    }
    return safe;
}

bool isPictureExtension(const QString &extension)
{
    static const QStringList pictures = {".jpg", ".jpeg", ".png", ".gif", ".bmp", ".webp"};
    return pictures.contains(extension);
}

std::pair<QString, QString> safeParts(const QString &name)
{
    const auto [stem, extension] = stemAndExtension(name);
    QString safe = safeStem(stem);
    if (safe.isEmpty())
        safe = isPictureExtension(extension) ? QStringLiteral("picture") : QStringLiteral("file");
    return {safe, extension};
}

bool isFreeName(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() && !info.isSymLink();
}

bool hasSeeThroughParts(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return true;
    }
    return false;
}

bool encode(const QImage &image, const char *format, int quality, QByteArray *bytes)
{
    bytes->clear();
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    return writer.write(image);
}

} // namespace

QString webSafeName(const QString &name)
{
    const auto [stem, extension] = safeParts(name);
    return stem + extension;
}

QString freeName(const QString &folder, const QString &stem, const QString &joiner,
                 const QString &extension)
{
    for (int n = 1; n < 1000; ++n) {
        const QString name = stem + (n > 1 ? joiner + QString::number(n) : QString()) + extension;
        if (isFreeName(QDir(folder).filePath(name)))
            return name;
    }
    return {};
}

bool makeWebPicture(QIODevice *device, const QString &name, int widest, WebPicture *picture,
                    QString *error)
{
    QImageReader reader(device);
    reader.setAutoTransform(true); // upright as the camera says, with no tag to say it
    const QSize stored = reader.size();
    if (stored.isValid() && (stored.width() > kLargestSide || stored.height() > kLargestSide)) {
        *error = QStringLiteral("the picture's size cannot be right.");
        return false;
    }
    QImage image = reader.read();
    if (image.isNull()) {
        *error = QStringLiteral("it holds no picture that Tarnwell can read (%1).")
                     .arg(reader.errorString());
        return false;
    }
    if (image.width() > widest)
        image = image.scaledToWidth(widest, Qt::SmoothTransformation);
    const bool seeThrough = hasSeeThroughParts(image);
    if (!seeThrough && image.hasAlphaChannel())
        image = image.convertToFormat(QImage::Format_RGB32);

    const QString extension = stemAndExtension(name).second;
    picture->extension = seeThrough                            ? QStringLiteral(".png")
                         : extension == QLatin1String(".jpeg") ? extension
                                                               : QStringLiteral(".jpg");
    // Lower JPEG quality first, as far as it stays clean; then fewer pixels.
    static const int qualities[] = {85, 75, 65, 55};
    QImage current = image;
    for (;;) {
        if (seeThrough) {
            if (!encode(current, "png", -1, &picture->bytes))
                break;
            if (picture->bytes.size() <= kLargestPicture) {
                picture->size = current.size();
                return true;
            }
        } else {
            for (int quality : qualities) {
                if (!encode(current, "jpeg", quality, &picture->bytes))
                    break;
                if (picture->bytes.size() <= kLargestPicture) {
                    picture->size = current.size();
                    return true;
                }
            }
        }
        const QSize smaller = current.size() * 0.85;
        if (smaller.width() < 16 || smaller.height() < 16)
            break;
        current = image.scaled(smaller, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    *error = QStringLiteral("no copy of it small enough could be written.");
    return false;
}

bool writeWebCopy(const QString &source, const QString &sourceName, const QString &folder,
                  int widest, QString *copyName, QString *error, QSize *copySize)
{
    QFile file(source);
    QString reason;
    if (!openRegularFile(file, &reason)) {
        *error = reason + u'.';
        return false;
    }
    WebPicture picture;
    if (!makeWebPicture(&file, sourceName, widest, &picture, error))
        return false;
    const QString stem = safeParts(sourceName).first + QStringLiteral("-web");
    for (int n = 1; n < 1000; ++n) {
        const QString name = stem + (n > 1 ? QString::number(n) : QString()) + picture.extension;
        QFile copy(QDir(folder).filePath(name));
        if (!isFreeName(copy.fileName()))
            continue;
        // NewOnly: a file or link that appears meanwhile is never written through.
        if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (!isFreeName(copy.fileName()))
                continue;
            *error = copy.errorString() + u'.';
            return false;
        }
        if (copy.write(picture.bytes) != picture.bytes.size() || !copy.flush()) {
            *error = copy.errorString() + u'.';
            copy.remove();
            return false;
        }
        *copyName = name;
        if (copySize)
            *copySize = picture.size;
        return true;
    }
    *error = QStringLiteral("every name for the copy is taken.");
    return false;
}

PictureFacts pictureFacts(const QString &path)
{
    PictureFacts facts;
    QFile file(path);
    if (!openRegularFile(file))
        return facts;
    facts.bytes = file.size();
    QImageReader reader(&file);
    QSize size = reader.size();
    const QImageIOHandler::Transformations turn = reader.transformation();
    if (!size.isValid()) { // a format that tells its size only once read
        file.seek(0);
        QImageReader whole(&file);
        size = whole.read().size();
    }
    if (size.width() < 1 || size.height() < 1 || size.width() > kLargestSide ||
        size.height() > kLargestSide)
        return facts;
    facts.readable = true;
    facts.size = turn & QImageIOHandler::TransformationRotate90 ? size.transposed() : size;
    file.seek(0);
    QImageReader frames(&file);
    facts.animated = frames.supportsAnimation() && frames.imageCount() > 1;
    return facts;
}

bool isTooBigForWeb(const PictureFacts &facts, int widest)
{
    return facts.readable && (facts.size.width() > widest || facts.bytes > kLargestPicture);
}

QString webCopyQuestion(const PictureFacts &facts)
{
    // Tenths of a megabyte, rounded half up, in whole numbers so that no
    // floating point decides the last digit.
    const qint64 tenths = (facts.bytes * 10 + 524288) / 1048576;
    const QString megabytes = QString::number(tenths / 10) + u'.' + QString::number(tenths % 10);
    return QStringLiteral("This photo is %1 \u00D7 %2 pixels and %3 MB, too big for a web page. "
                          "Use a copy made for the web?")
        .arg(facts.size.width())
        .arg(facts.size.height())
        .arg(megabytes);
}

} // namespace tarnwell
