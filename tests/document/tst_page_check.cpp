#include "document/files.h"
#include "document/page_body.h"
#include "document/page_check.h"
#include "document/page_references.h"
#include "support/files.h"
#include "support/gumbo_oracle.h"
#include "support/worked_example.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

using namespace tarnwell;

namespace {

QByteArray gif(int width, int height)
{
    QByteArray bytes("GIF89a");
    for (const int size : {width, height})
        bytes += char(size & 0xFF) + QByteArray(1, char(size >> 8));
    // Two colours, then one black pixel at the top left.
    static const char rest[] =
        "\x80\0\0\0\0\0\xff\xff\xff,\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0;";
    bytes += QByteArray(rest, sizeof rest - 1);
    return bytes;
}

// "name" a small picture (a page or text file if so named), "name:WxH" a
// picture of that size ("WxHa" with see-through parts), JPEG, GIF or PNG by
// its name, "name:text" no picture, "name:big" 360 KB, "page.html:TEXT" a
// page, "name/" a folder, "name->target" a symbolic link, "name:fifo" a pipe.
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
        else if (kind == u"big")
            QVERIFY(picture.save(path, "BMP"));
        else if (kind == u"text" || suffix == u"html")
            QVERIFY(test::writeBytes(path, kind.isEmpty() || kind == u"text" ? "no picture"
                                                                             : kind.toUtf8()));
        else if (suffix == u"gif")
            QVERIFY(test::writeBytes(path, gif(size.width(), size.height())));
        else
            QVERIFY(picture.save(path, suffix == u"jpg" ? "JPEG" : "PNG"));
    }
}

// A finding as a line: the problem, the name, and a star if Fix can mend it.
QStringList lines(const QList<PageFinding> &findings)
{
    static const char *const problems[] = {"missing",  "case",  "odd",           "local",
                                           "wide",     "large", "not a picture", "twice",
                                           "bad name", "index", "root",          "outside"};
    QStringList out;
    for (const PageFinding &found : findings)
        out << QLatin1String(problems[int(found.problem)]) + u' ' + found.name +
                   (found.fix == PageFix::None ? QString() : QStringLiteral(" *"));
    return out;
}

const QString kMouseOver = QStringLiteral("<A HREF=\"#\" ONMOUSEOVER=\"%1.src='%2'\"\r\n"
                                          " ONMOUSEOUT=\"%1.src='%3'\">\r\n"
                                          "<IMG SRC=\"%3\" NAME=\"%1\" BORDER=\"0\"></A><P></P>");
} // namespace

class TestPageCheck final : public QObject
{
    Q_OBJECT

private slots:
    void decoding_data();
    void decoding();
    void addresses_data();
    void addresses();
    void reading_data();
    void reading();
    void findings_data();
    void findings();
    void webCopy();
};

void TestPageCheck::decoding_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("named") << "caf&eacute;.png" << u"café.png"_qs;
    QTest::newRow("old name without ;") << "&AElig&copy." << u"Æ©."_qs;
    QTest::newRow("old name before a letter") << "a&notit;b"
                                              << "a&notit;b";
    QTest::newRow("longest name that fits") << "&notin;&notit" << u"∉&notit"_qs;
    QTest::newRow("old name before =") << "?a=1&copy=2&amp=3"
                                       << "?a=1&copy=2&amp=3";
    QTest::newRow("two characters") << "&NotNestedGreaterGreater;" << u"\u2AA2\u0338"_qs;
    QTest::newRow("beyond 16 bits") << "&Afr;&#x1D504;" << u"\U0001D504\U0001D504"_qs;
    QTest::newRow("unknown names stay") << "&bogus; & &; &#; &#x; &#xg;"
                                        << "&bogus; & &; &#; &#x; &#xg;";
    QTest::newRow("numeric") << "&#65&#x42;&#X43;&#0068;"
                             << "ABCD";
    QTest::newRow("Windows-1252 numbers") << "&#128;&#x9F;&#x81;" << u"€Ÿ\u0081"_qs;
    QTest::newRow("no characters")
        << "&#0;&#xD800;&#x110000;&#99999999999999999999;" << u"\uFFFD\uFFFD\uFFFD\uFFFD"_qs;
    QTest::newRow("line breaks and NUL")
        << QString::fromUtf16(u"a\r\nb\rc\u2029d\0e", 10) << u"a\nb\nc\nd\uFFFDe"_qs;
}

