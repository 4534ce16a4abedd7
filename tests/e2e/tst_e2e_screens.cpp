// Finding the way: the session folder, the HEAD screen, the advice screens,
// the ways back and PREVIEW, as a user walks them.

#include "driver.h"
#include "walks.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace tarnwell::e2e;

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

} // namespace

class TestScreens final : public QObject
{
    Q_OBJECT

private slots:
    void makingAFolder_data();
    void makingAFolder();
    void walks_data();
    void walks();
    void initTestCase();
    void previewAndBrowse();
    void previewWithoutTheViewer();
    void scriptsReadNothingOutside_data();
    void scriptsReadNothingOutside();
    void previewFileIsNeverFollowed_data();
    void previewFileIsNeverFollowed();

private:
    QTemporaryDir m_pictures;
};

void TestScreens::makingAFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString exists =
        QStringLiteral("[info] Directory already exists! Type another name or click Cancel");
    QTest::newRow("made") << "mysite" << QString();
    QTest::newRow("non-Latin") << "\u043C\u043E\u0439 \u0441\u0430\u0439\u0442" << QString();
    QTest::newRow("no name") << ""
                             << "[stop] You did not type the directory name!";
    QTest::newRow("taken") << "taken" << exists;
    QTest::newRow("escape") << "../escape" << exists;
}

// A refused name leaves everything as it was for another try; a made folder
// leads on to the HEAD screen.
void TestScreens::makingAFolder()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    // The folder lies in one of its own, where a name that escaped would show.
    QTemporaryDir around;
    QDir place(around.filePath(QStringLiteral("place")));
    QVERIFY(place.mkpath(QStringLiteral("taken")));
    Program app;
    app.vars = {{"S", place.path()}, {"N", name}};
    E2E_RUN(app, steps("click Form1/Command5; folder {S}; type nonComdlg/Text1 {N}; "
                       "click nonComdlg/CmdUseFile"));
    if (!message.isEmpty()) {
        E2E_RUN(app, steps("answer OK " + message +
                           "; text nonComdlg/Text1 {N}; shown nonComdlg/CmdUseFile; "
                           "hidden nonComdlg/Command1"));
        QCOMPARE(QDir(place.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList{"taken"});
        QCOMPARE(QDir(around.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"place"});
        return;
    }
    E2E_RUN(app, steps("text nonComdlg/Label3 {N}; hidden nonComdlg/CmdUseFile; "
                       "disabled nonComdlg/Dir1; click nonComdlg/Command1; hidden nonComdlg; "
                       "hidden Form1; text Form2/Label8 {S}/{N}"));
    QVERIFY(QFileInfo(place.filePath(name)).isDir());
}

