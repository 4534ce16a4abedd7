// Writes the pages the web checks look at into the folder named on the
// command line: every kind of element and choice in a modern page, the worked
// example made modern, and the classic worked example to measure beside it,
// each also with a photo 1,600 pixels wide, with the picture files they show;
// and every kind of element in a classic page, for the live page's clicks.
// Sizes are read back from the files as the program reads them.

#include "document/page_file.h"
#include "document/picture_header.h"
#include "html/background.h"
#include "html/breaks.h"
#include "html/elements.h"
#include "html/links.h"
#include "html/modern.h"
#include "html/pictures.h"
#include "html/text.h"
#include "support/files.h"
#include "support/worked_example.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdio>

using namespace tarnwell;

namespace {
QString g_folder;

// A picture of two colours: a frame and a diagonal band, so a shrunk or
// stretched picture shows as such in a screenshot.
bool writePicture(const QString &name, QSize size, QColor fill, QColor band)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    QPainter painter(&image);
    painter.setPen(QPen(band, qMax(2, size.height() / 12)));
    painter.drawRect(image.rect().adjusted(1, 1, -2, -2));
    painter.drawLine(QPoint(0, size.height()), QPoint(size.width(), 0));
    painter.end();
    return image.save(g_folder + u'/' + name);
}

PagePicture picture(const QString &file, const QString &alt)
{
    return {file, alt, readPicture(g_folder + u'/' + file).size};
}

bool writeFile(const QString &name, const QByteArray &bytes)
{
    return test::writeBytes(g_folder + u'/' + name, bytes);
}

bool writePage(const QString &name, const QString &body)
{
    return writeFile(name,
                     encodePage(body + CRLF + modernPageClosing() + CRLF, PageEncoding::Utf8));
}

QString workedExample()
{
    return modernHeadText("My page", "en", {}) +
           modernBodyLine(BackgroundChoice::PlainColour, "FFFFFF", {}) +
           modernHeading("Welcome", 1, "0000FF", HeadingFont::TimesRoman, false).text() +
           modernParagraph("Hello", TextFont::Times, 4, Emphasis::Normal, "#000000");
}

