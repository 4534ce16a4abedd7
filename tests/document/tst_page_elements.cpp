#include "document/page_elements.h"
#include "html/background.h"
#include "html/elements.h"
#include "html/head.h"
#include "html/links.h"
#include "html/modern.h"
#include "html/pictures.h"

#include <QTest>

using namespace tarnwell;

namespace {

// The list as "tag parent [code]", or "tag parent" for an element the parser
// made up, one element a line. "@start" goes before code that stands earlier
// in the text too; code longer than a line is given by its start and end and
// shortened.
QString render(const QString &text, const std::vector<ElementSpan> &elements)
{
    QString out;
    for (const ElementSpan &e : elements) {
        out += e.tag + u' ' + QString::number(e.parent);
        if (e.start >= 0 || e.end >= 0) {
            QString code = text.mid(e.start, e.end - e.start);
            if (code.size() > 60) {
                out += u" @%1-%2"_qs.arg(e.start).arg(e.end);
                code = code.left(40) + u'…' + code.right(15);
            } else if (text.indexOf(code) != e.start) {
                out += u" @"_qs + QString::number(e.start);
            }
            out += u" ["_qs + code + u']';
        }
        out += u'\n';
    }
    return out.replace(u"\r\n"_qs, u"~"_qs);
}

} // namespace

class TestPageElements final : public QObject
{
    Q_OBJECT

private slots:
    void elements_data();
    void elements();
    void hostile_data();
    void hostile();
    void lookups_data();
    void lookups();
    void firstDifference_data();
    void firstDifference();
};