void TestScreens::walks_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("existing folder at the root")
        << steps("click Form1/Command5; type nonComdlg/Text1 half; click Form1/Command1; "
                 "folder /; click nonComdlg/CmdUseFile; text Form2/Label8 /; shown Form1");
    QTest::newRow("Cancel, then a fresh Select Directory screen")
        << steps("click Form1/Command5; folder {S}; type nonComdlg/Text1 never; "
                 "click nonComdlg/CmdCancelSetFileToNull; hidden nonComdlg; focus Form1/Command1; "
                 "click Form1/Command5; text nonComdlg/Text1 ; close nonComdlg; hidden nonComdlg");
    QTest::newRow("HEAD's Back and close box") << steps(
        kUseFolder +
        "; type Form2/Text1 Kept; click Form2/Command3; hidden Form2; click Form1/Command1; "
        "click nonComdlg/CmdUseFile; text Form2/Text1 Kept; close Form2; hidden Form2; "
        "shown Form1");
    QTest::newRow("Start advice") << steps("click Form1/Command3; shown Form17; "
                                           "click Form17/Command1; hidden Form17; shown Form1");
    QTest::newRow("Button advice, Back and Continue")
        << kToSelection +
               steps("click Form4/Command8; click Form16/Command2; hidden Form16; shown Form4; "
                     "click Form4/Command8; click Form16/Command1; hidden Form16; shown Form11; "
                     "shown Form11/Command2; shown Form11/Command3; click Form11/Command1; "
                     "hidden Form11; focus Form4/Command3");
    QTest::newRow("HTML Editing and More Advice")
        << kToSelection +
               steps("click Form4/Command14; click Form22/Command2; hidden Form22; shown Form23; "
                     "click Form23/Command1; hidden Form23; shown Form4; click Form4/Command14; "
                     "click Form22/Command1; hidden Form22");
    // Pressed twice, an advice screen comes to the front instead of opening again.
    QTest::newRow("Links advice")
        << kToSelection +
               steps("click Form4/Command8; click Form16/Command1; click Form11/Command5; "
                     "shown Form25; click Form11/Command5; click Form25/Command1; hidden Form25; "
                     "click Form11/Command5; shown Form25");
    QTest::newRow("MouseOver advice")
        << kToSelection + steps("click Form4/Command6; answer OK Pictures/photos need to be about "
                                "the same size OK?; click Form18/Command7; "
                                "shown Form26; click Form18/Command7; click Form26/Command1; "
                                "hidden Form26");

    // PREVIEW as a phone lays the page out, and back as wide as the window:
    // without a viewport line 980 pixels wide and shrunk to the phone's 390,
    // with one at the phone's width. The choice stays for the next PREVIEW.
    const QString width = QStringLiteral(
        "<SCRIPT>onload=onresize=function(){var w=document.documentElement.clientWidth,"
        "s=visualViewport.scale;document.title=w==980&&s.toFixed(2)=='0.40'?'shrunk':"
        "w==390&&s==1?'phone':w>700&&s==1?'window':w+' at '+s}</SCRIPT>");
    QTest::newRow("as on a phone")
        << kToSelection +
               steps("type Form4/Text1 " + width +
                     "; click Form4/Command3; title Form27 window; click Form27/PhoneWidth; "
                     "title Form27 shrunk; click Form27/PhoneWidth; title Form27 window; "
                     "click Form27/PhoneWidth; type Form4/Text1 <META name=\"viewport\" "
                     "content=\"width=device-width\">" +
                     width +
                     "; click Form4/Command3; checked Form27/PhoneWidth; title Form27 phone");

    // The Background screen's seven samples, names and previews after the
    // steps: those named shown, the rest hidden.
    const auto background = [](const char *name, const QStringList &steps, const QString &shown) {
        QStringList checks = kToBackground + steps;
        for (const QString sample :
             {"Label2", "Label1", "Text2", "Picture1", "Text1", "Picture2", "Text3"})
            checks << (shown.split(u' ').contains(sample) ? "shown Form3/" : "hidden Form3/") +
                          sample;
        QTest::newRow(name) << checks;
    };
    const QString colour = QStringLiteral("click Form3/Command2; colour #ff0000");
    const QString gallery = QStringLiteral("click Form3/Command4; click Form5/Command2");
    const QString untouched = QStringLiteral("Label2 Label1 Picture1 Picture2");
    background("background, from HEAD", {}, untouched);
    background("background, colour", steps(colour), "Label1 Text2");
    background("background, colour dialog cancelled", steps("click Form3/Command2; cancel"),
               untouched);
    background("background, texture file", steps("click Form3/Command3; file {P}/stone.jpg"),
               "Picture1 Text1");
    // Shown without waiting for the pipe to be written: nothing to show.
    background("background, texture file that is a named pipe",
               steps("click Form3/Command3; file {P}/pipe.jpg; text Form3/Text1 pipe.jpg"),
               "Picture1 Text1");
    background("background, texture file cancelled after a colour",
               steps(colour + "; click Form3/Command3; cancel"), "Label1");
    background("background, gallery", steps(gallery), "Picture2 Text3");
    background("background, gallery closed after a colour",
               steps(colour + "; click Form3/Command4; close Form5; shown Form3"), "Label1 Text2");
    background("background, colour after the gallery", steps(gallery + "; " + colour),
               "Label1 Text2");
    background("background, HEAD and back again after a colour",
               steps(colour + "; click Form3/Command5; shown Form2; click Form2/Command1"),
               untouched);
    background("background, the page begun again after a texture",
               steps(gallery) + kNext +
                   steps("click Form4/Command15; click Form4/Command2; shown Form3"),
               "Label1 Picture1 Picture2");
}

void TestScreens::walks()
{
    QFETCH(QStringList, steps);
    Fresh fresh;
    fresh.app.vars["P"] = m_pictures.path();
    E2E_RUN(fresh.app, steps);
}

// Pictures for the Background screen's texture.
void TestScreens::initTestCase()
{
    QVERIFY(writePictureFile(m_pictures.filePath(QStringLiteral("stone.jpg")), 8, 8, Qt::gray));
    QVERIFY(makePipe(m_pictures.filePath("pipe.jpg")));
}

// PREVIEW and the Browser screen, on Qt WebEngine in the real program.

void TestScreens::previewAndBrowse()
{
    Fresh fresh;
    auto &[session, app] = fresh;
    QVERIFY(writeBytes(session.filePath(QStringLiteral("other.html")),
                       "<HTML><HEAD><TITLE>Other</TITLE></HEAD><BODY>other</BODY></HTML>"));
    const QString edited =
        QStringLiteral("<HTML><HEAD><TITLE>Edited</TITLE></HEAD>\n<BODY>by hand");
    // A fresh screen for each PREVIEW shows the page as it now is.
    E2E_RUN(app, kToSelection +
                     steps("click Form4/Command3; title Form27 My page; disabled Form27/Back; "
                           "type Form4/Text1 " +
                           edited +
                           "; click Form4/Command3; title Form27 Edited; disabled Form27/Back; "
                           "type Form27/cboAddress file://{S}/other.html; key Return; "
                           "title Form27 Other; click Form27/Back; title Form27 Edited; "
                           "click Form27/Forward; title Form27 Other; click Form27/Home; "
                           "title Form27 Edited; close Form27; hidden Form27"));
    QCOMPARE(readAll(session.filePath(QStringLiteral("viewtmp.html"))),
             edited.toLatin1().replace("\n", "\r\n") + "\r\n");
}

