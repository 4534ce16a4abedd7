#include "document/files.h"
#include "document/gallery.h"
#include "document/page_body.h"
#include "document/page_check.h"
#include "document/page_references.h"
#include "document/picture_header.h"
#include "html/colour.h"
#include "html/elements.h"
#include "html/head.h"
#include "html/links.h"
#include "html/modern.h"
#include "support/files.h"
#include "support/gumbo_oracle.h"
#include "support/worked_example.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QtEndian>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <fcntl.h>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

using namespace tarnwell;

namespace {

template <typename T>
QByteArray raw(T value)
{
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
}
const auto be16 = [](quint16 v) { return raw(qToBigEndian(v)); };
const auto be32 = [](quint32 v) { return raw(qToBigEndian(v)); };
const auto le16 = [](quint16 v) { return raw(qToLittleEndian(v)); };
const auto le32 = [](quint32 v) { return raw(qToLittleEndian(v)); };

QByteArray png(quint32 width, quint32 height, const char *chunk = "IHDR", quint32 length = 13)
{
    return "\x89PNG\r\n\x1a\n" + be32(length) + chunk + be32(width) + be32(height) +
           QByteArray("\x08\x02\0\0\0\0\0\0\0", 9);
}

QByteArray bmp(quint32 headerSize, qint32 width, qint32 height)
{
    const QByteArray sides = headerSize == 12 ? le16(quint16(width)) + le16(quint16(height))
                                              : le32(quint32(width)) + le32(quint32(height));
    return "BM" + le32(0) + le32(0) + le32(14 + headerSize) + le32(headerSize) + sides + le16(1) +
           le16(24);
}

// A segment of `size` bytes after its length.
QByteArray segment(uchar marker, int size)
{
    return "\xFF" + QByteArray(1, char(marker)) + be16(quint16(size + 2)) + QByteArray(size, 'x');
}

QByteArray frame(uchar marker, quint16 width, quint16 height)
{
    return "\xFF" + QByteArray(1, char(marker)) + be16(17) + "\x08" + be16(height) + be16(width) +
           QByteArray("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
}

QByteArray jpeg(const QByteArray &segments)
{
    return "\xFF\xD8" + segments + segment(0xDA, 12) + "\xFF\xD9";
}

// A GIF of colour 0, each frame coded as [clear, 0, 0] in 3-bit codes, so
// that the code size never grows: a valid picture of any size in a few lines.
QByteArray gif(const char *version, quint16 width, quint16 height, int frames = 1)
{
    QByteArray out =
        version + le16(width) + le16(height) + QByteArray("\x81\0\0", 3) + QByteArray(12, '\0');
    for (int f = 0; f < frames; ++f) {
        if (frames > 1)
            out += QByteArray("\x21\xF9\x04\x00\x0A\x00\x00\x00", 8);
        out += "\x2C" + le32(0) + le16(width) + le16(height) + '\0' + '\x02';
        QByteArray data;
        quint32 bits = 0;
        int count = 0;
        const auto put = [&](int code) {
            bits |= quint32(code) << count;
            for (count += 3; count >= 8; count -= 8, bits >>= 8)
                data += char(bits & 0xFF);
        };
        for (qint64 pixel = 0; pixel < qint64(width) * height; ++pixel) {
            if (pixel % 2 == 0)
                put(4);
            put(0);
        }
        put(5);
        if (count > 0)
            data += char(bits & 0xFF);
        for (qsizetype at = 0; at < data.size(); at += 255)
            out += char(qMin<qsizetype>(255, data.size() - at)) + data.mid(at, 255);
        out += '\0';
    }
    return out + ';';
}

QString verdict(const PictureHeader &header)
{
    if (header.verdict == PictureHeader::Sized)
        return QStringLiteral("%1x%2").arg(header.size.width()).arg(header.size.height());
    return header.verdict == PictureHeader::Absurd ? "absurd" : "unknown";
}

// readPicture in a thread of its own. One that waits on a named pipe is
// freed by opening the pipe's other end, and then counts as hung.
PictureInfo readWithin(const QString &path, bool *hung)
{
    std::packaged_task<PictureInfo()> task([&path] { return readPicture(path); });
    std::future<PictureInfo> result = task.get_future();
    std::thread thread(std::move(task));
    *hung = result.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
    while (result.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    thread.join();
    return result.get();
}

bool makeSocket(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path)
        return false;
    qstrcpy(address.sun_path, name.constData());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

// "name" a small picture (a page or text file if so named), "name:WxH" a
// picture of that size ("WxHa" with see-through parts), JPEG, GIF or PNG by
// its name, "name:text" no picture, "name:big" 360 KB, "page.html:TEXT" a
// page, "name/" a folder, "name->target" a symbolic link, "name:fifo" a pipe,
// "name:socket" a socket.
void makeFiles(const QString &folder, const QStringList &files)
{
    for (const QString &file : files) {
        if (file.contains(u"->")) {
            QVERIFY(QFile::link(file.section(QStringLiteral("->"), 1),
                                QDir(folder).filePath(file.section(QStringLiteral("->"), 0, 0))));
            continue;
        }
        const QString path = QDir(folder).filePath(file.section(u':', 0, 0));
        const QString kind = file.section(u':', 1);
        const QString wh = kind.endsWith(u'a') ? kind.chopped(1) : kind;
        const QSize size = kind.contains(u'x')
                               ? QSize(wh.section(u'x', 0, 0).toInt(), wh.section(u'x', 1).toInt())
                           : kind == u"big" ? QSize(400, 300)
                                            : QSize(8, 8);
        QImage picture(size, kind.endsWith(u'a') ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        picture.fill(kind.endsWith(u'a') ? Qt::transparent : Qt::darkGreen);
        const QString suffix = QFileInfo(path).suffix();
        if (file.endsWith(u'/'))
            QVERIFY(QDir().mkpath(path));
        else if (kind == u"fifo")
            QVERIFY(test::makePipe(path));
        else if (kind == u"socket")
            QVERIFY(makeSocket(path));
        else if (kind == u"big")
            QVERIFY(picture.save(path, "BMP"));
        else if (kind == u"text" || suffix == u"html")
            QVERIFY(test::writeBytes(path, kind.isEmpty() || kind == u"text" ? "no picture"
                                                                             : kind.toUtf8()));
        else if (suffix == u"gif")
            QVERIFY(test::writeBytes(path,
                                     gif("GIF89a", quint16(size.width()), quint16(size.height()))));
        else
            QVERIFY(picture.save(path, suffix == u"jpg" ? "JPEG" : "PNG"));
    }
}

// A finding as a line: the problem, the name, and a star if Fix can mend it.
QStringList lines(const QList<PageFinding> &findings)
{
    static const char *const problems[] = {
        "missing", "case",     "odd",   "local", "wide",    "large",      "not a picture",
        "twice",   "bad name", "index", "root",  "outside", "undescribed", "web", "phones"};
    QStringList out;
    for (const PageFinding &found : findings)
        out << QLatin1String(problems[int(found.problem)]) + u' ' + found.name +
                   (found.fix == PageFix::None ? QString() : QStringLiteral(" *"));
    return out;
}

// The head of a page Tarnwell made for phones and today's browsers.
const QString kModernHead = QStringLiteral(
    "<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
    "<title>My page</title>\r\n<meta name=\"generator\" content=\"Tarnwell\">\r\n</head>\r\n"
    "<body>\r\n<main>\r\n");

// Names given by hand and by the program, and NAME= outside any tag.
const QString kPage = QStringLiteral(
    "<META name=\"description\" content=\"x\">\r\nMy NAME=boat<P></P>\r\n<IMG SRC=\"a.jpg\" "
    "NAME=\"gondola5\"><img src=b.jpg name = 'St_Mark'><a name=top>");

QString mouseOver(const QString &href, const QString &name, const QString &out, const QString &over)
{
    return "\r\n<A HREF=\"" + href + "\" ONMOUSEOVER=\"" + name + ".src='" + over +
           "'\"\r\n ONMOUSEOUT=\"" + name + ".src='" + out + "'\">\r\n<IMG SRC=\"" +
           QString(out).replace("%27", "'") + "\" NAME=\"" + name + "\" BORDER=\"0\"></A>";
}
constexpr int kTextureCount = 20;

// Button links, one with no picture and one with odd characters.
const QList<ButtonLink> kButtons = {{"index.html", "home.gif"},
                                    {"page2.html", "next.gif"},
                                    {"3.html", "3.gif"},
                                    {".html", QString()},
                                    {"5 x.html", u"\u0436.gif"_qs}};

// A picture of the program's own as 32-bit RGB, or a null image and why.
QImage load(const QString &name, const QByteArray &format, QString *why)
{
    QImageReader reader(QDir(programFolder()).filePath(name));
    if (reader.format() != format) {
        *why = name + QStringLiteral(" is no ") + QString::fromLatin1(format);
        return {};
    }
    const QImage image = reader.read();
    *why = reader.errorString();
    return image.convertToFormat(QImage::Format_RGB32);
}

// Mean absolute difference per colour channel (0 to 255) of two pictures of one size.
double difference(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

// Repeated side by side (or one above the other), the last line meets the
// first. That step should look like any step inside the picture: at most a
// little more than 98% of them (JPEG loses most along its block edges, and
// the edge is one). Returns what is wrong, if anything.
QString seam(const QImage &image, bool across)
{
    const int lines = across ? image.width() : image.height();
    const auto line = [&](int i) {
        return across ? image.copy(i, 0, 1, image.height()) : image.copy(0, i, image.width(), 1);
    };
    std::vector<double> steps;
    for (int i = 0; i + 1 < lines; ++i)
        steps.push_back(difference(line(i), line(i + 1)));
    std::sort(steps.begin(), steps.end());
    const double edge = difference(line(lines - 1), line(0));
    const double inside = steps[steps.size() * 98 / 100];
    return edge <= 1.25 * inside + 1
               ? QString()
               : QStringLiteral("edges differ by %1, steps inside by %2").arg(edge).arg(inside);
}

// Relative luminance as used for text contrast ratios, 0 for black to 1 for white.
double luminance(QRgb pixel)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) +
           0.0722 * linear(qBlue(pixel));
}

double contrast(double lighter, double darker)
{
    return (lighter + 0.05) / (darker + 0.05);
}
} // namespace

class TestPageCheck final : public QObject
{
    Q_OBJECT

private slots:
    void reading_data();
    void reading();
    void findings_data();
    void findings();
    void webAddresses_data();
    void webAddresses();
    void phoneAdvice_data();
    void phoneAdvice();
    void header_data();
    void header();
    void files_data();
    void files();
    void againstQt_data();
    void againstQt();
    void values_data();
    void values();
    void workedColours_data();
    void workedColours();
    void bothColourRoutesAgree();
    void buttonLinks_data();
    void buttonLinks();
    void textures_data();
    void textures();
    void exampleButtons_data();
    void exampleButtons();
};

void TestPageCheck::reading_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("quotes and letter case")
        << "<IMG SRC=a.png><img\nsrc = 'b c.png'/><A hReF=\"x.html\">"
        << QStringList{"img src a.png 9+5", "img src b c.png 27+7", "a href x.html 46+6"};
    QTest::newRow("first of two wins") << "<img src=a.png SRC=b.png><img/src=c.png>"
                                       << QStringList{"img src a.png 9+5", "img src c.png 34+5"};
    QTest::newRow("comments and bogus comments")
        << "<!-- <img src=a> --><!--><img src=b><!--x--!><img src=c><? <img src=d> >"
           "<!--->--><img src=e>"
        << QStringList{"img src b 34+1", "img src c 54+1", "img src e 90+1"};
    QTest::newRow("text without tags")
        << "<script>x='<img src=a>'</script ><textarea><img src=b></textarea><title>"
           "<a href=c></TITLE><img src=d><style><img src=e>"
        << QStringList{"img src d 99+1"};
    QTest::newRow("attribute names")
        << "<img =src=a.png x\"src=b src=c.png><img src\n=\n\"d\"src=e><img src=f"
        << QStringList{"img src c.png 28+5", "img src d 46+1"};
    QTest::newRow("escapes") << "<a href=\"caf&eacute;.html?a=1&copy=2\"><img src=&#x61;.png>"
                             << QStringList{u"a href café.html?a=1&copy=2 9+27"_qs,
                                            "img src a.png 47+10"};
    QTest::newRow("MouseOver script")
        << "<a onmouseover=\"document.images.p.src=&quot;b.png&quot; ;q.src='c&amp;d.png'\">"
           "<img name=\" p \" src=a.png>"
        << QStringList{"a onmouseover b.png 44+5",
                       "a onmouseover c&d.png 64+11",
                       "img src a.png 98+5",
                       "name p 16",
                       "name q 57",
                       "picture p 89"};
    QTest::newRow("a script's pictures and names, each once")
        << "<a onmouseout=\"a.src='x.png' b.src='y.png' a.src='x.png' b.src='x.png'\">"
        << QStringList{"a onmouseout x.png 22+5", "a onmouseout y.png 36+5", "name a 15",
                       "name b 29"};
}

// Each address as tag, attribute, decoded value, place and length in the
// page; then the MouseOver names; gumbo must find the same.
void TestPageCheck::reading()
{
    QFETCH(QString, page);
    QFETCH(QStringList, expected);
    const PageReferences found = readPageReferences(page);
    QStringList out;
    for (const PageReference &reference : found.references)
        out << QStringLiteral("%1 %2 %3 %4+%5")
                   .arg(reference.tag, reference.attribute, reference.value)
                   .arg(reference.at)
                   .arg(reference.length);
    for (const MouseOverName &name : found.names)
        out << QStringLiteral("%1 %2 %3")
                   .arg(name.onPicture ? "picture" : "name", name.name)
                   .arg(name.at);
    QCOMPARE(out, expected);
    QCOMPARE(test::disagreement(page), QString());
}

void TestPageCheck::findings_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("after"); // the folder once every Fix offered is done, or
                                            // empty when none is and nothing there may change
    QTest::addColumn<QString>("pageAfter"); // empty: as it was
    const auto row = [](const char *name, const QString &page, const QStringList &files,
                        const QStringList &expected, const QStringList &after = {},
                        const QString &pageAfter = {}) {
        QTest::newRow(name) << page << files << expected << after << pageAfter;
    };