QString everyElement()
{
    const QString black = "#000000";
    const QString green = "#006400";
    const QString sentence =
        "The lake lies in a fold of the hills, an hour's walk from the village; "
        "in winter it "
        "freezes from the edges inward and the children skate on it.";
    const PagePicture photo = picture("photo 1600.jpg", "A wide view of the lake at dawn");
    const PagePicture boat = picture("left.png", "The boat");
    QString page =
        modernHeadText("Every choice & \"more\"", "en-GB",
                       "A page that holds every element: \"quotes\" & all") +
        modernBodyLine(BackgroundChoice::Gallery, {}, "paper tile.png") +
        modernHeading("Everything", 1, "800000", HeadingFont::ArialHelvetica, true).text();
    page += modernParagraph(sentence, TextFont::Times, 4, Emphasis::Normal, black);
    page += modernParagraph("Small and bold.", TextFont::Arial, 1, Emphasis::Bold, green);
    page += modernParagraph("Size two, italic.", TextFont::Times, 2, Emphasis::Italic, black);
    page += modernParagraph("Big", TextFont::Arial, 7, Emphasis::Normal, black);
    page += modernHeadingElement("Pictures", 2, HeadingFont::TimesRoman, "#000080", false);
    page += modernSinglePicture(photo, false);
    page += modernSinglePicture(picture("left.png", {}), true);
    page += modernTwoPictures(boat, picture("right.png", "The jetty"), false);
    page += modernTwoPictures(boat, picture("photo 1600.jpg", "The lake, wide"), true);
    page += modernRule("75%");
    page += modernHeadingElement("Text and pictures", 3, HeadingFont::ArialHelvetica, black, true);
    page += modernTextAndPicture(boat, sentence, black, TextPictureFont::Times, "3", true);
    page += modernTextAndPicture(picture("photo 1600.jpg", "Tom & \"Jerry\" at the lake"),
                                 "Beside the big picture,\r\non two lines.", green,
                                 TextPictureFont::Arial, "5", false);
    page += modernLineBreak() + modernRule("100%") + modernParagraphBreak() + modernRule("50%");
    page += modernHeadingElement("Links", 2, HeadingFont::TimesRoman, black, false);
    page += modernTextLink("worked.html", "The worked example", LinkFont::Times, false, "3",
                           "0000FF", false);
    page += modernTextLink("worked.html?from=every&to=top#top", "Bold, centred, Arial",
                           LinkFont::Arial, true, "4", "800000", true);
    const ModernMouseOver home{picture("home.png", "Home"), "home over.png"};
    const ModernMouseOver news{picture("news.png", "News"), "news-over.png"};
    page += modernMouseOverPictures(home, nullptr, false);
    page += modernMouseOverPictures(home, &news, true);
    page += modernMouseOverButton("worked.html", home, true);
    page += modernMouseOverButton("worked.html", news, false);
    page += modernMouseOverButton("every.html", home, false);
    const QList<PictureButton> buttons = {{"worked.html", picture("news.png", "One")},
                                          {"every.html", picture("home.png", "Two")},
                                          {"worked.html", picture("news-over.png", "Three")}};
    page += modernButtonLinks(ButtonLayout::ThreeAcross, buttons);
    page += modernButtonLinks(ButtonLayout::TwoDown, buttons);
    page += modernButtonLinks(ButtonLayout::OneButton, buttons);
    // The smallest text, long enough to fill the widest column, and a line
    // of its own.
    page += modernParagraph(sentence + ' ' + sentence + "\r\nA line of its own.", TextFont::Times,
                            2, Emphasis::Normal, black);
    return page;
}
QString everyClassicElement()
{
    const QString black = "#000000";
    QString page = buildPageStart("Every kind", buildBodyLine(BackgroundChoice::PlainColour,
                                                               plainColourAttributes("FFFFE0"), {}),
                                  buildHeading("Everything", 1, "800000", HeadingFont::ArialHelvetica,
                                               true));
    page += buildParagraph("A paragraph of words.", TextFont::Times, 4, Emphasis::Normal, black);
    page += buildParagraph("Bold words.", TextFont::Arial, 3, Emphasis::Bold, "#006400");
    page += buildHeadingElement("Pictures", 2, HeadingFont::TimesRoman, "#000080", false);
    page += buildSinglePicture("left.png", false);
    page += buildSinglePicture("right.png", true);
    page += buildTwoPictures("left.png", "right.png", false);
    page += buildRule("75%");
    page += buildTextAndPicture("left.png", "Words beside a picture.", black,
                                TextPictureFont::Arial, "3", true);
    page += lineBreak() + paragraphBreak();
    page += BuildTextLink("classic.html", "A link", LinkFont::Times, false, "3", "0000FF", false)
                .join(QString());
    const MouseOverPicture home{"homepic", "home.png", "home over.png"};
    const MouseOverPicture news{"newspic", "news.png", "news-over.png"};
    page += buildMouseOverPictures(home, &news, true);
    page += BuildMouseOverButton(1, "classic.html", "home.png", "home over.png", true);
    page += buildButtonLinks(ButtonLayout::TwoDown,
                             {{"classic.html", "news.png"}, {"every.html", "home.png"}});
    return page;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv); // for the picture formats' plugins
    if (argc != 2) {
        std::fprintf(stderr, "usage: web_pages FOLDER\n");
        return 2;
    }
    g_folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(g_folder);
    const struct
    {
        const char *name;
        QSize size;
        QRgb fill, band;
    } pictures[] = {
        {"photo 1600.jpg", {1600, 1000}, 0x6A9FD8, 0x2E5A1C},
        {"left.png", {300, 200}, 0xE8C170, 0x7A3B10},
        {"right.png", {300, 200}, 0x9FD89F, 0x1C4A2E},
        {"home.png", {160, 48}, 0x1A5FB4, 0xFFFFFF},
        {"home over.png", {160, 48}, 0xC01C28, 0xFFFFFF},
        {"news.png", {160, 48}, 0x26A269, 0xFFFFFF},
        {"news-over.png", {160, 48}, 0xE66100, 0xFFFFFF},
        {"paper tile.png", {64, 64}, 0xFFFDF4, 0xF4EEDC},
    };
    bool written = true;
    for (const auto &p : pictures)
        written = written && writePicture(QString::fromUtf8(p.name), p.size, p.fill, p.band);
    // The classic worked example's body is its saved file without the closing
    // lines.
    const QString classic = QString::fromLatin1(test::kWorkedExampleFile);
    const QString classicBody = classic.left(classic.indexOf(CRLF + pageClosing()));
    written =
        written && writePage("every.html", everyElement()) &&
        writePage("worked.html", workedExample()) &&
        writePage("worked-photo.html",
                  workedExample() +
                      modernSinglePicture(picture("photo 1600.jpg", "The lake at dawn"), false)) &&
        writeFile("classic.html", test::kWorkedExampleFile) &&
        writeFile("every-classic.html",
                  savedPageBytes(everyClassicElement(), PageEncoding::Windows1252)) &&
        writeFile("classic-photo.html",
                  savedPageBytes(classicBody + buildSinglePicture("photo 1600.jpg", false),
                                 PageEncoding::Windows1252));
    if (!written) {
        std::fprintf(stderr, "web_pages: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