void TestPageElements::elements_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const QString &text, const QString &expected) {
        QTest::newRow(name) << text << expected;
    };
    // What every page has, in the text or not.
    const QString top = u"html -1\nhead 0\nbody 0\n"_qs;

    // The builders' fragments: upper-case tags, FONT around a heading, a
    // picture's table, a MouseOver link.
    row("empty", "", top);
    row("paragraph",
        "\r\n<FONT FACE=\"Times New Roman\" SIZE=\"4\" COLOR=\"#000000\">Hello</FONT><P></P>",
        top + "font 2 @2-68 [<FONT FACE=\"Times New Roman\" SIZE=\"4\" CO…0\">Hello</FONT>]\n"
              "p 2 [<P></P>]\n");
    row("centred picture", "\r\n<CENTER><IMG SRC=\"a.jpg\"></CENTER><P></P>",
        top + "center 2 [<CENTER><IMG SRC=\"a.jpg\"></CENTER>]\n"
              "img 3 [<IMG SRC=\"a.jpg\">]\n"
              "p 2 [<P></P>]\n");
    row("rule, break", "\r\n<HR WIDTH=\"75%\">\r\n<BR>",
        top + "hr 2 [<HR WIDTH=\"75%\">]\nbr 2 [<BR>]\n");
    row("further heading",
        buildHeadingElement("News", 2, HeadingFont::ArialHelvetica, "#FF0000", false),
        top + "font 2 [<FONT COLOR=\"#FF0000\" FACE=\"Arial, Helvetica\">]\n"
              "h2 2 [<H2>News</FONT></H2>]\n"
              "font 4\n");
    row("text and picture",
        buildTextAndPicture("a.jpg", "Words", "#000000", TextPictureFont::Times, "3", true),
        top + "table 2 @2-168 [<TABLE CELLPADDING=\"5\" CELLSPACING=\"5\">\r…</TR>~</TABLE>]\n"
              "tbody 3\n"
              "tr 4 @43-158 [<TR>~<TD><IMG SRC=\"a.jpg\"></TD>~<TD><F…NT></TD>~</TR>]\n"
              "td 5 [<TD><IMG SRC=\"a.jpg\"></TD>]\n"
              "img 6 [<IMG SRC=\"a.jpg\">]\n"
              "td 5 @77-151 [<TD><FONT COLOR=\"#000000\" FACE=\"TimesNew…rds</FONT></TD>]\n"
              "font 8 @81-146 [<FONT COLOR=\"#000000\" FACE=\"TimesNew Rom…3\">Words</FONT>]\n");
    row("MouseOver",
        "<A HREF=\"b.html\" ONMOUSEOVER=\"document.b1.src='b.gif'\" "
        "ONMOUSEOUT=\"document.b1.src='a.gif'\"><IMG NAME=\"b1\" SRC=\"a.gif\" BORDER=\"0\"></A>",
        top + "a 2 @0-134 [<A HREF=\"b.html\" ONMOUSEOVER=\"document.b…BORDER=\"0\"></A>]\n"
              "img 3 [<IMG NAME=\"b1\" SRC=\"a.gif\" BORDER=\"0\">]\n");
    row("modern page",
        modernHeadText("Mine", "en", "") + modernBodyLine(BackgroundChoice::None, "", "") +
            modernParagraph("Hi", TextFont::Arial, 3, Emphasis::Bold, "#000000") +
            modernPageClosing(),
        "html -1 @17-811 [<html lang=\"en\">~<head>~<meta charset=…ODY>~</HTML>~]\n"
        "head 0 @35-655 [<head>~<meta charset=\"utf-8\">~<meta na…style>~</head>]\n"
        "meta 1 [<meta charset=\"utf-8\">]\n"
        "meta 1 @67-135 [<meta name=\"viewport\" content=\"width=dev…itial-scale=1\">]\n"
        "title 1 [<title>Mine</title>]\n"
        "meta 1 [<meta name=\"generator\" content=\"Tarnwell\">]\n"
        "style 1 @202-646 [<style>~body { overflow-wrap: break-wor… }~}~</style>]\n"
        "body 0 @657-811 [<body>~<main>~~<p style=\"font-family:…ODY>~</HTML>~]\n"
        "main 7 @665-793 [<main>~~<p style=\"font-family: Arial, …\">Hi</p></main>]\n"
        "p 8 @675-786 [<p style=\"font-family: Arial, Helvetica,…t: bold\">Hi</p>]\n");
    // How an HTML5 parser builds the tree.
    row("P ended by P and by a block", "<P>one<P>two<DIV>three</DIV>",
        top + "p 2 [<P>one]\np 2 [<P>two]\ndiv 2 [<DIV>three</DIV>]\n");
    row("misnested, cloned", "<b><i></b>x</i>", top + "b 2 [<b><i></b>]\ni 3 [<i>]\ni 2\n");
    row("fostered out of a table", "<TABLE><TR><TD>a</TD></TR><P>lost</P><B>bold</TABLE>",
        top + "p 2 [<P>lost</P>]\n"
              "b 2 [<B>bold]\n"
              "table 2 [<TABLE><TR><TD>a</TD></TR><P>lost</P><B>bold</TABLE>]\n"
              "tbody 5\n"
              "tr 6 [<TR><TD>a</TD></TR>]\n"
              "td 7 [<TD>a</TD>]\n");
    row("template", "<template><p>in</p></template><p>out",
        "html -1\nhead 0\ntemplate 1 [<template><p>in</p></template>]\nbody 0\np 3 [<p>out]\n");
    row("noscript", "<p><noscript><img src=\"x.gif\"><p></noscript>after",
        top + "p 2 [<p><noscript><img src=\"x.gif\"><p></noscript>after]\n"
              "noscript 3 [<noscript><img src=\"x.gif\"><p></noscript>]\n");
    row("noscript in the head", "<head><noscript><img src=x></noscript><title>t</title></head><p>",
        "html -1\n"
        "head 0 @0-61 [<head><noscript><img src=x></noscript><t…</title></head>]\n"
        "noscript 1 [<noscript><img src=x></noscript>]\n"
        "title 1 [<title>t</title>]\n"
        "body 0\n"
        "p 4 [<p>]\n");
    row("noscript ending inside a comment", "<noscript><!-- </noscript> --><p>x",
        "html -1\nhead 0\nnoscript 1 [<noscript><!-- </noscript>]\nbody 0\np 3 [<p>x]\n");
    row("script and style",
        "<script>if (a</b) "
        "document.write('<p>')</script><style>p::after{content:'</style'}</style><p>x",
        "html -1\n"
        "head 0\n"
        "script 1 [<script>if (a</b) document.write('<p>')</script>]\n"
        "style 1 [<style>p::after{content:'</style'}</style>]\n"
        "body 0\n"
        "p 4 [<p>x]\n");
    row("comments", "<!-- <p> --><p>a<!-- </p> -->b</p>", top + "p 2 [<p>a<!-- </p> -->b</p>]\n");
    row("attributes holding >", "<p title=\"a>b\" data-x='<i>'>x</p>",
        top + "p 2 [<p title=\"a>b\" data-x='<i>'>x</p>]\n");
    row("character references", "<p>&lt;b&gt; &amp;&eacute;&#x1F600;</p><b>",
        top + "p 2 [<p>&lt;b&gt; &amp;&eacute;&#x1F600;</p>]\nb 2 [<b>]\n");
    row("CR LF", "<p>a\r\n<br>\r\n</p>", top + "p 2 [<p>a~<br>~</p>]\nbr 3 [<br>]\n");
    row("U+2029", QString::fromUtf16(u"<p>a\u2029<br>\u2029</p>"),
        top + "p 2 [<p>a\u2029<br>\u2029</p>]\nbr 3 [<br>]\n");
    row("U+2028", QString::fromUtf16(u"<p>a\u2028<br>\u2028</p>"),
        top + "p 2 [<p>a\u2028<br>\u2028</p>]\nbr 3 [<br>]\n");
    row("lone CR", "<p>a\r<br>\r</p>", top + "p 2 [<p>a\r<br>\r</p>]\nbr 3 [<br>]\n");
    row("surrogate pair", QString::fromUtf16(u"😀<b>x</b>"), top + "b 2 [<b>x</b>]\n");
    row("lone surrogate", QString(QChar(0xD800)) + "<b>x</b>" + QChar(0xDC00) + "<i>",
        top + "b 2 [<b>x</b>]\ni 2 [<i>]\n");
    row("unknown tags", "<My-Card><x-y>a</x-y></My-Card>",
        top + "my-card 2 [<My-Card><x-y>a</x-y></My-Card>]\nx-y 3 [<x-y>a</x-y>]\n");
    row("SVG", "<svg><clipPath><rect/></clipPath><foreignObject><p>x</p></foreignObject></svg>",
        top + "svg 2 @0-78 [<svg><clipPath><rect/></clipPath><foreig…gnObject></svg>]\n"
              "clipPath 3 [<clipPath><rect/></clipPath>]\n"
              "rect 4 [<rect/>]\n"
              "foreignObject 3 [<foreignObject><p>x</p></foreignObject>]\n"
              "p 6 [<p>x</p>]\n");
    row("select", "<select><option>a<option>b</select><p>",
        top + "select 2 [<select><option>a<option>b</select>]\n"
              "option 3 [<option>a]\n"
              "option 3 [<option>b]\n"
              "p 2 [<p>]\n");
    row("frameset", "<frameset><frame src=a.html></frameset>",
        "html -1\n"
        "head 0\n"
        "frameset 0 [<frameset><frame src=a.html></frameset>]\n"
        "frame 2 [<frame src=a.html>]\n");
    row("after the body's end tag", "<body><p>a</p></body><p>b</html>",
        "html -1\nhead 0\nbody 0 [<body><p>a</p></body><p>b]\np 2 [<p>a</p>]\np 2 [<p>b]\n");
    row("tag cut off", "<p>a</p><div", top + "p 2 [<p>a</p>]\n");
    // gumbo is given MAIN as NAV, which ends no "</span>" either.
    row("MAIN not ended by an end tag of what holds it", "<span><main></span>x</main>y",
        top + "span 2 [<span><main></span>x</main>y]\nmain 3 [<main></span>x</main>]\n");
    // Where gumbo parts from browsers the list stops.
    row("ISINDEX", "<p>a<isindex><p>b", top);
    row("end tag of another unknown element", "<p>a</p><x-a><x-b>b</x-a>c",
        top + "p 2 [<p>a</p>]\n");
    row("DIALOG", "<p>a<dialog>b", top);
    row("tags in a SELECT", "<p>a<select><option><b>x</b></select>", top);
    row("</br> in SVG", "<p>a<svg><g></br></svg>", top);
    row("MAIN where NAV and DIR are used", "<nav></nav><dir></dir><main>x",
        top + "nav 2 [<nav></nav>]\ndir 2 [<dir></dir>]\n");
    row("TEMPLATE giving a shadow root",
        "<div><template shadowrootmode=\"open\">x</template></div>", top);
    row("formatting rebuilt before NOSCRIPT", "<p><b>x</p><noscript>y</noscript>z",
        top + "p 2 [<p><b>x</p>]\nb 3 [<b>x]\n");
    row("NOSCRIPT ended inside a comment shows the next",
        "<noscript><!--</noscript><noscript><!--</noscript>",
        "html -1\n"
        "head 0\n"
        "noscript 1 [<noscript><!--</noscript>]\n"
        "noscript 1 @25 [<noscript><!--</noscript>]\n"
        "body 0\n");
}