    row("worked example with photo1.jpg",
        QString::fromLatin1(test::kWorkedExampleFile)
            .replace(QStringLiteral("</BODY>"),
                     QStringLiteral("<IMG SRC=\"photo1.jpg\"><P></P>\r\n</BODY>")),
        QStringList{"Photo1.JPG", "page.html", "viewtmp.html"},
        QStringList{"case photo1.jpg *", "index page.html"},
        QStringList{"page.html", "photo1.jpg", "viewtmp.html"});
    row("typed by hand",
        "<body background=tile.gif>\n<a href=http://x.org/a.jpg>x</a><a href='#top'>t</a>"
        "<A HREF=\"mailto:a@b.c\">m</A>\n<!-- <img src=\"old.jpg\"> -->\n"
        "<a href = \" Page2.html#s\">p</a><img\nsrc = 'file:///home/me/a.jpg'>"
        "<iMg SrC=//cdn.org/x.png><img src=\"/home/me/b.jpg\"><img src=\"tile.gif?v=2\">"
        "<img src=\"/img/a.jpg\">",
        QStringList{"tile.gif", "page2.html"},
        QStringList{"case Page2.html#s", "local file:///home/me/a.jpg", "local /home/me/b.jpg",
                    "root /img/a.jpg", "index page2.html"});
    const QString pictures =
        "<IMG SRC=\"wide.jpg\"><IMG SRC=\"big.bmp\"><IMG SRC=\"fake.jpg\">"
        "<BODY BACKGROUND=\"widetile.jpg\"><A HREF=\"notes.jpg\">n</A>"
        "<IMG SRC=\"my%20photo.jpg\"><IMG SRC=pics/a.png><IMG SRC=\"pics/../pics/a.png\">"
        "<IMG SRC=\"../outside.png\"><A HREF=\"notes.txt\"><IMG SRC=\"%2E%2E%2Foutside.png\">"
        "<IMG SRC=\"%2Ftmp%2Fx%2Fwide.png\">";
    row("pictures", pictures,
        QStringList{"wide.jpg:800x10", "big.bmp:big", "fake.jpg:text", "notes.txt:text",
                    "widetile.jpg:800x10", "notes.jpg:text", "my photo.jpg", "pics/", "pics/a.png"},
        QStringList{"wide wide.jpg *", "large big.bmp", "not a picture fake.jpg",
                    "not a picture notes.jpg", "odd my%20photo.jpg *", "outside ../outside.png",
                    "outside %2E%2E%2Foutside.png", "local %2Ftmp%2Fx%2Fwide.png"},
        QStringList{"big.bmp", "fake.jpg", "my-photo.jpg", "notes.jpg", "notes.txt", "pics/",
                    "pics/a.png", "wide-web.jpg", "wide.jpg", "widetile.jpg"},
        QString(pictures)
            .replace("\"wide.jpg", "\"wide-web.jpg")
            .replace("my%20photo.jpg", "my-photo.jpg"));
    row("MouseOver names",
        mouseOver("#", "gondola5", "a.jpg", "b.jpg") +
            mouseOver("#", "gondola5", "a.jpg", "c.jpg") +
            mouseOver("#", "my pic", "a.jpg", "b.jpg") + mouseOver("#", "title", "a.jpg", "b.jpg") +
            "<img src=a.jpg name=top onmouseover=\"this.src='b.jpg'\"><IMG SRC=a.jpg NAME=top>"
            "<A NAME=\"x\"></A><A NAME=\"x\"></A>",
        QStringList{"a.jpg", "b.jpg"},
        QStringList{"twice gondola5", "missing c.jpg *", "bad name my pic", "bad name title"},
        QStringList{"a.jpg", "b.jpg", "c.jpg"});
    row("a long MouseOver script",
        "<A HREF=\"#\" ONMOUSEOVER=\"" + QString("a.src='x.png' ").repeated(30) +
            "\"><IMG SRC=\"x.png\" NAME=\"a\"></A>",
        QStringList{"x.png"}, QStringList{});
    row("the same file named two ways is not renamed",
        "<IMG SRC=\"photo1.jpg\"><IMG SRC=\"Photo1.JPG\"><IMG SRC=\"Pics/a.png\">",
        QStringList{"Photo1.JPG", "pics/", "pics/a.png"},
        QStringList{"case photo1.jpg", "case Pics/a.png"});
    row("a folder, a page, a file another page names: not renamed",
        "<A HREF=\"Pics\">p</A><IMG SRC=\"pics/cat.png\"><A HREF=\"Index.html\">h</A>"
        "<IMG SRC=\"photo.jpg\"><IMG SRC=\"logo.png\">",
        QStringList{"pics/", "pics/cat.png", "index.html:<IMG SRC=\"Photo.JPG\">",
                    "other.html:<IMG SRC=\"Photo.jpg\">", "Photo.jpg", "Logo.png"},
        QStringList{"case Pics", "case Index.html", "case photo.jpg", "case logo.png *"},
        QStringList{"Photo.jpg", "index.html", "logo.png", "other.html", "pics/", "pics/cat.png"});
    row("query string: the copy is named from the file", "<IMG SRC=\"wide.png?v=1.2\">",
        QStringList{"wide.png:800x10"}, QStringList{"wide wide.png?v=1.2 *"},
        QStringList{"wide-web.jpg", "wide.png"}, "<IMG SRC=\"wide-web.jpg\">");
    row("backslash: the copy goes beside the file", "<IMG SRC=\"pics\\big.png\">",
        QStringList{"pics/", "pics/big.png:800x10"}, QStringList{"wide pics\\big.png *"},
        QStringList{"pics/", "pics/big-web.jpg", "pics/big.png"}, "<IMG SRC=\"pics/big-web.jpg\">");
    row("only the picture's own address changes",
        "<A HREF=\"wide.png\"><IMG SRC=\"wide.png\"></A><TD BACKGROUND=\"wide.png\">",
        QStringList{"wide.png:800x10", "wide-web.jpg"}, QStringList{"wide wide.png *"},
        QStringList{"wide-web.jpg", "wide-web2.jpg", "wide.png"},
        "<A HREF=\"wide.png\"><IMG SRC=\"wide-web2.jpg\"></A><TD BACKGROUND=\"wide.png\">");
    row("entities: found, and copied under the decoded name",
        "<IMG SRC=\"caf&eacute;.png\"><IMG SRC=\"gone&#233;.png\">", QStringList{u"café.png"_qs},
        QStringList{u"odd café.png *"_qs, u"missing goneé.png *"_qs, u"odd goneé.png"_qs},
        QStringList{u"cafe.png"_qs, u"goneé.png"_qs},
        "<IMG SRC=\"cafe.png\"><IMG SRC=\"gone&#233;.png\">");
    // Names with spaces: renamed web-safe, beside the file, past a name taken.
    row("names with spaces",
        "<P>x</P>\r\n<IMG SRC=\"pics/Me%20at%20the%20Beach.JPG\"><IMG SRC=\"pics/Sun Set.png\">"
        "<A HREF=\"docs/Price List.PDF\">Prices</A><IMG SRC=\"pics/a b.png\">",
        QStringList{"pics/", "pics/Me at the Beach.JPG", "pics/Sun Set.png", "pics/sun-set.png",
                    "docs/", "docs/Price List.PDF:text", "pics/a b.png",
                    "mine.html:<IMG SRC=\"pics/a b.png\">"},
        QStringList{"odd pics/Me%20at%20the%20Beach.JPG *", "odd pics/Sun Set.png *",
                    "odd docs/Price List.PDF *", "odd pics/a b.png *", "index mine.html"},
        QStringList{"docs/", "docs/price-list.pdf", "mine.html", "pics/", "pics/a-b.png",
                    "pics/me-at-the-beach.jpg", "pics/sun-set-2.png", "pics/sun-set.png"},
        "<P>x</P>\r\n<IMG SRC=\"pics/me-at-the-beach.jpg\"><IMG SRC=\"pics/sun-set-2.png\">"
        "<A HREF=\"docs/price-list.pdf\">Prices</A><IMG SRC=\"pics/a-b.png\">");
    // Named twice, one address would break the other; a folder is not renamed;
    // another page names a file.
    row("names with spaces: not renamed",
        "<IMG SRC=\"a b.png\"><IMG SRC=\"a b.png\"><IMG SRC=\"my pics/c.png\">"
        "<IMG SRC=\"e f.png\">",
        QStringList{"a b.png", "my pics/", "my pics/c.png", "e f.png",
                    "other.html:<IMG SRC=\"e f.png\">"},
        QStringList{"odd a b.png", "odd my pics/c.png", "odd e f.png", "index other.html"});
    row("500 and 501 pixels, JPEG, GIF, see-through",
        "<IMG SRC=w500.png><IMG SRC=w501.png><IMG SRC=wide.jpg><IMG SRC=wide.gif>"
        "<IMG SRC=clear.png>",
        QStringList{"w500.png:500x5", "w501.png:501x5", "wide.jpg:800x10", "wide.gif:800x10",
                    "clear.png:600x10a"},
        QStringList{"wide w501.png *", "wide wide.jpg *", "wide wide.gif *", "wide clear.png *"},
        QStringList{"clear-web.png", "clear.png", "w500.png", "w501-web.jpg", "w501.png",
                    "wide-web.jpg", "wide-web2.jpg", "wide.gif", "wide.jpg"},
        "<IMG SRC=w500.png><IMG SRC=w501-web.jpg><IMG SRC=wide-web2.jpg>"
        "<IMG SRC=wide-web.jpg><IMG SRC=clear-web.png>");
    row("links in and out of the folder, a pipe, a missing page",
        "<IMG SRC=\"in.png\"><IMG SRC=\"out.png\"><IMG SRC=\"outdir/wide.png\">"
        "<IMG SRC=\"pipe.png\"><A HREF=\"fifo\">f</A><A HREF=\"page2.html\">2</A>"
        "<IMG SRC=\"sub/gone.png\">",
        QStringList{"pics/", "pics/wide.png:800x10", "in.png->pics/wide.png",
                    "out.png->../outside.png", "outdir->../outdir", "pipe.png:fifo", "fifo:fifo",
                    "sub/"},
        QStringList{"wide in.png", "outside out.png", "outside outdir/wide.png",
                    "not a picture pipe.png", "missing page2.html", "missing sub/gone.png"});
    // Pictures on a page for phones may be 1,200 pixels wide.
    row("modern page: pictures without a description, each once; 1,000 pixels are not wide",
        kModernHead + "<p><img src=\"a.jpg\" alt=\"A\"></p><img src=\"b.jpg\">\r\n"
                      "<IMG SRC=\"b.jpg\"><img src=\"c.jpg\" alt><img src=d.jpg ALT=\"\">"
                      "<!-- <img src=\"e.jpg\"> --><img title=\"alt\" src=\" f.jpg\"><img>",
        QStringList{"a.jpg:1000x10", "b.jpg", "c.jpg", "d.jpg", "f.jpg"},
        QStringList{"undescribed b.jpg", "undescribed f.jpg", "undescribed "});
    row("generator commented out: classic",
        QString(kModernHead)
                .replace(QStringLiteral("<meta name"), QStringLiteral("<!--\r\n<meta name"))
                .replace(QStringLiteral("</head>"), QStringLiteral("-->\r\n</head>")) +
            "<img src=\"a.jpg\">",
        QStringList{"a.jpg"}, QStringList{});
}

