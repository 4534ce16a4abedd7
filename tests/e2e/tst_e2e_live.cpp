// The page shown live beside its code, as a user makes it: it follows every
// change, a click in it selects the code of what was clicked, the cursor in
// the code outlines its element, and the page's scripts can neither open
// anything nor hold the program.

#include "driver.h"
#include "walks.h"

#include <QFileInfo>
#include <QTest>
#include <map>
#include <memory>

using namespace tarnwell::e2e;

namespace {

// A script's value in the live page holds, once the page shows it.
QString live(const QString &script)
{
    return "page Form4/LivePage " + script;
}

QString bodyHas(const QString &words)
{
    return live("document.body.innerText.indexOf('" + words + "') >= 0");
}

// The element the live page outlines.
const QString kOutlined = QStringLiteral(
    "(function () { var b = document.querySelector('[data-tarnwell=outline]'); "
    "return b ? document.getElementsByTagName('*')[+b.getAttribute('data-element')] : null; })()");

} // namespace

class TestLive final : public QObject
{
    Q_OBJECT

private slots:
    void workedExample();
    void clickAndCursor_data();
    void clickAndCursor();
    void scriptsOpenNothing();
    void pictureReplaced();
    void placeKeptAndChangesShown();
    void choicesKeptBetweenRuns();

private:
    std::map<QString, std::unique_ptr<Program>> m_pages; // loaded once for many rows
};

// The worked example made with the page shown beside it: each step shows there.
void TestLive::workedExample()
{
    QTemporaryDir session, pictures;
    QVERIFY(writePictureFile(pictures.filePath("beach.jpg"), 3000, 2000, Qt::blue));
    Program app;
    app.vars = {{"S", session.path()},
                {"P", pictures.path()},
                {"F", session.filePath("page.html")},
                {"MB", QString::number(QFileInfo(pictures.filePath("beach.jpg")).size() / 1048576.0,
                                       'f', 1)}};
    // Tab goes past the page, which has loaded by now, from the code to the
    // buttons and round again.
    E2E_RUN(app,
            kToSelection +
                QStringList{"checked Form4/ShowPage", "text Form4/LiveWidth Computer",
                            live("document.querySelector('h1').textContent === 'Welcome'")} +
                paragraph("Hello") +
                QStringList{bodyHas("Hello"), "tab Form4/Text1", "key Tab", "focus Form4/Command4",
                            "tab Form4/Command1", "key Tab", "focus Form4/ShowPage"});
    // A word typed into the code, then taken back.
    const QString code = app.text("Form4/Text1");
    const int afterHello = int(code.indexOf("Hello</FONT>")) + 5;
    QVERIFY(afterHello > 5);
    E2E_RUN(app, {"clicktext Form4/Text1 " + QString::number(afterHello), "keys  there",
                  bodyHas("Hello there"), "key Ctrl+Z",
                  live("document.body.innerText.indexOf('there') < 0"), bodyHas("Hello")});
    // A photo too wide, mended by Check page: the web copy shows in its place.
    E2E_RUN(app, steps("click Form4/Command5; click Form9/Command1; file {P}/beach.jpg; "
                       "answer No This photo is 3000 \u00D7 2000 pixels and {MB} MB, too big for a "
                       "web page. Use a copy made for the web?; "
                       "click Form9/Command2; " +
                       kPlaceOk + "; hidden Form9") +
                     QStringList{
                         live("document.images.length === 1 && "
                              "document.images[0].naturalWidth === 3000"),
                         "click Form4/CheckPage", "select CheckPage/Findings beach.jpg",
                         "click CheckPage/Fix",
                         "answer OK [info] Tarnwell made beach-web.jpg, 500 pixels wide, and uses "
                         "it here in the page in place of beach.jpg, which is kept as it "
                         "is.",
                         live("document.images[0].naturalWidth === 500")});
    // Saved, cleared, and loaded back: the loaded page shows.
    E2E_RUN(app, kSave + steps("click Form4/Command16; shown Form1; " + kLoad + "; " + kUseFolder) +
                     QStringList{live("document.images[0].naturalWidth === 500 && "
                                      "document.body.innerText.indexOf('Hello') >= 0")});
}