void TestPageElements::elements()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(render(text, pageElements(text)), expected);
}

// Pages built to make the parser take too long, too much memory or too deep a
// stack: the list is whole, or empty, and the run goes on.
void TestPageElements::hostile_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<qsizetype>("lastStart"); // where the last element begins

    // gumbo's own freeing of this tree overflows the stack. Browsers hang
    // what lies deeper than 512 levels elsewhere, so the list stops there.
    QTest::newRow("nested a million deep")
        << QStringLiteral("<span>").repeated(1000000) << 513 << qsizetype(509 * 6);
    // gumbo frees the body that a FRAMESET replaces by recursion.
    QTest::newRow("FRAMESET after a deep body")
        << QStringLiteral("<span>").repeated(50000) + u"<frameset>"_qs << 0 << qsizetype(-1);
    // Each "x" clones every B again: a thousand elements for each 8 bytes.
    QString cloned = u"<p>"_qs;
    for (int i = 0; i < 1000; ++i)
        cloned += u"<b id=%1>"_qs.arg(i);
    cloned += u"</p>"_qs + u"<p>x</p>"_qs.repeated(2000);
    QTest::newRow("formatting elements cloned over and over") << cloned << 0 << qsizetype(-1);
    // Each blanked NOSCRIPT shows the next, whose comment hides the rest.
    QTest::newRow("NOSCRIPTs each hiding the next")
        << u"<noscript><!--</noscript>"_qs.repeated(6) << 0 << qsizetype(-1);
}