// What Check page lists, the page saved as mine.html; then Fix on every row
// that offers it, from the end of the page back so that the places found stay
// right, each refused on a page changed meanwhile. Nothing outside the session
// folder changes: it lies in a parent of its own, with pictures beside it that
// a Fix must never reach. No file's bytes are lost, every edit is one Undo, and
// a mended address is well when checked again.
void TestPageCheck::findings()
{
    QFETCH(QString, page);
    QFETCH(QStringList, files);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, after);
    QFETCH(QString, pageAfter);
    QTemporaryDir parent;
    const QString folder = parent.filePath("site");
    const QString mine = QDir(folder).filePath("mine.html");
    QVERIFY(QDir().mkpath(folder));
    makeFiles(parent.path(), {"outside.png:800x10", "outdir/", "outdir/wide.png:800x10", "x/",
                              "x/wide.png:800x10", "picked.png"});
    makeFiles(folder, files);
    const QStringList around = test::listing(parent.path(), true, "site");
    const QStringList made = test::listing(folder, true);
    const auto contents = [&] {
        QStringList out;
        for (const QString &line : test::listing(folder, true))
            out << line.section(u' ', -1);
        return out;
    };
    const QStringList bytes = contents();

    PageBody body;
    body.replace(page);
    QTextDocument *document = body.document();
    const QString before = body.text();
    const QList<PageFinding> found = checkPage(document->toRawText(), folder, mine);
    QCOMPARE(lines(found), expected);
    QCOMPARE(test::disagreement(document->toRawText()), QString());
    QStringList mended;
    int edits = 0;
    for (auto it = found.crbegin(); it != found.crend(); ++it) {
        QString error, address;
        if (it->fix == PageFix::RenameFile) {
            QVERIFY2(renameForPage(folder, *it, &error), qPrintable(error));
            mended << it->name;
        } else if (it->fix == PageFix::CopyPicture) {
            QCOMPARE(copyIntoFolder(parent.filePath("picked.png"), QDir(folder).filePath(it->file)),
                     CopyResult::Copied);
        } else if (it->fix == PageFix::WebCopy || it->fix == PageFix::WebName) {
            QVERIFY2(it->fix == PageFix::WebCopy ? makeWebCopy(folder, *it, &address, &error)
                                                 : renameForWeb(folder, *it, &address, &error),
                     qPrintable(error));
            // Every page here that needs a copy is a classic one.
            if (it->fix == PageFix::WebCopy)
                QCOMPARE(QImageReader(QDir(folder).filePath(address)).size().width(), 500);
            else
                QVERIFY(it->mend.contains(it->file.section(u'/', -1)));
            QTextCursor(document).insertText("y");
            QVERIFY(!replaceAddress(document, *it, address));
            document->undo();
            QVERIFY(replaceAddress(document, *it, address));
            mended << address;
            ++edits;
        }
    }
    if (after.isEmpty())
        QCOMPARE(test::listing(folder, true), made);
    else
        QCOMPARE(test::listing(folder), after);
    const QStringList bytesAfter = contents();
    for (const QString &kept : bytes)
        QVERIFY2(bytesAfter.contains(kept), qPrintable(kept));
    QCOMPARE(body.text(), pageAfter.isEmpty() ? before : pageAfter);
    QCOMPARE(test::listing(parent.path(), true, "site"), around);
    for (const PageFinding &again : checkPage(document->toRawText(), folder, mine))
        QVERIFY2(!mended.contains(again.name), qPrintable(again.name));
    for (; document->isUndoAvailable(); --edits)
        document->undo();
    QCOMPARE(edits, 0);
    QCOMPARE(body.text(), before);
}