// A program whose preview module cannot be loaded says so.
void TestScreens::previewWithoutTheViewer()
{
    QTemporaryDir prefix, session;
    QDir root(prefix.path());
    QDir installed(installedFile(QString()));
    for (const QString folder : {"bin", "share/tarnwell"}) {
        QVERIFY(root.mkpath(folder));
        for (const QString &file : QDir(installed.filePath(folder)).entryList(QDir::Files))
            QVERIFY(QFile::copy(installed.filePath(folder + "/" + file),
                                root.filePath(folder + "/" + file)));
    }
    const QString module = QDir(installed.filePath(QStringLiteral("lib/tarnwell")))
                               .entryList({QStringLiteral("*preview*")}, QDir::Files)
                               .value(0);
    QVERIFY(!module.isEmpty());
    QVERIFY(root.mkpath(QStringLiteral("lib/tarnwell")));
    QVERIFY(writeBytes(root.filePath(QStringLiteral("lib/tarnwell/") + module), "not a library"));
    Program app({}, root.filePath(QStringLiteral("bin/tarnwell")));
    app.vars = {{"S", session.path()},
                {"M", root.filePath(QStringLiteral("bin/../lib/tarnwell/") + module)}};
    E2E_RUN(app, kToSelection + steps("click Form4/Command3; answer OK [stop] The preview "
                                      "could not be started: Cannot load library {M}: ({M}: file "
                                      "too short); shown Form4"));
}

void TestScreens::scriptsReadNothingOutside_data()
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
    QTest::newRow("frame inside") << byFrame("inside.txt") << "nothing";
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

// A page from elsewhere previewed and shown live: its script gets nothing of a
// file outside the session folder, whichever way it asks; the folder's
// pictures show.
void TestScreens::scriptsReadNothingOutside()
{
    QFETCH(QString, page);
    QFETCH(QString, caption);
    QTemporaryDir place;
    QDir around(place.path());
    QVERIFY(around.mkpath(QStringLiteral("session/pics")));
    const QString session = around.filePath(QStringLiteral("session"));
    QVERIFY(writeBytes(around.filePath(QStringLiteral("secret.txt")), "the secret"));
    QVERIFY(writePictureFile(around.filePath(QStringLiteral("secret.png")), 3, 2));
    QVERIFY(writeBytes(session + "/inside.txt", "inside"));
    QVERIFY(writePictureFile(session + "/pics/in.png", 4, 4));
    QVERIFY(writePictureFile(session + "/pics/over.png", 5, 5));
    QVERIFY(QFile::link(QStringLiteral("../secret.txt"), session + "/link.txt"));
    QVERIFY(QFile::link(QStringLiteral("../secret.png"), session + "/linked.png"));
    QVERIFY(QFile::link(place.path(), session + "/up"));
    QVERIFY(makePipe(session + "/pipe.png"));
    Program app;
    app.vars = {{"S", session}, {"P", place.path()}};
    // The live page beside the code is kept to the same.
    E2E_RUN(app,
            kToSelection + QStringList{"type Form4/Text1 <HTML><HEAD><TITLE>waiting</TITLE></HEAD>"
                                       "<BODY>" +
                                           page,
                                       "click Form4/Command3", "title Form27 " + caption,
                                       "page Form4/LivePage document.title === '" + caption + "'"});
}

void TestScreens::previewFileIsNeverFollowed_data()
{
    QTest::addColumn<QString>("target"); // of the preview file, a link; empty: a named pipe
    QTest::newRow("link to a file outside") << "../target.html";
    QTest::newRow("link to nothing outside") << "../made.html";
    QTest::newRow("link to a folder outside") << "../elsewhere";
    QTest::newRow("named pipe") << "";
}

// Whatever stands in the session folder under the preview file's name, the
// preview writes the page there and nothing outside the folder changes.
void TestScreens::previewFileIsNeverFollowed()
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
    E2E_RUN(app, kToSelection + steps("type Form4/Text1 <TITLE>Shown</TITLE>; "
                                      "click Form4/Command3; title Form27 Shown"));
    QCOMPARE(listing(place.path(), true, "session"), before);
    QVERIFY(!QFileInfo(preview).isSymLink());
    QCOMPARE(readAll(preview), "<TITLE>Shown</TITLE>\r\n");
}

QTEST_GUILESS_MAIN(TestScreens)
#include "tst_e2e_screens.moc"