void TestLive::clickAndCursor_data()
{
    QTest::addColumn<QString>("page");    // in the web checks' folder
    QTest::addColumn<QString>("element"); // a script giving the element
    QTest::addColumn<QString>("code");    // its code, as the text field holds it
    const auto row = [](const char *name, const char *page, const QString &element,
                        const QString &code) { QTest::newRow(name) << page << element << code; };
    const char *classic = "every-classic.html";
    row("classic heading", classic, "document.querySelector('h1 font')",
        "<FONT COLOR=\"#800000\" FACE=\"Arial, Helvetica\">Everything</FONT>");
    row("classic paragraph", classic, "document.querySelector('body > font')",
        "<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\">A paragraph of words.</FONT>");
    row("classic bold", classic, "document.querySelector('b')", "<B>Bold words.</B>");
    row("classic heading after its font", classic, "document.querySelector('h2')",
        "<H2>Pictures</FONT></H2>");
    row("classic picture", classic, "document.images[0]", "<IMG SRC=\"left.png\">");
    row("classic centred picture", classic, "document.querySelector('center img')",
        "<IMG SRC=\"right.png\">");
    row("classic ruler", classic, "document.querySelector('hr')", "<HR WIDTH=\"75%\">");
    row("classic text beside a picture", classic, "document.querySelector('td font')",
        "<FONT COLOR=\"#000000\" FACE=\"Arial, Helvetica\" SIZE=\"3\">Words beside a "
        "picture.</FONT>");
    row("classic link", classic, "document.querySelector('a[href=\"classic.html\"] font')",
        "<FONT FACE=\"Times New Roman\" COLOR=\"#0000FF\" SIZE=\"3\">A link</FONT>");
    row("classic MouseOver picture", classic, "document.querySelector('img[name=newspic]')",
        "<IMG SRC=\"news.png\" NAME=\"newspic\" BORDER=\"0\">");
    row("classic button", classic, "document.querySelector('a[href=\"every.html\"] img')",
        "<IMG SRC=\"home.png\" BORDER=\"0\">");
    const char *modern = "every.html";
    row("modern heading", modern, "document.querySelector('h1')",
        "<h1 style=\"font-family: Arial, Helvetica, sans-serif; color: #800000; text-align: "
        "center\">Everything</h1>");
    row("modern paragraph", modern, "document.querySelectorAll('p')[1]",
        "<p style=\"font-family: Arial, Helvetica, sans-serif; font-size: 1rem; color: #006400; "
        "font-weight: bold\">Small and bold.</p>");
    row("modern picture side by side", modern, "document.querySelector('.side img + img')",
        "<img src=\"right.png\" alt=\"The jetty\" width=\"300\" height=\"200\">");
    row("modern ruler", modern, "document.querySelector('hr')", "<hr style=\"width: 75%\">");
    row("modern link", modern, "document.querySelector('a[href=\"worked.html\"]')",
        "<a href=\"worked.html\" style=\"font-family: 'Times New Roman', Times, serif; "
        "font-size: 1rem; color: #0000FF\">The worked example</a>");
    row("modern MouseOver picture", modern, "document.querySelector('img[alt=News]')",
        "<img src=\"news.png\" alt=\"News\" width=\"160\" height=\"48\">");
    row("modern button", modern, "document.querySelector('img[alt=Three]')",
        "<img src=\"news-over.png\" alt=\"Three\" width=\"160\" height=\"48\">");
}

// A click at an element's centre selects exactly its code, and never follows
// a link; the cursor put into that code outlines the element.
void TestLive::clickAndCursor()
{
    QFETCH(QString, page);
    QFETCH(QString, element);
    QFETCH(QString, code);
    std::unique_ptr<Program> &app = m_pages[page];
    if (!app) {
        app = std::make_unique<Program>();
        app->vars = {{"S", TARNWELL_WEB_PAGES}, {"F", TARNWELL_WEB_PAGES "/" + page}};
        E2E_RUN(*app, steps(kLoad + "; " + kUseFolder) + QStringList{"shown Form4"});
    }
    E2E_RUN(*app, {"clickpage Form4/LivePage " + element,
                   "selection Form4/Text1 " + QString(code).replace("\n", "\r\n"),
                   live("location.href.endsWith('/viewtmp.html')")});
    const qsizetype at = app->text("Form4/Text1").indexOf(code);
    QVERIFY(at >= 0);
    E2E_RUN(*app, {"clicktext Form4/Text1 " + QString::number(at + 1),
                   live(kOutlined + " === " + element)});
}

// A page from elsewhere whose script asks for messages, windows and
// printing, then never ends, shown live: nothing opens, the program answers,
// and the live page says what happened, at every change.
void TestLive::scriptsOpenNothing()
{
    Fresh fresh;
    const QString script = QStringLiteral(
        "<P>Before</P><SCRIPT>alert('a'); confirm('b'); prompt('c'); window.open('x.html'); "
        "window.print(); while (true) {}</SCRIPT><P>After</P>");
    const QStringList stopped = {"shown Form4/LiveStopped", "no-dialog"};
    // The program answers meanwhile: a paragraph goes in as ever.
    E2E_RUN(fresh.app, kToSelection + QStringList{"type Form4/Text1 " + script} + stopped +
                           QStringList{"click Form4/Text1", "keys <P>More</P>"} + stopped +
                           paragraph("Later") + stopped +
                           QStringList{"type Form4/Text1 <P>Quiet</P>", "hidden Form4/LiveStopped",
                                       bodyHas("Quiet")});
}