void TestPageCheck::webAddresses_data()
{
    QTest::addColumn<QString>("address"); // as the page writes it, between quotes
    QTest::addColumn<QStringList>("finding"); // file or name, problem, effect, mend; or none
    QTest::addColumn<QString>("fixed");       // the address after Fix; empty: none offered
    const QString web = "This looks like a web address without https://";
    const QString noHttps = "Without https:// in front, a browser takes it for the name of a file "
                            "beside your page, not for a web site, and finds nothing there.";
    const QString startText =
        "It begins with .html, the text that stood in the address field before you typed, and "
        "has no https:// in front. A browser takes it for the name of a file beside your page, "
        "not for a web site, and finds nothing there.";
    const auto fixTo = [](const char *address) {
        return QStringLiteral("Press Fix to write %1 in its place.").arg(address);
    };
    const QStringList missing = {
        "Not in your folder",
        "The page uses this linked file, but it is not in your session folder: on the web it "
        "will be missing.",
        "Put the file into your session folder under this name, or correct the name in the page."};
    const auto row = [](const char *address, const QStringList &finding, const QString &fixed) {
        QTest::newRow(address) << QString::fromUtf8(address) << finding << fixed;
    };
    row("www.x.org", {"www.x.org", web, noHttps, fixTo("https://www.x.org")}, "https://www.x.org");
    row("x.org/a", {"x.org/a", web, noHttps, fixTo("https://x.org/a")}, "https://x.org/a");
    row("mailto:ann@x.org", {}, {});
    row("https://www.x.org", {}, {});
    row(".htmlwww.x.org", {".htmlwww.x.org", web, startText, fixTo("https://www.x.org")},
        "https://www.x.org");
    row("C:\\x",
        {"C:\\x", "Address on this computer",
         "This is the address of a file on your own computer, which visitors to your page cannot "
         "reach: for them it will be missing.",
         "Copy the file into your session folder and write only its name in the page, such as "
         "photo.jpg."},
        {});
    // Odd cases: letter case, a Windows separator, the start text after the
    // name, a country's second part, escapes, and file names with a dot.
    row("WWW.X.ORG", {"WWW.X.ORG", web, noHttps, fixTo("https://WWW.X.ORG")}, "https://WWW.X.ORG");
    row(" x.org\\a b ", {"x.org\\a b", web, noHttps, fixTo("https://x.org/a%20b")},
        "https://x.org/a%20b");
    row("www.x.org.html", {"www.x.org.html", web, noHttps, fixTo("https://www.x.org")},
        "https://www.x.org");
    row("abc.net.au/news?a=1&amp;b=&quot;2&quot;",
        {"abc.net.au/news?a=1&b=\"2\"", web, noHttps, fixTo("https://abc.net.au/news?a=1&b=\"2\"")},
        "https://abc.net.au/news?a=1&amp;b=&quot;2&quot;");
    row(".HTMLx.org/&lt;a&gt;", {".HTMLx.org/<a>", web, startText, fixTo("https://x.org/<a>")},
        "https://x.org/&lt;a&gt;");
    for (const char *file : {"x.html", "index.htm", "photo.jpg", "sound.au", "www.x", "www.x.html",
                             "x..org", "-x.org", "x.org1", ".html"})
        row(file, QStringList{file} + missing, {});
    // A file of the folder with that very name is what the page means.
    row("here.org", {}, {});
}