void TestPageCheck::decoding()
{
    QFETCH(QString, raw);
    QFETCH(QString, decoded);
    QCOMPARE(decodeAttributeValue(raw), decoded);
}

void TestPageCheck::addresses_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("parts");
    const auto file = int(AddressKind::File);
    const auto computer = int(AddressKind::Computer);
    QTest::newRow("query and fragment") << " wide.png?v=1.2#x " << file << QStringList{"wide.png"};
    QTest::newRow("backslash") << "pics\\big.png" << file << QStringList{"pics", "big.png"};
    QTest::newRow("percent as UTF-8")
        << "caf%C3%A9%20x.png" << file << QStringList{u"café x.png"_qs};
    QTest::newRow("dots") << "./a/../b//c.png" << file << QStringList{"b", "c.png"};
    QTest::newRow("tab and line break") << "a\t.p\nng" << file << QStringList{"a.png"};
    QTest::newRow("encoded slashes") << "%2Ftmp%2Fx%2Fwide.png" << computer << QStringList{};
    QTest::newRow("encoded dots") << "%2E%2E%2Fx.png" << int(AddressKind::LeavesFolder)
                                  << QStringList{};
    QTest::newRow("up and out") << "a/../../x.png" << int(AddressKind::LeavesFolder)
                                << QStringList{};
    QTest::newRow("site root") << "/img/a.jpg" << int(AddressKind::SiteRoot) << QStringList{};
    QTest::newRow("home folder") << "/Users/me/a.jpg" << computer << QStringList{};
    QTest::newRow("drive") << "c:/a.jpg" << computer << QStringList{};
    QTest::newRow("encoded drive") << "C%3A\\a.jpg" << computer << QStringList{};
    QTest::newRow("share") << "\\\\server\\a.jpg" << computer << QStringList{};
    QTest::newRow("file:") << "FILE:///a.jpg" << computer << QStringList{};
    QTest::newRow("web") << "//cdn.org/a.png" << int(AddressKind::Web) << QStringList{};
    QTest::newRow("mailto") << "mailto:a@b.c" << int(AddressKind::Web) << QStringList{};
    QTest::newRow("this page") << " #top" << int(AddressKind::ThisPage) << QStringList{};
    QTest::newRow("the folder") << "a/.." << int(AddressKind::ThisPage) << QStringList{};
}

