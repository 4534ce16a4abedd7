// PREVIEW and the Browser screen, on Qt WebEngine in the real program.

#include "driver.h"
#include "walks.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

using namespace tarnwell::e2e;

class TestPreview final : public QObject
{
    Q_OBJECT

private slots:
    void previewAndBrowse();
    void previewWithoutTheViewer();
    void asOnAPhone();
    void scriptsReadNothingOutside_data();
    void scriptsReadNothingOutside();
    void previewFileIsNeverFollowed_data();
    void previewFileIsNeverFollowed();
};

namespace {

// Each way a page's script may take another file puts "read " and what it got
// into the page's title, or "nothing".
QString byFetch(const QString &address)
{
    return "<SCRIPT>fetch('" + address +
           "').then(function(r){return r.text()}).then(function(t){document.title='read '+t},"
           "function(){document.title='nothing'})</SCRIPT>";
}

QString byRequest(const QString &address)
{
    return "<SCRIPT>var r=new XMLHttpRequest();"
           "r.onload=function(){document.title='read '+r.responseText};"
           "r.onerror=function(){document.title='nothing'};"
           "try{r.open('GET','" +
           address + "');r.send()}catch(e){document.title='nothing'}</SCRIPT>";
}

QString byFrame(const QString &address)
{
    return "<IFRAME SRC=\"" + address +
           "\" ONLOAD=\"var t='';try{t=this.contentDocument.body.textContent}catch(e){}"
           "document.title=t?'read '+t:'nothing'\"></IFRAME>";
}

QString byPicture(const QString &address)
{
    return "<IMG SRC=\"" + address +
           "\" ONLOAD=\"document.title='read '+this.naturalWidth+'x'+this.naturalHeight\" "
           "ONERROR=\"document.title='nothing'\">";
}

// A picture that swaps itself for another on MouseOver, as the MouseOver
// buttons do, and gives the size of the second.
QString bySwap(const QString &first, const QString &second)
{
    return "<IMG SRC=\"" + first + "\" ONMOUSEOVER=\"this.src='" + second +
           "'\" ONLOAD=\"if(this.src.indexOf('" + second +
           "')<0)this.dispatchEvent(new MouseEvent('mouseover'));"
           "else document.title='read '+this.naturalWidth+'x'+this.naturalHeight\" "
           "ONERROR=\"document.title='nothing'\">";
}

bool writePicture(const QString &path, int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::red);
    return picture.save(path, "PNG");
}

} // namespace

void TestPreview::previewAndBrowse()
{
    QTemporaryDir session;
    QVERIFY(writeBytes(session.filePath(QStringLiteral("other.html")),
                       "<HTML><HEAD><TITLE>Other</TITLE></HEAD><BODY>other</BODY></HTML>"));
    Program app;
    app.vars = {{"S", session.path()}};
    const QString edited =
        QStringLiteral("<HTML><HEAD><TITLE>Edited</TITLE></HEAD>\n<BODY>by hand");
    // A fresh screen for each PREVIEW shows the page as it now is.
    QVERIFY2(app.run(kToSelection +
                     steps("click Form4/Command3; title Form27 My page; disabled Form27/Back; "
                           "type Form4/Text1 " +
                           edited +
                           "; click Form4/Command3; title Form27 Edited; disabled Form27/Back; "
                           "type Form27/cboAddress file://{S}/other.html; key Return; "
                           "title Form27 Other; click Form27/Back; title Form27 Edited; "
                           "click Form27/Forward; title Form27 Other; click Form27/Home; "
                           "title Form27 Edited; close Form27; hidden Form27")),
             qPrintable(app.error()));
    QCOMPARE(readAll(session.filePath(QStringLiteral("viewtmp.html"))),
             edited.toLatin1().replace("\n", "\r\n") + "\r\n");
}

// The page laid out as wide as a phone shows it, and back as wide as the window.
void TestPreview::asOnAPhone()
{
    QTemporaryDir session;
    Program app;
    app.vars = {{"S", session.path()}};
    QVERIFY2(app.run(kToSelection +
                     steps("type Form4/Text1 <SCRIPT>onload=onresize=function(){document.title="
                           "innerWidth==390?'phone':innerWidth>700?'window':innerWidth}</SCRIPT>; "
                           "click Form4/Command3; title Form27 window; click Form27/PhoneWidth; "
                           "title Form27 phone; click Form27/PhoneWidth; title Form27 window")),
             qPrintable(app.error()));
}

// A program whose preview module cannot be loaded says so.
void TestPreview::previewWithoutTheViewer()
{
    QTemporaryDir prefix;
    QTemporaryDir session;
    QDir root(prefix.path());
    QDir installed(installedFile(QString()));
    for (const QString folder : {"bin", "share/tarnwell"}) {
        QVERIFY(root.mkpath(folder));
        for (const QString &file : QDir(installed.filePath(folder)).entryList(QDir::Files))
            QVERIFY(QFile::copy(installed.filePath(folder + "/" + file),
                                root.filePath(folder + "/" + file)));
    }
    const QString module =
        QDir(installed.filePath(QStringLiteral("lib/tarnwell"))).entryList(QDir::Files).value(0);
    QVERIFY(root.mkpath(QStringLiteral("lib/tarnwell")));
    QVERIFY(writeBytes(root.filePath(QStringLiteral("lib/tarnwell/") + module), "not a library"));
    Program app({}, root.filePath(QStringLiteral("bin/tarnwell")));
    app.vars = {{"S", session.path()}};
    QVERIFY2(app.run(kToSelection + steps("click Form4/Command3; answer OK [stop] The preview "
                                          "could not be started: *; shown Form4")),
             qPrintable(app.error()));
}