// Check page's row for a link to each address, exactly as listed, and the
// page exactly as the Fix leaves it; nothing in the folder changes.
void TestPageCheck::webAddresses()
{
    QFETCH(QString, address);
    QFETCH(QStringList, finding);
    QFETCH(QString, fixed);
    QTemporaryDir folder;
    makeFiles(folder.path(), {"here.org", "index.html"});
    const QStringList made = test::listing(folder.path(), true);
    const auto page = [](const QString &href) {
        return "<P>x</P>\r\n<A HREF=\"" + href + "\">To x</A><A HREF=\"" + href + "\">again</A>";
    };
    PageBody body;
    body.replace(page(address));
    const QList<PageFinding> found = checkPage(body.document()->toRawText(), folder.path());
    QStringList shown;
    for (const PageFinding &one : found)
        shown = QStringList{one.name, one.title, one.effect, one.mend};
    QCOMPARE(found.size(), finding.isEmpty() ? 0 : 1);
    QCOMPARE(shown, finding);
    QCOMPARE(found.value(0).fix == PageFix::AddHttps, !fixed.isEmpty());
    if (!fixed.isEmpty()) {
        QVERIFY(replaceAddress(body.document(), found.first(), found.first().replacement));
        // The first link is mended; Check again finds the second.
        QCOMPARE(body.text(), "<P>x</P>\r\n<A HREF=\"" + fixed + "\">To x</A><A HREF=\"" +
                                  address + "\">again</A>");
        body.document()->undo();
        QCOMPARE(body.text(), page(address));
    }
    QCOMPARE(test::listing(folder.path(), true), made);
}

// A phone shrinks a page without a viewport line: advice for such a page
// only, read as a browser reads it.
void TestPageCheck::phoneAdvice_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("expected");
    const QStringList advice = {"phones This page"};
    const QString classic = QString::fromLatin1(test::kWorkedExampleFile);
    const QString modern = modernHeadText("My page", "en", {}) +
                           modernBodyLine(BackgroundChoice::None, {}, {}) + "<p>Hi</p>";
    QTest::newRow("classic worked example") << classic << advice;
    QTest::newRow("classic with a description")
        << buildHeadText("My page", "About fish") + "<BODY>" << advice;
    QTest::newRow("typed by hand, no head") << "<P>x</P>" << advice;
    QTest::newRow("page for phones") << modern << QStringList();
    QTest::newRow("page for phones, its viewport line taken out")
        << QString(modern).remove(QRegularExpression("<meta name=\"viewport\"[^\n]*\n"))
        << QStringList();
    QTest::newRow("from elsewhere, own viewport, any case, unquoted")
        << "<html><head><META NAME=VIEWPORT content=width=device-width></head>" << QStringList();
    QTest::newRow("viewport in character references, in the body")
        << "<p>x</p><meta name=\"view&#112;ort\" content=\"width=device-width\">"
        << QStringList();
    // Browsers take no name with a space in it, nor a capital other than ASCII's.
    QTest::newRow("a space before viewport") << "<meta name=\" viewport\">" << advice;
    QTest::newRow("a space after viewport") << "<meta name=\"viewport \">" << advice;
    QTest::newRow("a Turkish capital I") << u"<meta name=\"V\u0130EWPORT\">"_qs << advice;
    QTest::newRow("viewport in a comment")
        << "<!-- <meta name=\"viewport\" content=\"width=device-width\"> --><P>x</P>" << advice;
    QTest::newRow("viewport in a script's text")
        << "<script>'<meta name=\"viewport\">'</script><P>x</P>" << advice;
    QTest::newRow("viewport as content, not name")
        << "<meta content=\"viewport\" name=\"description\">" << advice;
    QTest::newRow("a tag's second name does not count")
        << "<meta name=\"description\" name=\"viewport\">" << advice;
    QTest::newRow("not a META") << "<link name=\"viewport\">" << advice;
}

void TestPageCheck::phoneAdvice()
{
    QFETCH(QString, page);
    QFETCH(QStringList, expected);
    const QList<PageFinding> found = tarnwell::phoneAdvice(page);
    QCOMPARE(lines(found), expected);
    QCOMPARE(test::disagreement(page), QString());
    for (const PageFinding &advice : found)
        QCOMPARE(advice.effect + ' ' + advice.mend,
                 "Phones show this page shrunk to less than half its size, with text too small "
                 "to read. Tick 'Make a page for phones' on the HEAD screen when you start your "
                 "next page.");
}

void TestPageCheck::header_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("size");
    const QByteArray sof = frame(0xC0, 640, 480);
    // clang-format off
    QTest::newRow("PNG zero wide") << png(0, 7) << "absurd";
    QTest::newRow("PNG a million") << png(1000000, 1) << "1000000x1";
    QTest::newRow("PNG a million and one") << png(1, 1000001) << "absurd";
    QTest::newRow("PNG INT_MAX") << png(INT_MAX, 1) << "absurd";
    QTest::newRow("PNG 2^31") << png(1, 0x80000000u) << "absurd";
    QTest::newRow("PNG data first") << png(3, 7, "IDAT") << "unknown";
    QTest::newRow("PNG short IHDR") << png(3, 7, "IHDR", 12) << "unknown";
    QTest::newRow("GIF87a") << gif("GIF87a", 5, 3) << "5x3";
    QTest::newRow("GIF89a widest") << QByteArray("GIF89a\xFF\xFF\xFF\xFF") << "65535x65535";
    QTest::newRow("GIF empty screen") << gif("GIF89a", 0, 3) << "unknown";
    QTest::newRow("GIF90a") << QByteArray("GIF90a\5\0\3\0") << "unknown";
    QTest::newRow("BMP info") << bmp(40, 7, 9) << "7x9";
    QTest::newRow("BMP height INT_MIN") << bmp(40, 7, INT_MIN) << "absurd";
    QTest::newRow("BMP height INT_MAX") << bmp(40, 7, INT_MAX) << "absurd";
    QTest::newRow("BMP width INT_MIN") << bmp(40, INT_MIN, 9) << "absurd";
    QTest::newRow("BMP zero high") << bmp(40, 7, 0) << "absurd";
    QTest::newRow("BMP V5") << bmp(124, 1000000, -1000000) << "1000000x1000000";
    QTest::newRow("BMP OS/2 2") << bmp(64, 2, 3) << "2x3";
    QTest::newRow("BMP core, unsigned sides") << bmp(12, 0xFFFF, 0x8000) << "65535x32768";
    QTest::newRow("BMP core zero") << bmp(12, 0, 9) << "absurd";
    QTest::newRow("BMP odd header size") << bmp(20, 7, 9) << "unknown";
    QTest::newRow("text beginning BM") << QByteArray("BMW owners club, founded 1950") << "unknown";
    QTest::newRow("JPEG arithmetic") << jpeg(frame(0xC9, 3, 5)) << "3x5";
    QTest::newRow("JPEG many segments") << jpeg(segment(0xE1, 65533).repeated(40) + sof) << "640x480";
    QTest::newRow("JPEG tables are no frame") << jpeg(segment(0xC4, 30) + segment(0xC8, 4) + segment(0xCC, 4) + sof) << "640x480";
    QTest::newRow("JPEG fill bytes") << jpeg("\xFF\xFF\xFF" + segment(0xDB, 65) + "\xFF\xFF" + sof) << "640x480";
    QTest::newRow("JPEG markers without length") << jpeg("\xFF\xD0\xFF\x01\xFF\xD7" + sof) << "640x480";
    QTest::newRow("JPEG stray bytes") << jpeg(segment(0xE0, 14) + "junk\xFF" + QByteArray("\0", 1) + sof) << "640x480";
    QTest::newRow("JPEG data before a frame") << jpeg(segment(0xDA, 8) + sof) << "unknown";
    QTest::newRow("JPEG end before a frame") << jpeg("\xFF\xD9" + sof) << "unknown";
    QTest::newRow("JPEG second start") << jpeg("\xFF\xD8" + sof) << "unknown";
    QTest::newRow("JPEG length 0") << jpeg("\xFF\xE0" + be16(0) + sof) << "unknown";
    QTest::newRow("JPEG length 1") << jpeg("\xFF\xE0" + be16(1) + sof) << "unknown";
    QTest::newRow("JPEG segment past the end") << QByteArray("\xFF\xD8\xFF\xE1\xFF\xFF") + sof << "unknown";
    QTest::newRow("JPEG short frame") << jpeg("\xFF\xC0" + be16(7) + "\x08" + be16(3) + be16(5) + "\x01") << "unknown";
    QTest::newRow("JPEG no height") << jpeg(frame(0xC0, 640, 0)) << "absurd";
    QTest::newRow("JPEG widest") << jpeg(frame(0xC1, 65535, 65535)) << "65535x65535";
    QTest::newRow("empty") << QByteArray() << "unknown";
    QTest::newRow("WebP") << QByteArray("RIFF\0\0\0\0WEBPVP8 ", 16) << "unknown";
    // clang-format on
    // Every header cut short gives no size, and never one read past its end:
    // each cut is an array of its own, so that AddressSanitizer sees such a read.
    // The number is how many bytes the size needs.
    const std::tuple<const char *, QByteArray, int, const char *> whole[] = {
        {"PNG", png(3, 7), 24, "3x7"},
        {"GIF", gif("GIF89a", 5, 3), 10, "5x3"},
        {"BMP info", bmp(40, 7, -9), 26, "7x9"},
        {"BMP core", bmp(12, 7, 9), 22, "7x9"},
        {"JPEG", jpeg(segment(0xE0, 14) + "\xFF\xFF" + frame(0xC0, 3, 5)), 31, "3x5"}};
    for (const auto &[name, bytes, needed, size] : whole) {
        for (int n = 0; n < needed; ++n)
            QTest::addRow("%s cut to %d", name, n) << bytes.left(n) << "unknown";
        QTest::addRow("%s whole", name) << bytes.left(needed) << size;
    }
}

