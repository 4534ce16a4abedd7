#include "document/page_body.h"
#include "document/session.h"

#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

using namespace tarnwell;

class TestPageBody final : public QObject
{
    Q_OBJECT

private slots:
    void appendReplaceEmpty();
    void lineEndsComeOutAsCrLf();
    void editsInTheFieldAreThePage();
    void charactersAreKept();
    void sessionPaths();
};

void TestPageBody::appendReplaceEmpty()
{
    PageBody page;
    QVERIFY(page.isEmpty());
    QCOMPARE(page.text(), QString());

    page.append(QStringLiteral("X"));
    QCOMPARE(page.text(), QStringLiteral("X"));
    page.append(QStringLiteral("\r\n<BR>"));
    page.append(QStringLiteral("\r\n<P></P>"));
    QCOMPARE(page.text(), QStringLiteral("X\r\n<BR>\r\n<P></P>"));

    page.replace(QStringLiteral("<HTML>\r\n<BODY>\r\n"));
    QCOMPARE(page.text(), QStringLiteral("<HTML>\r\n<BODY>\r\n"));
    page.append(QStringLiteral("A"));
    QCOMPARE(page.text(), QStringLiteral("<HTML>\r\n<BODY>\r\nA"));

    page.clear();
    QVERIFY(page.isEmpty());
    page.append(QStringLiteral("Y"));
    QCOMPARE(page.text(), QStringLiteral("Y"));
}

void TestPageBody::lineEndsComeOutAsCrLf()
{
    PageBody page;
    page.append(QStringLiteral("a\nb\rc\r\nd"));
    QCOMPARE(page.text(), QStringLiteral("a\r\nb\r\nc\r\nd"));
    page.replace(QStringLiteral("\r\n\r\nx\r\n"));
    QCOMPARE(page.text(), QStringLiteral("\r\n\r\nx\r\n"));
}

void TestPageBody::editsInTheFieldAreThePage()
{
    PageBody page;
    page.replace(QStringLiteral("<HTML>\r\n"));
    QTextCursor cursor(page.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("typed"));
    cursor.insertText(QString(QChar::LineSeparator)); // Shift+Enter in the field
    cursor.insertText(QStringLiteral("more"));
    QCOMPARE(page.text(), QStringLiteral("<HTML>\r\ntyped\r\nmore"));
}

void TestPageBody::charactersAreKept()
{
    PageBody page;
    const QString text = QStringLiteral("a\u00A0b\tc \u20AC \u0436 \U0001F600 & < \"");
    page.append(text);
    QCOMPARE(page.text(), text);
}

void TestPageBody::sessionPaths()
{
    Session session;
    session.setSessionFolder(QStringLiteral("/home/ann/mysite"));
    QCOMPARE(session.previewFilePath(), QStringLiteral("/home/ann/mysite/viewtmp.html"));
    session.setSessionFolder(QStringLiteral("/"));
    QCOMPARE(session.previewFilePath(), QStringLiteral("//viewtmp.html"));
}

QTEST_MAIN(TestPageBody)
#include "tst_page_body.moc"