void TestPageCheck::addresses()
{
    QFETCH(QString, value);
    QFETCH(int, kind);
    QFETCH(QStringList, parts);
    const FileAddress address = fileAddress(value);
    QCOMPARE(int(address.kind), kind);
    QCOMPARE(address.parts, parts);
}

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
    QTest::addColumn<QStringList>("after"); // the folder once every Fix offered is done
    QTest::addColumn<QString>("pageAfter"); // empty: as it was

    QTest::newRow("worked example with photo1.jpg")
        << QString::fromLatin1(test::kWorkedExampleFile)
               .replace(QStringLiteral("</BODY>"),
                        QStringLiteral("<IMG SRC=\"photo1.jpg\"><P></P>\r\n</BODY>"))
        << QStringList{"Photo1.JPG", "page.html", "viewtmp.html"}
        << QStringList{"case photo1.jpg *", "index page.html"}
        << QStringList{"page.html", "photo1.jpg", "viewtmp.html"} << QString();
    QTest::newRow("four problems and a good picture")
        << "<IMG SRC=\"gone.jpg\">\r\n<IMG SRC=\"photo1.jpg\"><IMG SRC=\"my photo.jpg\">"
           "<IMG SRC=\"C:\\pics\\a.jpg\"><IMG SRC=\"good.jpg\">"
        << QStringList{"Photo1.JPG", "my photo.jpg", "good.jpg"}
        << QStringList{"missing gone.jpg *", "case photo1.jpg *", "odd my photo.jpg",
                       "local C:\\pics\\a.jpg"}
        << QStringList{"gone.jpg", "good.jpg", "my photo.jpg", "photo1.jpg"} << QString();
    QTest::newRow("typed by hand")
        << "<body background=tile.gif>\n<a href=http://x.org/a.jpg>x</a><a href='#top'>t</a>"
           "<A HREF=\"mailto:a@b.c\">m</A>\n<!-- <img src=\"old.jpg\"> -->\n"
           "<a href = \" Page2.html#s\">p</a><img\nsrc = 'file:///home/me/a.jpg'>"
           "<iMg SrC=//cdn.org/x.png><img src=\"/home/me/b.jpg\"><img src=\"tile.gif?v=2\">"
           "<img src=\"/img/a.jpg\">"
        << QStringList{"tile.gif", "page2.html"}
        << QStringList{"case Page2.html#s", "local file:///home/me/a.jpg", "local /home/me/b.jpg",
                       "root /img/a.jpg", "index page2.html"}
        << QStringList{"page2.html", "tile.gif"} << QString();
    QTest::newRow("pictures")
        << "<IMG SRC=\"wide.jpg\"><IMG SRC=\"big.bmp\"><IMG SRC=\"fake.jpg\">"
           "<BODY BACKGROUND=\"widetile.jpg\"><A HREF=\"notes.jpg\">n</A>"
           "<IMG SRC=\"my%20photo.jpg\"><IMG SRC=pics/a.png><IMG SRC=\"pics/../pics/a.png\">"
           "<IMG SRC=\"../outside.png\"><A HREF=\"notes.txt\"><IMG SRC=\"%2E%2E%2Foutside.png\">"
           "<IMG SRC=\"%2Ftmp%2Fx%2Fwide.png\">"
        << QStringList{"wide.jpg:800x10",     "big.bmp:big",    "fake.jpg:text", "notes.txt:text",
                       "widetile.jpg:800x10", "notes.jpg:text", "my photo.jpg",  "pics/",
                       "pics/a.png"}
        << QStringList{"wide wide.jpg *",
                       "large big.bmp",
                       "not a picture fake.jpg",
                       "not a picture notes.jpg",
                       "odd my%20photo.jpg",
                       "outside ../outside.png",
                       "outside %2E%2E%2Foutside.png",
                       "local %2Ftmp%2Fx%2Fwide.png"}
        << QStringList{"big.bmp", "fake.jpg",   "my photo.jpg", "notes.jpg", "notes.txt",
                       "pics/",   "pics/a.png", "wide-web.jpg", "wide.jpg",  "widetile.jpg"}
        << "<IMG SRC=\"wide-web.jpg\"><IMG SRC=\"big.bmp\"><IMG SRC=\"fake.jpg\">"
           "<BODY BACKGROUND=\"widetile.jpg\"><A HREF=\"notes.jpg\">n</A>"
           "<IMG SRC=\"my%20photo.jpg\"><IMG SRC=pics/a.png><IMG SRC=\"pics/../pics/a.png\">"
           "<IMG SRC=\"../outside.png\"><A HREF=\"notes.txt\"><IMG SRC=\"%2E%2E%2Foutside.png\">"
           "<IMG SRC=\"%2Ftmp%2Fx%2Fwide.png\">";
    QTest::newRow("MouseOver names")
        << kMouseOver.arg("gondola5", "b.jpg", "a.jpg") +
               kMouseOver.arg("gondola5", "c.jpg", "a.jpg") +
               kMouseOver.arg("my pic", "b.jpg", "a.jpg") +
               kMouseOver.arg("title", "b.jpg", "a.jpg") +
               "<img src=a.jpg name=top onmouseover=\"this.src='b.jpg'\"><IMG SRC=a.jpg NAME=top>"
               "<A NAME=\"x\"></A><A NAME=\"x\"></A>"
        << QStringList{"a.jpg", "b.jpg"}
        << QStringList{"twice gondola5", "missing c.jpg *", "bad name my pic", "bad name title"}
        << QStringList{"a.jpg", "b.jpg", "c.jpg"} << QString();
    QTest::newRow("a long MouseOver script")
        << "<A HREF=\"#\" ONMOUSEOVER=\"" + QString("a.src='x.png' ").repeated(30) +
               "\"><IMG SRC=\"x.png\" NAME=\"a\"></A>"
        << QStringList{"x.png"} << QStringList{} << QStringList{"x.png"} << QString();
    QTest::newRow("the same file named two ways is not renamed")
        << "<IMG SRC=\"photo1.jpg\"><IMG SRC=\"Photo1.JPG\"><IMG SRC=\"Pics/a.png\">"
        << QStringList{"Photo1.JPG", "pics/", "pics/a.png"}
        << QStringList{"case photo1.jpg", "case Pics/a.png"}
        << QStringList{"Photo1.JPG", "pics/", "pics/a.png"} << QString();
    QTest::newRow("a folder, a page, a file another page names: not renamed")
        << "<A HREF=\"Pics\">p</A><IMG SRC=\"pics/cat.png\"><A HREF=\"Index.html\">h</A>"
           "<IMG SRC=\"photo.jpg\"><IMG SRC=\"logo.png\">"
        << QStringList{"pics/",
                       "pics/cat.png",
                       "index.html:<IMG SRC=\"Photo.JPG\">",
                       "other.html:<IMG SRC=\"Photo.jpg\">",
                       "Photo.jpg",
                       "Logo.png"}
        << QStringList{"case Pics", "case Index.html", "case photo.jpg", "case logo.png *"}
        << QStringList{"Photo.jpg", "index.html", "logo.png", "other.html", "pics/", "pics/cat.png"}
        << QString();
    QTest::newRow("query string: the copy is named from the file")
        << "<IMG SRC=\"wide.png?v=1.2\">" << QStringList{"wide.png:800x10"}
        << QStringList{"wide wide.png?v=1.2 *"} << QStringList{"wide-web.jpg", "wide.png"}
        << "<IMG SRC=\"wide-web.jpg\">";
    QTest::newRow("backslash: the copy goes beside the file")
        << "<IMG SRC=\"pics\\big.png\">" << QStringList{"pics/", "pics/big.png:800x10"}
        << QStringList{"wide pics\\big.png *"}
        << QStringList{"pics/", "pics/big-web.jpg", "pics/big.png"}
        << "<IMG SRC=\"pics/big-web.jpg\">";
    QTest::newRow("only the picture's own address changes")
        << "<A HREF=\"wide.png\"><IMG SRC=\"wide.png\"></A><TD BACKGROUND=\"wide.png\">"
        << QStringList{"wide.png:800x10", "wide-web.jpg"} << QStringList{"wide wide.png *"}
        << QStringList{"wide-web.jpg", "wide-web2.jpg", "wide.png"}
        << "<A HREF=\"wide.png\"><IMG SRC=\"wide-web2.jpg\"></A><TD BACKGROUND=\"wide.png\">";
    QTest::newRow("entities: found, and copied under the decoded name")
        << "<IMG SRC=\"caf&eacute;.png\"><IMG SRC=\"gone&#233;.png\">"
        << QStringList{u"café.png"_qs}
        << QStringList{u"odd café.png"_qs, u"missing goneé.png *"_qs, u"odd goneé.png"_qs}
        << QStringList{u"café.png"_qs, u"goneé.png"_qs} << QString();
    QTest::newRow("500 and 501 pixels, JPEG, GIF, see-through")
        << "<IMG SRC=w500.png><IMG SRC=w501.png><IMG SRC=wide.jpg><IMG SRC=wide.gif>"
           "<IMG SRC=clear.png>"
        << QStringList{"w500.png:500x5", "w501.png:501x5", "wide.jpg:800x10", "wide.gif:800x10",
                       "clear.png:600x10a"}
        << QStringList{"wide w501.png *", "wide wide.jpg *", "wide wide.gif *", "wide clear.png *"}
        << QStringList{"clear-web.jpg", "clear.png",     "w500.png", "w501-web.jpg", "w501.png",
                       "wide-web.jpg",  "wide-web2.jpg", "wide.gif", "wide.jpg"}
        << "<IMG SRC=w500.png><IMG SRC=w501-web.jpg><IMG SRC=wide-web2.jpg>"
           "<IMG SRC=wide-web.jpg><IMG SRC=clear-web.jpg>";
    QTest::newRow("links in and out of the folder, a pipe, a missing page")
        << "<IMG SRC=\"in.png\"><IMG SRC=\"out.png\"><IMG SRC=\"outdir/wide.png\">"
           "<IMG SRC=\"pipe.png\"><A HREF=\"fifo\">f</A><A HREF=\"page2.html\">2</A>"
           "<IMG SRC=\"sub/gone.png\">"
        << QStringList{"pics/",
                       "pics/wide.png:800x10",
                       "in.png->pics/wide.png",
                       "out.png->../outside.png",
                       "outdir->../outdir",
                       "pipe.png:fifo",
                       "fifo:fifo",
                       "sub/"}
        << QStringList{"wide in.png",
                       "outside out.png",
                       "outside outdir/wide.png",
                       "not a picture pipe.png",
                       "missing page2.html",
                       "missing sub/gone.png"}
        << QStringList{"fifo",  "in.png",        "out.png",  "outdir",
                       "pics/", "pics/wide.png", "pipe.png", "sub/"}
        << QString();
    QTest::newRow("no problems")
        << "<IMG SRC=\"a.jpg\"><A HREF=\"index.html\">home</A><A HREF=\"https://x.org/\">"
        << QStringList{"a.jpg", "index.html", "viewtmp.html"} << QStringList{}
        << QStringList{"a.jpg", "index.html", "viewtmp.html"} << QString();
}