void TestPageCheck::header()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, size);
    QCOMPARE(verdict(readPictureHeader(bytes)), size);
}

void TestPageCheck::files_data()
{
    QTest::addColumn<QStringList>("made"); // as makeFiles makes them
    QTest::addColumn<QByteArray>("bytes"); // what "target" holds, if anything
    QTest::addColumn<QString>("found");    // size, "animated", or "-" for not readable
    const QByteArray picture = png(3, 7);
    const QStringList link = {"a.png->target"};
    const QStringList plain; // the bytes are a.png
    const QByteArray none;
    // clang-format off
    QTest::newRow("PNG") << plain << picture << "3x7";
    QTest::newRow("link to a picture") << link << picture << "3x7";
    QTest::newRow("named pipe") << QStringList{"a.png:fifo"} << none << "-";
    QTest::newRow("link to a named pipe") << QStringList{"target:fifo", link[0]} << none << "-";
    QTest::newRow("socket") << QStringList{"a.png:socket"} << none << "-";
    QTest::newRow("folder") << QStringList{"a.png/"} << none << "-";
    QTest::newRow("device") << QStringList{"a.png->/dev/zero"} << none << "-";
    QTest::newRow("dangling link") << link << none << "-";
    QTest::newRow("missing") << QStringList{"b.png"} << none << "-";
    QTest::newRow("BMP height INT_MIN") << plain << bmp(40, 7, INT_MIN) + QByteArray(64, '\0') << "-";
    QTest::newRow("JPEG frame past 4 KB") << plain << jpeg(segment(0xE1, 5000) + segment(0xE2, 4090) + frame(0xC0, 501, 2)) << "501x2";
    QTest::newRow("animated GIF") << plain << gif("GIF89a", 5, 3, 2) << "5x3 animated";
    QTest::newRow("GIF with an empty screen") << plain << gif("GIF89a", 5, 3).replace(6, 4, QByteArray(4, '\0')) << "5x3";
    QTest::newRow("text") << plain << QByteArray("<HTML>not a picture</HTML>\n") << "-";
    QTest::newRow("empty") << plain << none << "-";
    // clang-format on
}

void TestPageCheck::files()
{
    QFETCH(QStringList, made);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, found);
    QTemporaryDir folder;
    makeFiles(folder.path(), made);
    if (made.isEmpty() || !bytes.isEmpty())
        QVERIFY(test::writeBytes(folder.filePath(made.isEmpty() ? "a.png" : "target"), bytes));
    bool hung = false;
    const PictureInfo info = readWithin(folder.filePath("a.png"), &hung);
    QVERIFY(!hung);
    QString got = QStringLiteral("-");
    if (info.readable)
        got = QStringLiteral("%1x%2%3")
                  .arg(info.size.width())
                  .arg(info.size.height())
                  .arg(info.animated ? " animated" : "");
    QCOMPARE(got, found);
    QCOMPARE(info.bytes, bytes.size());
}

// Qt's readers share no code with ours: over pictures Qt writes (and GIFs
// made here, which Qt cannot write), both must find the size written.
void TestPageCheck::againstQt_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    const QList<QSize> sizes = {{1, 1}, {500, 1},   {501, 1},  {1, 65535}, {65535, 1},
                                {3, 7}, {257, 255}, {99, 101}, {640, 480}, {2, 32769}};
    for (const char *format : {"png", "bmp", "jpeg", "progressive", "gif"}) {
        for (QSize size : sizes) {
            // libjpeg writes no side longer than 65500.
            if (qstrcmp(format, "jpeg") == 0 || qstrcmp(format, "progressive") == 0)
                size = size.boundedTo({65500, 65500});
            QTest::addRow("%s %dx%d", format, size.width(), size.height())
                << QByteArray(format) << size;
        }
    }
}

void TestPageCheck::againstQt()
{
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QByteArray bytes;
    if (format == "gif") {
        bytes = gif("GIF89a", quint16(size.width()), quint16(size.height()));
    } else {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QBuffer buffer(&bytes);
        QImageWriter writer(&buffer, format == "progressive" ? "jpeg" : format);
        writer.setProgressiveScanWrite(format == "progressive");
        QVERIFY2(writer.write(image), qPrintable(writer.errorString()));
    }
    QCOMPARE(QImage::fromData(bytes).size(), size);
    QCOMPARE(pictureHeaderSize(bytes), size);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("picture"));
    QVERIFY(test::writeBytes(path, bytes));
    QCOMPARE(readPicture(path).size, size);
}

// What the page reader makes of an address and a value, and the NAMEs a page
// gives; the HTML each builder writes, byte for byte, where the saved pages of
// the end-to-end walks do not already show it, and the names of picked and
// saved files; the colours; the MouseOver names; the gallery's textures and
// buttons.

