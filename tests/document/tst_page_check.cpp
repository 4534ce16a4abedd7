#include "document/page_body.h"
#include "document/page_check.h"
#include "support/worked_example.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

using namespace tarnwell;

namespace {
// "name" a small picture (a page or text file if so named), "name:WxH" a
// picture of that size, "name:text" no picture, "name:big" 360 KB, "name/" a folder.
void makeFiles(const QString &folder, const QStringList &files)
{
    for (const QString &file : files) {
        const QString path = QDir(folder).filePath(file.section(u':', 0, 0));
        const QString kind = file.section(u':', 1);
        const QSize size = kind.contains(u'x') ? QSize(kind.section(u'x', 0, 0).toInt(),
                                                       kind.section(u'x', 1).toInt())
                           : kind == u"big"    ? QSize(400, 300)
                                               : QSize(8, 8);
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        QFile text(path);
        if (file.endsWith(u'/'))
            QDir().mkpath(path);
        else if (kind == u"big")
            picture.save(path, "BMP");
        else if (kind == u"text" || file.endsWith(u".html"))
            QVERIFY(text.open(QIODevice::WriteOnly) && text.write("no picture"));
        else
            picture.save(path, "PNG");
    }
}

// A finding as a line: the problem, the name, and a star if Fix can mend it.
QStringList lines(const QList<PageFinding> &findings)
{
    static const char *const problems[] = {"missing",  "case",  "odd",           "local",
                                           "wide",     "large", "not a picture", "twice",
                                           "bad name", "index"};
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
    void findings_data();
    void findings();
    void fixes();
};

void TestPageCheck::findings_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("worked example with photo1.jpg")
        << QString::fromLatin1(test::kWorkedExampleFile)
               .replace(QStringLiteral("</BODY>"),
                        QStringLiteral("<IMG SRC=\"photo1.jpg\"><P></P>\r\n</BODY>"))
        << QStringList{"Photo1.JPG", "page.html", "viewtmp.html"}
        << QStringList{"case photo1.jpg *", "index page.html"};
    QTest::newRow("four problems and a good picture")
        << "<IMG SRC=\"gone.jpg\">\r\n<IMG SRC=\"photo1.jpg\"><IMG SRC=\"my photo.jpg\">"
           "<IMG SRC=\"C:\\pics\\a.jpg\"><IMG SRC=\"good.jpg\">"
        << QStringList{"Photo1.JPG", "my photo.jpg", "good.jpg"}
        << QStringList{"missing gone.jpg *", "case photo1.jpg *", "odd my photo.jpg",
                       "local C:\\pics\\a.jpg"};
    QTest::newRow("typed by hand")
        << "<body background=tile.gif>\n<a href=http://x.org/a.jpg>x</a><a href='#top'>t</a>"
           "<A HREF=\"mailto:a@b.c\">m</A>\n<!-- <img src=\"old.jpg\"> -->\n"
           "<a href = \" Page2.html#s\">p</a><img\nsrc = 'file:///home/me/a.jpg'>"
           "<iMg SrC=//cdn.org/x.png><img src=\"/home/me/b.jpg\"><img src=\"tile.gif?v=2\">"
        << QStringList{"tile.gif", "page2.html"}
        << QStringList{"case Page2.html#s *", "local file:///home/me/a.jpg", "local /home/me/b.jpg",
                       "index page2.html"};
    QTest::newRow("pictures")
        << "<IMG SRC=\"wide.jpg\"><IMG SRC=\"big.bmp\"><IMG SRC=\"fake.jpg\">"
           "<BODY BACKGROUND=\"widetile.jpg\"><A HREF=\"notes.jpg\">n</A>"
           "<IMG SRC=\"my%20photo.jpg\"><IMG SRC=pics/a.png><IMG SRC=\"pics/../pics/a.png\">"
           "<IMG SRC=\"../x.jpg\"><A HREF=\"notes.txt\">"
        << QStringList{"wide.jpg:800x10",     "big.bmp:big",    "fake.jpg:text", "notes.txt:text",
                       "widetile.jpg:800x10", "notes.jpg:text", "my photo.jpg",  "pics/",
                       "pics/a.png"}
        << QStringList{"wide wide.jpg *",         "large big.bmp",      "not a picture fake.jpg",
                       "not a picture notes.jpg", "odd my%20photo.jpg", "missing ../x.jpg"};
    QTest::newRow("MouseOver names")
        << kMouseOver.arg("gondola5", "b.jpg", "a.jpg") +
               kMouseOver.arg("gondola5", "c.jpg", "a.jpg") +
               kMouseOver.arg("my pic", "b.jpg", "a.jpg") +
               kMouseOver.arg("title", "b.jpg", "a.jpg") +
               "<img src=a.jpg name=top onmouseover=\"this.src='b.jpg'\"><IMG SRC=a.jpg NAME=top>"
               "<A NAME=\"x\"></A><A NAME=\"x\"></A>"
        << QStringList{"a.jpg", "b.jpg"}
        << QStringList{"twice gondola5", "missing c.jpg *", "bad name my pic", "bad name title"};
    QTest::newRow("the same file named two ways is not renamed")
        << "<IMG SRC=\"photo1.jpg\"><IMG SRC=\"Photo1.JPG\"><IMG SRC=\"Pics/a.png\">"
        << QStringList{"Photo1.JPG", "pics/", "pics/a.png"}
        << QStringList{"case photo1.jpg", "case Pics/a.png"};
    QTest::newRow("no problems")
        << "<IMG SRC=\"a.jpg\"><A HREF=\"index.html\">home</A><A HREF=\"https://x.org/\">"
        << QStringList{"a.jpg", "index.html", "viewtmp.html"} << QStringList{};
}

