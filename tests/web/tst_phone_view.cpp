// Tarnwell's phone view against Chromium's own phone emulation: the live page
// set to "Phone" and PREVIEW's "As on a phone" lay each page out as wide, at
// the same scale, and draw its text as large as a phone's browser does,
// within a tenth. A page without a viewport line is laid out 980 pixels wide
// and shrunk; a page for phones is laid out at the phone's width.

#include "e2e/driver.h"
#include "e2e/walks.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace tarnwell::e2e;

namespace {

// The width the page is laid out at, its scale, and how high its smallest
// text is drawn, in CSS pixels of the phone's screen.
const QString kMeasure = QStringLiteral(
    "(function () { var smallest = Infinity; "
    "var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT); "
    "for (var n = walker.nextNode(); n; n = walker.nextNode()) "
    "if (n.textContent.trim()) smallest = Math.min(smallest, "
    "parseFloat(getComputedStyle(n.parentElement).fontSize)); "
    "return JSON.stringify({layout: document.documentElement.clientWidth, "
    "scale: visualViewport.scale, text: smallest * visualViewport.scale, "
    "phone: screen.width === 390}); })()");

const QStringList kPages = {"classic.html", "classic-photo.html", "worked.html"};

QJsonObject chromium()
{
    QProcess node;
    node.start(TARNWELL_NODE, QStringList{TARNWELL_CHECK_PAGES, "phone", TARNWELL_WEB_PAGES,
                                          kMeasure} + kPages);
    node.waitForFinished(300000);
    const QByteArray out = node.readAllStandardOutput();
    if (node.exitCode() != 0)
        qWarning("%s", node.readAllStandardError().constData());
    return QJsonDocument::fromJson(out).object();
}

// The view's measure once the page lies still as a phone shows it: the same
// twice, a moment apart.
QJsonObject settled(Program &app, const QString &view)
{
    // The phone's width comes first and the page is laid out again after it:
    // on a busy machine that can take more than one look to arrive.
    QString before;
    int same = 0;
    for (int tries = 0; tries < 60; ++tries) {
        const QString now = app.evaluate(view, kMeasure);
        const QJsonObject found = QJsonDocument::fromJson(now.toUtf8()).object();
        same = now == before ? same + 1 : 0;
        if (same >= 4 && found.value("phone").toBool())
            return found;
        before = now;
        QTest::qWait(500);
    }
    return {};
}

bool near(double ours, double theirs)
{
    return qAbs(ours - theirs) <= 0.1 * qAbs(theirs);
}

} // namespace

class TestPhoneView final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void phoneView_data();
    void phoneView();

private:
    QJsonObject m_chromium;
};

void TestPhoneView::initTestCase()
{
    m_chromium = chromium();
    QVERIFY2(m_chromium.size() == kPages.size(),
             "Chromium's phone emulation measured nothing: tools/dev.sh test installs it");
}

void TestPhoneView::phoneView_data()
{
    QTest::addColumn<QString>("page");
    for (const QString &page : kPages)
        QTest::newRow(qPrintable(page)) << page;
}

void TestPhoneView::phoneView()
{
    QFETCH(QString, page);
    const QJsonObject theirs = QJsonDocument::fromJson(m_chromium.value(page).toString().toUtf8()).object();
    Program app;
    app.vars = {{"S", TARNWELL_WEB_PAGES}, {"F", TARNWELL_WEB_PAGES "/" + page}};
    E2E_RUN(app, steps(kLoad + "; " + kUseFolder) +
                     QStringList{"shown Form4", "choose Form4/LiveWidth Phone", "click Form4/Command3",
                                 "shown Form27", "click Form27/PhoneWidth", "checked Form27/PhoneWidth"});
    for (const QString view : {"Form4/LivePage", "Form27/brwWebBrowser"}) {
        const QJsonObject ours = settled(app, view);
        const QString why = QString("%1 in %2: ours %3, Chromium's %4")
                                .arg(page, view,
                                     QString::fromUtf8(QJsonDocument(ours).toJson(QJsonDocument::Compact)),
                                     QString::fromUtf8(QJsonDocument(theirs).toJson(QJsonDocument::Compact)));
        qInfo("%s", qPrintable(why));
        for (const char *measure : {"layout", "scale", "text"})
            QVERIFY2(near(ours.value(measure).toDouble(), theirs.value(measure).toDouble()),
                     qPrintable(why));
    }
}

QTEST_GUILESS_MAIN(TestPhoneView)
#include "tst_phone_view.moc"