void TestPageCheck::values_data()
{
    // clang-format off
    QTest::addColumn<QString>("got");
    QTest::addColumn<QString>("expected");
    const QByteArray file = tarnwell::test::kWorkedExampleFile;
    const QString head = QString::fromLatin1(file.left(file.indexOf("</HEAD>\r\n") + 9));
    const QString black = QStringLiteral("#000000");
    const auto row = [](const char *name, const QString &got, const QString &expected) {
        QTest::newRow(name) << got << expected;
    };
    // What an address names: its kind, then the folder's file.
    const auto where = [](const QString &value) {
        static const char *const kinds[] = {"this page", "web",    "site root",
                                            "computer",  "leaves", "file"};
        const FileAddress address = fileAddress(value);
        const QString kind = QLatin1String(kinds[int(address.kind)]);
        return address.parts.isEmpty() ? kind : kind + u' ' + address.parts.join(u'/');
    };
    row("query and fragment", where(" wide.png?v=1.2#x "), "file wide.png");
    row("backslash", where("pics\\big.png"), "file pics/big.png");
    row("percent as UTF-8", where("caf%C3%A9%20x.png"), u"file café x.png"_qs);
    row("dots", where("./a/../b//c.png"), "file b/c.png");
    row("tab and line break", where("a\t.p\nng"), "file a.png");
    row("encoded dots", where("%2E%2E%2Fx.png"), "leaves");
    row("up and out", where("a/../../x.png"), "leaves");
    row("home folder", where("/Users/me/a.jpg"), "computer");
    row("drive", where("c:/a.jpg"), "computer");
    row("encoded drive", where("C%3A\\a.jpg"), "computer");
    row("share", where("\\\\server\\a.jpg"), "computer");
    row("file:", where("FILE:///a.jpg"), "computer");
    row("web", where("//cdn.org/a.png"), "web");
    row("mailto", where("mailto:a@b.c"), "web");
    row("this page", where(" #top"), "this page");
    row("the folder", where("a/.."), "this page");
    // The NAMEs a page gives, read in one pass however the page is written.
    const auto names = [](const QString &page) {
        QString out;
        for (const QString &name : namesInPage(page))
            out += name + u'|';
        return out;
    };
    row("names quoted, unquoted, any case",
        names("<IMG SRC=a NAME=\"one\"><a\nname = 'two'><img name=three>"), "one|two|three|");
    row("a tag's first name only, META left out",
        names("<A NAME=a NAME=b><META NAME=\"keywords\"><METAL NAME=c><P data-name=d>"), "a|c|");
    row("a quoted > and an unclosed quote",
        names("<IMG NAME=\"x>y\"><IMG NAME=\"open><IMG NAME=z>"), "x>y|z|");
    row("names outside tags", names("NAME=a <A>NAME=b</A> < A NAME=c>"), "");
    // Each "<a" once took a look to the page's end: minutes for a few MB.
    row("3 MB of tags never closed", names(QStringLiteral("<a ").repeated(1 << 20) + u'='), "");
    // The first of the names given for MouseOver pictures that is refused
    // beside those of kPage, and why.
    const auto refused = [](const QStringList &given) {
        static const char *const faults[] = {"", " no script name", " script's", " in the page",
                                             " twice"};
        const NameCheck check = checkMouseOverNames(given, kPage);
        return check.name + QLatin1String(faults[int(check.fault)]);
    };
    row("new names", refused({"description", "boat", "Title", "b2_"}), "");
    row("space", refused({"gondola 6"}), "gondola 6 no script name");
    row("digit first", refused({"6gondola"}), "6gondola no script name");
    row("accent", refused({"caf\u00e9"}), "caf\u00e9 no script name");
    row("script word", refused({"title"}), "title script's");
    row("in the page, other case", refused({"square", "GONDOLA5"}), "GONDOLA5 in the page");
    row("typed by hand", refused({"st_mark"}), "st_mark in the page");
    row("unquoted", refused({"Top"}), "Top in the page");
    row("both pictures", refused({"square", "Square"}), "Square twice");
    // Attribute values decoded as a browser decodes them.
    const auto decode = [](const QString &raw) { return decodeAttributeValue(raw); };
    row("old name without ;", decode("&AElig&copy."), u"Æ©."_qs);
    row("old name before a letter", decode("a&notit;b"), "a&notit;b");
    row("longest name that fits", decode("&notin;&notit"), u"∉&notit"_qs);
    row("old name before =", decode("?a=1&copy=2&amp=3"), "?a=1&copy=2&amp=3");
    row("two characters", decode("&NotNestedGreaterGreater;"), u"\u2AA2\u0338"_qs);
    row("beyond 16 bits", decode("&Afr;&#x1D504;"), u"\U0001D504\U0001D504"_qs);
    row("unknown names stay", decode("&bogus; & &; &#; &#x; &#xg;"), "&bogus; & &; &#; &#x; &#xg;");
    row("numeric", decode("&#65&#x42;&#X43;&#0068;"), "ABCD");
    row("Windows-1252 numbers", decode("&#128;&#x9F;&#x81;"), u"€Ÿ\u0081"_qs);
    row("no characters", decode("&#0;&#xD800;&#x110000;&#99999999999999999999;"),
        u"\uFFFD\uFFFD\uFFFD\uFFFD"_qs);
    row("line breaks and NUL", decode(QString::fromUtf16(u"a\r\nb\rc\u2029d\0e", 10)),
        u"a\nb\nc\nd\uFFFDe"_qs);
    row("head, no title", buildHeadText({}), QString(head).replace("My page", ""));
    row("head, title as typed", buildHeadText(u"Fish & <Chips> \"\u0436\""_qs),
        QString(head).replace("My page", u"Fish & <Chips> \"\u0436\""_qs));
    row("main heading H3, Arial, red",
        buildHeading("News", 3, "FF0000", HeadingFont::ArialHelvetica, false).text(),
        "<H3><FONT COLOR=\"#FF0000\" FACE=\"Arial, Helvetica\">News</FONT></H3>");
    row("main heading centred",
        buildHeading("Welcome", 1, "0000FF", HeadingFont::TimesRoman, true).text(),
        "<CENTER><H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">Welcome</FONT></H1>"
        "</CENTER>");
    row("main heading empty", buildHeading("", 1, "0000FF", HeadingFont::TimesRoman, false).text(),
        "<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\"></FONT></H1>");
    row("main heading as typed",
        buildHeading(u"A < B & \"C\"\r\n\u0436\u0438\u0437\u043d\u044c"_qs, 1, "0000FF",
                     HeadingFont::TimesRoman, false)
            .text(),
        u"<H1><FONT COLOR=\"#0000FF\" FACE=\"Times New Roman\">A < B & \"C\"\r\n"
        u"\u0436\u0438\u0437\u043d\u044c</FONT></H1>"_qs);
    row("empty paragraph", buildParagraph({}, TextFont::Times, 4, Emphasis::Normal, black),
        "\r\n<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\"></FONT><P></P>");
    row("empty heading", buildHeadingElement({}, 3, HeadingFont::ArialHelvetica, "#FF0000", false),
        "\r\n<FONT COLOR=\"#FF0000\" FACE=\"Arial, Helvetica\"><H3></FONT></H3>");
    row("bold text link, not centred",
        BuildTextLink("page2.html", {}, LinkFont::Times, true, "4", "0000FF", false).join(""),
        "\r\n<P></P><A HREF=\"page2.html\"><B><FONT FACE=\"Times New Roman\" "
        "COLOR=\"#0000FF\" SIZE=\"4\"></B></FONT></A>");
    const MouseOverPicture gondola{"gondola5", "a.jpg", "b.jpg"},
        square{"square", "c.jpg", "d.jpg"};
    const QString pictures = mouseOver("#", "gondola5", "a.jpg", "b.jpg");
    const QString both =
        pictures + "&nbsp;&nbsp;&nbsp;&nbsp;" + mouseOver("#", "square", "c.jpg", "d.jpg");
    row("a MouseOver picture", buildMouseOverPictures(gondola, nullptr, false), pictures + "<P></P><P></P>");
    row("a MouseOver picture centred", buildMouseOverPictures(gondola, nullptr, true),
        "\r\n<CENTER>" + pictures + "</CENTER><P></P><P></P>");
    row("two MouseOver pictures", buildMouseOverPictures(gondola, &square, false), both + "<P></P>");
    // An apostrophe would end the script's quotes early.
    row("MouseOver picture names with apostrophes",
        buildMouseOverPictures({"bob", "Bob's.jpg", "it's.jpg"}, nullptr, false),
        mouseOver("#", "bob", "Bob%27s.jpg", "it%27s.jpg") + "<P></P><P></P>");
    row("MouseOver button, down",
        BuildMouseOverButton(1, "page2.html", "home.gif", "home2.gif", true),
        mouseOver("page2.html", "button1", "home.gif", "home2.gif") + "<P></P>");
    row("MouseOver button with apostrophes",
        BuildMouseOverButton(2, "Bob's.html", "'.gif", "''.gif", false),
        mouseOver("Bob's.html", "button2", "%27.gif", "%27%27.gif"));
    // A picked file's bare name, and a saved page's name.
    row("bare, odd characters", bareFileName(u"/pics/my photo \u0436.gif"_qs), u"my photo \u0436.gif"_qs);
    row("bare already", bareFileName("plain.gif"), "plain.gif");
    row("no extension", withPageExtension("page"), "page.html");
    row(".htm", withPageExtension("page.htm"), "page.htm");
    row(".html", withPageExtension("page.html"), "page.html");
    row(".HTML", withPageExtension("page.HTML"), "page.HTML.html");
    row("colour of more parts", RGBToHex("1,2,3,4", ","), "010203");
    row("colour parts apart by two", RGBToHex("1;;2;;3", ";;"), "010203");
    // Too few parts is a caller's mistake; it must still not fail.
    row("colour of one part", RGBToHex("255", ","), "FF0000");
    row("colour of nothing", ConvertColor(QString()), "000000");
    // Out-of-range numbers never index outside the digits.
    row("colour out of range", ConvertColor(-1), "FFFFFF");
    // clang-format on
}