// What Check page lists; then Fix on every row that offers it, from the end
// of the page back so that the places found stay right. Nothing outside the
// session folder changes: it lies in a parent of its own, with pictures
// beside it that a Fix must never reach.
void TestPageCheck::findings()
{
    QFETCH(QString, page);
    QFETCH(QStringList, files);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, after);
    QFETCH(QString, pageAfter);
    QTemporaryDir parent;
    const QString folder = parent.filePath("site");
    QVERIFY(QDir().mkpath(folder));
    makeFiles(parent.path(), {"outside.png:800x10", "outdir/", "outdir/wide.png:800x10", "x/",
                              "x/wide.png:800x10", "picked.png"});
    makeFiles(folder, files);
    const QStringList around = test::listing(parent.path(), true, "site");

    PageBody body;
    body.replace(page);
    const QString before = body.text();
    const QList<PageFinding> found = checkPage(body.document()->toRawText(), folder);
    QCOMPARE(lines(found), expected);
    QCOMPARE(test::disagreement(body.document()->toRawText()), QString());
    for (auto it = found.crbegin(); it != found.crend(); ++it) {
        QString error, address;
        if (it->fix == PageFix::RenameFile) {
            QVERIFY2(renameForPage(folder, *it, &error), qPrintable(error));
        } else if (it->fix == PageFix::CopyPicture) {
            QCOMPARE(copyIntoFolder(parent.filePath("picked.png"), QDir(folder).filePath(it->file)),
                     CopyResult::Copied);
        } else if (it->fix == PageFix::WebCopy) {
            QVERIFY2(makeWebCopy(folder, *it, &address, &error), qPrintable(error));
            QVERIFY(replaceAddress(body.document(), *it, address));
        }
    }
    QCOMPARE(test::listing(folder), after);
    QCOMPARE(body.text(), pageAfter.isEmpty() ? before : pageAfter);
    QCOMPARE(test::listing(parent.path(), true, "site"), around);
}