// A picture replaced under the same name shows as it now is, in PREVIEW and
// in the live page, without the page changing.
void TestLive::pictureReplaced()
{
    Fresh fresh;
    auto &[session, app] = fresh;
    QVERIFY(writePictureFile(session.filePath("photo.png"), 300, 200, Qt::red));
    const QString width = "document.images[0].naturalWidth === ";
    E2E_RUN(app, kToSelection + QStringList{"type Form4/Text1 <IMG SRC=\"photo.png\">",
                                            live(width + "300"), "click Form4/Command3",
                                            "page Form27/brwWebBrowser " + width + "300"});
    QVERIFY(writePictureFile(session.filePath("photo.png"), 120, 80, Qt::green));
    E2E_RUN(app, {live(width + "120"), "click Form4/Command3",
                  "page Form27/brwWebBrowser " + width + "120"});
}

// The live page stays where the user scrolled it when a change shows within
// view, and brings a change out of view into view; a MouseOver picture
// changes under the mouse in it.
void TestLive::placeKeptAndChangesShown()
{
    QTemporaryDir session;
    QString page = QStringLiteral("<HTML><BODY>\n");
    for (int i = 1; i <= 120; ++i)
        page += QStringLiteral("<P>Paragraph %1</P>\n").arg(i);
    page += QStringLiteral("<A HREF=\"#\" ONMOUSEOVER=\"pic.src='over.png'\" "
                           "ONMOUSEOUT=\"pic.src='out.png'\"><IMG SRC=\"out.png\" NAME=\"pic\" "
                           "WIDTH=\"40\" HEIGHT=\"40\"></A>\n");
    QVERIFY(writeBytes(session.filePath("page.html"), page.toLatin1()));
    Program app;
    app.vars = {{"S", session.path()}, {"F", session.filePath("page.html")}};
    // The user scrolls to the middle, then changes a paragraph there.
    E2E_RUN(app, steps(kLoad + "; " + kUseFolder) +
                     QStringList{live("document.querySelectorAll('p').length === 120"),
                                 live("(document.querySelectorAll('p')[59].scrollIntoView(), "
                                      "scrollY > 0)")});
    const int scrolled = app.evaluate("Form4/LivePage", "scrollY").toInt();
    const int inView = int(app.text("Form4/Text1").indexOf("Paragraph 60<")) + 12;
    E2E_RUN(app, {"clicktext Form4/Text1 " + QString::number(inView), "keys !",
                  bodyHas("Paragraph 60!"), live("scrollY === " + QString::number(scrolled))});
    // A change far above: brought into view.
    const int above = int(app.text("Form4/Text1").indexOf("Paragraph 2<")) + 11;
    E2E_RUN(app,
            {"clicktext Form4/Text1 " + QString::number(above), "keys ?", bodyHas("Paragraph 2?"),
             live("(function () { var r = document.querySelectorAll('p')[1]"
                  ".getBoundingClientRect(); return r.top >= 0 && r.bottom <= innerHeight; "
                  "})()")});
    E2E_RUN(app, {"hoverpage Form4/LivePage document.images[0]",
                  live("document.images[0].src.endsWith('over.png')")});
}

// The live page's choices and PREVIEW's "As on a phone" stay as the user left
// them, for the next start.
void TestLive::choicesKeptBetweenRuns()
{
    QTemporaryDir home, session;
    {
        Program app(home.path());
        app.vars = {{"S", session.path()}};
        E2E_RUN(app, kToSelection + steps("choose Form4/LiveWidth Phone; click Form4/Command3; "
                                          "click Form27/PhoneWidth; checked Form27/PhoneWidth; "
                                          "click Form4/ShowPage; hidden Form4/LivePage; " +
                                          kExitUnsaved + "; exit 0"));
    }
    Program app(home.path());
    app.vars = {{"S", session.path()}};
    E2E_RUN(app, kToSelection + steps("hidden Form4/LivePage; text Form4/LiveWidth Phone; "
                                      "click Form4/Command3; checked Form27/PhoneWidth; "
                                      "click Form4/ShowPage; shown Form4/LivePage; "
                                      "page Form4/LivePage screen.width === 390"));
}

QTEST_GUILESS_MAIN(TestLive)
#include "tst_e2e_live.moc"