void TestPageCheck::findings()
{
    QFETCH(QString, page);
    QFETCH(QStringList, files);
    QFETCH(QStringList, expected);
    QTemporaryDir folder;
    makeFiles(folder.path(), files);
    QCOMPARE(lines(checkPage(page, folder.path())), expected);
}

// Fix renames the file, or makes a web copy and uses it in the page as one
// edit that Undo takes back; the check finds nothing more.
void TestPageCheck::fixes()
{
    QTemporaryDir folder;
    makeFiles(folder.path(), {"Photo1.JPG", "wide.png:800x10", "wide-web.jpg", "index.html"});
    PageBody page;
    const QString before =
        "<IMG SRC=\"photo1.jpg\">\r\n" + kMouseOver.arg("w", "wide.png", "wide.png");
    page.replace(before);
    const QList<PageFinding> found = checkPage(page.document()->toRawText(), folder.path());
    QCOMPARE(lines(found), QStringList({"case photo1.jpg *", "wide wide.png *"}));

    QString error, newName;
    QVERIFY(renameForPage(folder.path(), found[0], &error));
    QVERIFY(makeWebCopy(folder.path(), found[1], &newName, &error));
    QCOMPARE(newName, QStringLiteral("wide-web2.jpg"));
    QCOMPARE(replaceFileName(page.document(), found[1].name, newName), 3);
    QCOMPARE(page.text(), QString(before).replace("wide.png", newName));
    QCOMPARE(
        QDir(folder.path()).entryList(QDir::Files),
        QStringList({"index.html", "photo1.jpg", "wide-web.jpg", "wide-web2.jpg", "wide.png"}));
    QImageReader copy(folder.filePath(newName));
    QCOMPARE(copy.format(), QByteArray("jpeg"));
    QCOMPARE(copy.size(), QSize(500, 6));
    QVERIFY(checkPage(page.document()->toRawText(), folder.path()).isEmpty());
    page.document()->undo();
    QCOMPARE(page.text(), before);
}

QTEST_GUILESS_MAIN(TestPageCheck)
#include "tst_page_check.moc"