void TestPageElements::hostile()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(qsizetype, lastStart);
    const std::vector<ElementSpan> elements = pageElements(text);
    QCOMPARE(int(elements.size()), count);
    if (count > 0)
        QCOMPARE(elements.back().start, lastStart);
}

void TestPageElements::lookups_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("position"); // for elementAt, or -1
    QTest::addColumn<int>("index");          // for elementForClick
    QTest::addColumn<QString>("tag");
    QTest::addColumn<int>("expected");

    const QString nested = u"<div><p>ab</p></div> <p>c</p>"_qs;
    QTest::newRow("inner") << nested << qsizetype(8) << 0 << QString() << 4;
    QTest::newRow("outer, its start tag") << nested << qsizetype(0) << 0 << QString() << 3;
    QTest::newRow("outer, its end tag") << nested << qsizetype(19) << 0 << QString() << 3;
    QTest::newRow("between elements") << nested << qsizetype(20) << 0 << QString() << -1;
    QTest::newRow("at the end") << nested << qsizetype(29) << 0 << QString() << -1;
    QTest::newRow("implied html, nothing in the text")
        << nested << qsizetype(-1) << 0 << u"html"_qs << -1;
    const QString table = u"<table><tr><td>x</table>"_qs;
    QTest::newRow("click in the text") << table << qsizetype(-1) << 6 << u"td"_qs << 6;
    QTest::newRow("click on implied TBODY") << table << qsizetype(-1) << 4 << u"tbody"_qs << 3;
    QTest::newRow("click, tags differ") << table << qsizetype(-1) << 4 << u"tr"_qs << -1;
    QTest::newRow("click past the end") << table << qsizetype(-1) << 7 << u"td"_qs << -1;
    QTest::newRow("click before the start") << table << qsizetype(-1) << -1 << u"html"_qs << -1;
}

void TestPageElements::lookups()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, position);
    QFETCH(int, index);
    QFETCH(QString, tag);
    QFETCH(int, expected);
    const std::vector<ElementSpan> elements = pageElements(text);
    QCOMPARE(position >= 0 ? elementAt(elements, position) : elementForClick(elements, index, tag),
             expected);
}

void TestPageElements::firstDifference_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<qsizetype>("expected");
    QTest::newRow("same") << u"<p>ab"_qs << u"<p>ab"_qs << qsizetype(5);
    QTest::newRow("both empty") << QString() << QString() << qsizetype(0);
    QTest::newRow("typed in the middle") << u"<p>ab"_qs << u"<p>aXb"_qs << qsizetype(4);
    QTest::newRow("added at the end") << u"<p>"_qs << u"<p>ab"_qs << qsizetype(3);
    QTest::newRow("in a surrogate pair's second half")
        << QString::fromUtf16(u"a\U0001F600") << QString::fromUtf16(u"a\U0001F601") << qsizetype(1);
}

void TestPageElements::firstDifference()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(qsizetype, expected);
    QCOMPARE(tarnwell::firstDifference(before, after), expected);
}

QTEST_APPLESS_MAIN(TestPageElements)
#include "tst_page_elements.moc"