void TestPageCheck::values()
{
    QFETCH(QString, got);
    QFETCH(QString, expected);
    QCOMPARE(got, expected);
}

void TestPageCheck::workedColours_data()
{
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("rgb");
    QTest::addColumn<QString>("hex");
    // clang-format off
    QTest::newRow("black") << 0 << "0,0,0" << "000000";
    QTest::newRow("red") << 255 << "255,0,0" << "FF0000";
    QTest::newRow("blue") << 16711680 << "0,0,255" << "0000FF";
    QTest::newRow("padded") << 657930 << "10,10,10" << "0A0A0A";
    QTest::newRow("white") << 16777215 << "255,255,255" << "FFFFFF";
    QTest::newRow("uneven digits") << (100 | 250 << 8 | 160 << 16) << "100,250,160" << "64FAA0";
    // clang-format on
}

void TestPageCheck::workedColours()
{
    QFETCH(qint32, number);
    QFETCH(QString, rgb);
    QFETCH(QString, hex);
    QCOMPARE(ColorToRGB(number, QStringLiteral(",")), rgb);
    QCOMPARE(RGBToHex(rgb, QStringLiteral(",")), hex);
    QCOMPARE(ConvertColor(QString::number(number)), hex);
    QCOMPARE(hexColourOf(number), hex);
}

void TestPageCheck::bothColourRoutesAgree()
{
    const QString separator = QStringLiteral(",");
    qint32 firstMismatch = -1;
    for (qint32 n = 0; n <= 0xFFFFFF; ++n) {
        if (RGBToHex(ColorToRGB(n, separator), separator) != ConvertColor(n)) {
            firstMismatch = n;
            break;
        }
    }
    QCOMPARE(firstMismatch, -1);
}

void TestPageCheck::buttonLinks_data()
{
    // clang-format off
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("down");
    QStringList a; // each button's link
    for (const ButtonLink &button : kButtons)
        a << "<A HREF=\"" + button.link + "\" TARGET =\"_top\"><IMG SRC=\"" + button.file +
                 "\" BORDER=\"0\"></A>";
    const QString n = QStringLiteral("\r\n");
    const QString p = QStringLiteral("<P></P>");
    using L = ButtonLayout;
    // One button counts as down for MouseOver buttons.
    QTest::newRow("1 button") << int(L::OneButton) << n + a[0] + p << true;
    QTest::newRow("2 across") << int(L::TwoAcross) << n + a[0] + n + a[1] + p << false;
    QTest::newRow("2 down") << int(L::TwoDown) << n + a[0] + p + n + a[1] + p << true;
    QTest::newRow("3 across") << int(L::ThreeAcross) << n + a[0] + n + a[1] + n + a[2] + p << false;
    QTest::newRow("3 down") << int(L::ThreeDown) << n + a[0] + p + n + a[1] + p + n + a[2] + p << true;
    QTest::newRow("4 across") << int(L::FourAcross) << n + a[0] + n + a[1] + n + a[2] + n + a[3] + p << false;
    QTest::newRow("5 across") << int(L::FiveAcross)
                              << n + a[0] + n + a[1] + n + a[2] + n + a[3] + n + a[4] + p << false;
    // clang-format on
}

void TestPageCheck::buttonLinks()
{
    QFETCH(int, layout);
    QFETCH(QString, expected);
    QFETCH(bool, down);
    QCOMPARE(buildButtonLinks(ButtonLayout(layout), kButtons), expected);
    QCOMPARE(buttonsDown(ButtonLayout(layout)), down);
}

// The gallery's textures and the example buttons.
void TestPageCheck::textures_data()
{
    QTest::addColumn<int>("number");
    for (int number = 1; number <= kTextureCount; ++number)
        QTest::newRow(qPrintable(galleryTextureName(number))) << number;
}

// A small JPEG that tiles without a seam, carries text and differs from the others.
void TestPageCheck::textures()
{
    QFETCH(int, number);
    QString why;
    const QImage image = load(galleryTextureName(number), "jpeg", &why);
    QVERIFY2(!image.isNull(), qPrintable(why));
    QVERIFY(QFileInfo(QDir(programFolder()).filePath(galleryTextureName(number))).size() < 40000);
    // Much smaller and the repeat shows on a page.
    QVERIFY(image.width() >= 64 && image.height() >= 64);
    QCOMPARE(seam(image, true), QString());
    QCOMPARE(seam(image, false), QString());

    std::vector<double> levels;
    double sum = 0;
    double squares = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            levels.push_back(luminance(image.pixel(x, y)));
            const double grey = qGray(image.pixel(x, y));
            sum += grey;
            squares += grey * grey;
        }
    }
    std::sort(levels.begin(), levels.end());
    const double median = levels[levels.size() / 2];
    // Light textures carry black text, dark ones white: 7:1 on the middle of
    // the picture, 4.5:1 even on the 2% of pixels least suited to it.
    const bool light = contrast(median, 0) > contrast(1, median);
    QVERIFY((light ? contrast(median, 0) : contrast(1, median)) >= 7);
    QVERIFY((light ? contrast(levels[levels.size() * 2 / 100], 0)
                   : contrast(1, levels[levels.size() * 98 / 100])) >= 4.5);
    // A busy picture hides letters whatever its brightness.
    const double mean = sum / levels.size();
    QVERIFY(std::sqrt(squares / levels.size() - mean * mean) <= 20);

    // Compared small, as side by side in a list, where fine grain no longer
    // tells two textures apart; below 8 two read as one in another shade.
    const auto small = [](const QImage &picture) {
        return picture.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    for (int other = number + 1; other <= kTextureCount; ++other) {
        const QImage them = load(galleryTextureName(other), "jpeg", &why);
        QVERIFY2(difference(small(image), small(them)) >= 8, qPrintable(galleryTextureName(other)));
    }
}

void TestPageCheck::exampleButtons_data()
{
    QTest::addColumn<QString>("word");
    for (const char *word : {"home", "next", "back", "contact"})
        QTest::newRow(word) << QString::fromLatin1(word);
}

// Each button is a GIF with a mouse-over picture of the same size that looks
// clearly different.
void TestPageCheck::exampleButtons()
{
    QFETCH(QString, word);
    QString why;
    const QImage normal = load(word + QStringLiteral(".gif"), "gif", &why);
    QVERIFY2(!normal.isNull(), qPrintable(why));
    const QImage over = load(word + QStringLiteral("2.gif"), "gif", &why);
    QVERIFY2(!over.isNull(), qPrintable(why));
    QCOMPARE(over.size(), normal.size());
    QVERIFY(difference(normal, over) > 40);
}

QTEST_GUILESS_MAIN(TestPageCheck)
#include "tst_page_check.moc"