// The web copy: 500 pixels wide, see-through parts white, one edit that Undo
// takes back; a page changed meanwhile is left alone.
void TestPageCheck::webCopy()
{
    QTemporaryDir folder;
    makeFiles(folder.path(), {"wide.png:800x10a", "index.html"});
    PageBody page;
    const QString before = "<P>x</P>\r\n<IMG SRC=\"wide.png\">";
    page.replace(before);
    const QList<PageFinding> found = checkPage(page.document()->toRawText(), folder.path());
    QCOMPARE(lines(found), QStringList({"wide wide.png *"}));

    QString error, address;
    QVERIFY(makeWebCopy(folder.path(), found[0], &address, &error));
    QCOMPARE(address, QStringLiteral("wide-web.jpg"));
    QImageReader copy(folder.filePath(address));
    QCOMPARE(copy.format(), QByteArray("jpeg"));
    const QImage image = copy.read();
    QCOMPARE(image.size(), QSize(500, 6));
    QCOMPARE(image.pixelColor(250, 3), QColor(Qt::white));

    page.replace("<P>xy</P>\r\n<IMG SRC=\"wide.png\">");
    QVERIFY(!replaceAddress(page.document(), found[0], address));
    page.replace(before);
    QVERIFY(replaceAddress(page.document(), found[0], address));
    QCOMPARE(page.text(), "<P>x</P>\r\n<IMG SRC=\"wide-web.jpg\">");
    QVERIFY(checkPage(page.document()->toRawText(), folder.path()).isEmpty());
    page.document()->undo();
    QCOMPARE(page.text(), before);
}

QTEST_GUILESS_MAIN(TestPageCheck)
#include "tst_page_check.moc"
