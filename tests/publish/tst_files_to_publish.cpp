#include "publish/publisher.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnwell::publish;
using tarnwell::test::makePipe;
using tarnwell::test::writeBytes;

class TestFilesToPublish final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void files_data();
    void files();

private:
    QTemporaryDir m_outer; // holds the session folder and what lies beside it
    QString m_folder;
};

void TestFilesToPublish::initTestCase()
{
    const QDir outer(m_outer.path());
    QVERIFY(outer.mkpath("site/pics") && outer.mkpath("elsewhere"));
    m_folder = outer.filePath("site");
    const QDir site(m_folder);
    for (const char *name : {"index.html", "a.png", "pics/b.gif", "Case.png", "x y.png", "amp&.png",
                             "caf\xc3\xa9.png"})
        QVERIFY(writeBytes(site.filePath(QString::fromUtf8(name)), name));
    QVERIFY(writeBytes(outer.filePath("secret.png"), "beside the folder"));
    QVERIFY(writeBytes(outer.filePath("elsewhere/x.png"), "outside"));
    QVERIFY(QFile::link(outer.filePath("secret.png"), site.filePath("out.png")));
    QVERIFY(QFile::link(site.filePath("a.png"), site.filePath("in.png")));
    QVERIFY(QFile::link(outer.filePath("elsewhere"), site.filePath("linked")));
    QVERIFY(makePipe(site.filePath("pipe.png")));
}

void TestFilesToPublish::files_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("names"); // before index.html

    const QStringList none;
    QTest::newRow("a picture") << "<img src=\"a.png\">" << QStringList{"a.png"};
    QTest::newRow("in a subfolder") << "<img src=\"pics/b.gif\">" << QStringList{"pics/b.gif"};
    QTest::newRow("backslash") << "<img src=\"pics\\b.gif\">" << QStringList{"pics/b.gif"};
    QTest::newRow("background") << "<body background=\"pics/b.gif\">" << QStringList{"pics/b.gif"};
    QTest::newRow("the same file twice")
        << "<img src=\"a.png\"><a href=\"./a.png\"><img src=\"pics/../a.png\">"
        << QStringList{"a.png"};
    QTest::newRow("the page itself") << "<a href=\"index.html\">" << none;
    QTest::newRow("page order") << "<img src=\"pics/b.gif\"><img src=\"a.png\">"
                                << QStringList{"pics/b.gif", "a.png"};
    QTest::newRow("query and fragment") << "<img src=\"a.png?v=2#top\">" << QStringList{"a.png"};
    QTest::newRow("entity") << "<img src=\"amp&amp;.png\">" << QStringList{"amp&.png"};
    QTest::newRow("percent space") << "<img src=\"x%20y.png\">" << QStringList{"x y.png"};
    QTest::newRow("UTF-8 name") << "<img src=\"caf%C3%A9.png\">" << QStringList{"caf\u00e9.png"};
    QTest::newRow("letter case differs") << "<img src=\"A.PNG\"><img src=\"case.png\">" << none;
    QTest::newRow("letter case same") << "<img src=\"Case.png\">" << QStringList{"Case.png"};
    QTest::newRow("up and out") << "<img src=\"../secret.png\">" << none;
    QTest::newRow("up and out, encoded") << "<img src=\"%2e%2e/secret.png\">" << none;
    QTest::newRow("site root") << "<img src=\"/etc/passwd\">" << none;
    QTest::newRow("file address") << "<img src=\"file:///etc/passwd\">" << none;
    QTest::newRow("web address") << "<img src=\"http://example.org/a.png\">" << none;
    QTest::newRow("link out") << "<img src=\"out.png\">" << none;
    QTest::newRow("link inside") << "<img src=\"in.png\">" << QStringList{"in.png"};
    QTest::newRow("through a linked folder") << "<img src=\"linked/x.png\">" << none;
    QTest::newRow("named pipe") << "<img src=\"pipe.png\">" << none;
    QTest::newRow("a folder") << "<a href=\"pics/\"><a href=\"pics\">" << none;
    QTest::newRow("missing") << "<img src=\"gone.png\">" << none;
    QTest::newRow("in a comment") << "<!-- <img src=\"a.png\"> -->" << none;
    QTest::newRow("in a script's text") << "<script>x='<img src=\"a.png\">'</script>" << none;
}

void TestFilesToPublish::files()
{
    QFETCH(QString, page);
    QFETCH(QStringList, names);

    const QList<PageFile> files = filesToPublish(m_folder, "index.html", page);
    QStringList found;
    for (const PageFile &file : files) {
        found.append(file.name);
        QFile opened(file.localPath);
        QVERIFY(opened.open(QIODevice::ReadOnly));
        QCOMPARE(file.size, opened.size());
    }
    QCOMPARE(found, names + QStringList{"index.html"});
    if (!names.isEmpty())
        QVERIFY(files.last().localPath.startsWith(QFileInfo(m_folder).canonicalFilePath() + u'/'));
}

QTEST_GUILESS_MAIN(TestFilesToPublish)
#include "tst_files_to_publish.moc"