void TestPreview::scriptsReadNothingOutside_data()
{
    QTest::addColumn<QString>("page"); // {P} is the folder around the session folder
    QTest::addColumn<QString>("caption");
    const QString outsideText = QStringLiteral("file://{P}/secret.txt");
    const QString outsidePicture = QStringLiteral("file://{P}/secret.png");
    QTest::newRow("fetch") << byFetch(outsideText) << "nothing";
    QTest::newRow("request") << byRequest(outsideText) << "nothing";
    QTest::newRow("request through a link") << byRequest("link.txt") << "nothing";
    // Scripts read no local file, not even one of their own folder.
    QTest::newRow("request inside") << byRequest("inside.txt") << "nothing";
    QTest::newRow("frame") << byFrame(outsideText) << "nothing";
    QTest::newRow("frame through a link") << byFrame("link.txt") << "nothing";
    QTest::newRow("picture") << byPicture(outsidePicture) << "nothing";
    QTest::newRow("picture up") << byPicture("../secret.png") << "nothing";
    QTest::newRow("picture up, escaped") << byPicture("..%2Fsecret.png") << "nothing";
    QTest::newRow("picture through a link") << byPicture("linked.png") << "nothing";
    QTest::newRow("picture through a linked folder") << byPicture("up/secret.png") << "nothing";
    QTest::newRow("swap to outside") << bySwap("pics/in.png", outsidePicture) << "nothing";
    QTest::newRow("picture that is a named pipe") << byPicture("pipe.png") << "nothing";
    // What the page may use: the pictures of its folder and its subfolders.
    QTest::newRow("picture of the folder") << byPicture("pics/in.png") << "read 4x4";
    QTest::newRow("picture by its full address")
        << byPicture("file://{S}/pics/in.png") << "read 4x4";
    QTest::newRow("swap") << bySwap("pics/in.png", "pics/over.png") << "read 5x5";
}

// A page from elsewhere previewed: its script gets nothing of a file outside
// the session folder, whichever way it asks; the folder's pictures show.
void TestPreview::scriptsReadNothingOutside()
{
    QFETCH(QString, page);
    QFETCH(QString, caption);
    QTemporaryDir place;
    QDir around(place.path());
    QVERIFY(around.mkpath(QStringLiteral("session/pics")));
    const QString session = around.filePath(QStringLiteral("session"));
    QVERIFY(writeBytes(around.filePath(QStringLiteral("secret.txt")), "the secret"));
    QVERIFY(writePicture(around.filePath(QStringLiteral("secret.png")), 3, 2));
    QVERIFY(writeBytes(session + "/inside.txt", "inside"));
    QVERIFY(writePicture(session + "/pics/in.png", 4, 4));
    QVERIFY(writePicture(session + "/pics/over.png", 5, 5));
    QVERIFY(QFile::link(QStringLiteral("../secret.txt"), session + "/link.txt"));
    QVERIFY(QFile::link(QStringLiteral("../secret.png"), session + "/linked.png"));
    QVERIFY(QFile::link(place.path(), session + "/up"));
    QVERIFY(makePipe(session + "/pipe.png"));
    Program app;
    app.vars = {{"S", session}, {"P", place.path()}};
    QVERIFY2(app.run(kToSelection +
                     QStringList{"type Form4/Text1 <HTML><HEAD><TITLE>waiting</TITLE></HEAD>"
                                 "<BODY>" +
                                     page,
                                 "click Form4/Command3", "title Form27 " + caption}),
             qPrintable(app.error()));
}

void TestPreview::previewFileIsNeverFollowed_data()
{
    QTest::addColumn<QString>("target"); // of the preview file, a link; empty: a named pipe
    QTest::newRow("link to a file outside") << "../target.html";
    QTest::newRow("link to nothing outside") << "../made.html";
    QTest::newRow("link to a folder outside") << "../elsewhere";
    QTest::newRow("named pipe") << "";
}

// Whatever stands in the session folder under the preview file's name, the
// preview writes the page there and nothing outside the folder changes.
void TestPreview::previewFileIsNeverFollowed()
{
    QFETCH(QString, target);
    QTemporaryDir place;
    QDir around(place.path());
    QVERIFY(around.mkpath(QStringLiteral("session")) && around.mkpath(QStringLiteral("elsewhere")));
    const QString session = around.filePath(QStringLiteral("session"));
    const QString preview = session + "/viewtmp.html";
    QVERIFY(writeBytes(around.filePath(QStringLiteral("target.html")), "kept as it was\n"));
    QVERIFY(target.isEmpty() ? makePipe(preview) : QFile::link(target, preview));
    const QStringList before = listing(place.path(), true, "session");
    Program app;
    app.vars = {{"S", session}};
    QVERIFY2(app.run(kToSelection + steps("type Form4/Text1 <TITLE>Shown</TITLE>; "
                                          "click Form4/Command3; title Form27 Shown")),
             qPrintable(app.error()));
    QCOMPARE(listing(place.path(), true, "session"), before);
    QVERIFY(!QFileInfo(preview).isSymLink());
    QCOMPARE(readAll(preview), "<TITLE>Shown</TITLE>\r\n");
}

QTEST_GUILESS_MAIN(TestPreview)
#include "tst_e2e_preview.moc"
