// Writes the pages the web checks look at into the folder named on the
// command line: every kind of element and choice in a modern page, the worked
// example made modern, and the classic worked example to measure beside it,
// each also with a photo 1,600 pixels wide, with the picture files they show. Sizes are read back
// from the files as the program reads them.

#include "document/page_file.h"
#include "document/picture_header.h"
#include "html/modern.h"
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
    return image.save(g_folder + QLatin1Char('/') + name);
}

PagePicture picture(const QString &file, const QString &alt)
{
    return {file, alt, readPicture(g_folder + QLatin1Char('/') + file).size};
}

ModernMouseOver mouseOver(const QString &file, const QString &over, const QString &alt)
{
    return {picture(file, alt), over};
}

bool writePage(const QString &name, const QString &body)
{
    const QString text = body + CRLF + modernPageClosing() + CRLF;
    return test::writeBytes(g_folder + QLatin1Char('/') + name,
                            encodePage(text, PageEncoding::Utf8));
}

QString workedExample()
{
    return modernHeadText(QStringLiteral("My page"), QStringLiteral("en"), QString()) +
           modernBodyLine(BackgroundChoice::PlainColour, QStringLiteral("FFFFFF"), QString()) +
           modernHeading(QStringLiteral("Welcome"), 1, QStringLiteral("0000FF"),
                         HeadingFont::TimesRoman, false)
               .text() +
           modernParagraph(QStringLiteral("Hello"), TextFont::Times, 4, Emphasis::Normal,
                           QStringLiteral("#000000"));
}

// The worked example's page body as the classic page has it: the saved file
// without its closing lines.
QString classicWorkedExample()
{
    const QString file = QString::fromLatin1(test::kWorkedExampleFile);
    return file.left(file.indexOf(CRLF + pageClosing()));
}

QString everyElement()
{
    const QString black = QStringLiteral("#000000");
    const QString green = QStringLiteral("#006400");
    const QString sentence = QStringLiteral(
        "The lake lies in a fold of the hills, an hour's walk from the village; in winter it "
        "freezes from the edges inward and the children skate on it.");
    QString page =
        modernHeadText(QStringLiteral("Every choice & \"more\""), QStringLiteral("en-GB"),
                       QStringLiteral("A page that holds every element: \"quotes\" & all")) +
        modernBodyLine(BackgroundChoice::Gallery, QString(), QStringLiteral("paper tile.png")) +
        modernHeading(QStringLiteral("Everything"), 1, QStringLiteral("800000"),
                      HeadingFont::ArialHelvetica, true)
            .text();
    page += modernParagraph(sentence, TextFont::Times, 4, Emphasis::Normal, black);
    page += modernParagraph(QStringLiteral("Small and bold."), TextFont::Arial, 1, Emphasis::Bold,
                            green);
    page += modernParagraph(QStringLiteral("Size two, italic."), TextFont::Times, 2,
                            Emphasis::Italic, black);
    page += modernParagraph(QStringLiteral("Big"), TextFont::Arial, 7, Emphasis::Normal, black);
    page += modernHeadingElement(QStringLiteral("Pictures"), 2, HeadingFont::TimesRoman,
                                 QStringLiteral("#000080"), false);
    page += modernSinglePicture(picture(QStringLiteral("photo 1600.jpg"),
                                        QStringLiteral("A wide view of the lake at dawn")),
                                false);
    page += modernSinglePicture(picture(QStringLiteral("left.png"), QString()), true);
    page +=
        modernTwoPictures(picture(QStringLiteral("left.png"), QStringLiteral("The boat")),
                          picture(QStringLiteral("right.png"), QStringLiteral("The jetty")), false);
    page += modernTwoPictures(
        picture(QStringLiteral("left.png"), QStringLiteral("The boat")),
        picture(QStringLiteral("photo 1600.jpg"), QStringLiteral("The lake, wide")), true);
    page += modernRule(QStringLiteral("75%"));
    page += modernHeadingElement(QStringLiteral("Text and pictures"), 3,
                                 HeadingFont::ArialHelvetica, black, true);
    page +=
        modernTextAndPicture(picture(QStringLiteral("left.png"), QStringLiteral("The boat")),
                             sentence, black, TextPictureFont::Times, QStringLiteral("3"), true);
    page += modernTextAndPicture(
        picture(QStringLiteral("photo 1600.jpg"), QStringLiteral("Tom & \"Jerry\" at the lake")),
        QStringLiteral("Beside the big picture,\r\non two lines."), green, TextPictureFont::Arial,
        QStringLiteral("5"), false);
    page += modernLineBreak();
    page += modernRule(QStringLiteral("100%"));
    page += modernParagraphBreak();
    page += modernRule(QStringLiteral("50%"));
    page += modernHeadingElement(QStringLiteral("Links"), 2, HeadingFont::TimesRoman, black, false);
    page += modernTextLink(QStringLiteral("worked.html"), QStringLiteral("The worked example"),
                           LinkFont::Times, false, QStringLiteral("3"), QStringLiteral("0000FF"),
                           false);
    page += modernTextLink(QStringLiteral("worked.html?from=every&to=top#top"),
                           QStringLiteral("Bold, centred, Arial"), LinkFont::Arial, true,
                           QStringLiteral("4"), QStringLiteral("800000"), true);
    const ModernMouseOver home = mouseOver(QStringLiteral("home.png"),
                                           QStringLiteral("home over.png"), QStringLiteral("Home"));
    const ModernMouseOver news = mouseOver(QStringLiteral("news.png"),
                                           QStringLiteral("news-over.png"), QStringLiteral("News"));
    page += modernMouseOverPictures(home, nullptr, false);
    page += modernMouseOverPictures(home, &news, true);
    page += modernMouseOverButton(QStringLiteral("worked.html"), home, true);
    page += modernMouseOverButton(QStringLiteral("worked.html"), news, false);
    page += modernMouseOverButton(QStringLiteral("every.html"), home, false);
    const QList<PictureButton> buttons = {
        {QStringLiteral("worked.html"), picture(QStringLiteral("news.png"), QStringLiteral("One"))},
        {QStringLiteral("every.html"), picture(QStringLiteral("home.png"), QStringLiteral("Two"))},
        {QStringLiteral("worked.html"),
         picture(QStringLiteral("news-over.png"), QStringLiteral("Three"))},
    };
    page += modernButtonLinks(ButtonLayout::ThreeAcross, buttons);
    page += modernButtonLinks(ButtonLayout::TwoDown, buttons);
    page += modernButtonLinks(ButtonLayout::OneButton, buttons);
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
    written =
        written && writePage(QStringLiteral("every.html"), everyElement()) &&
        writePage(QStringLiteral("worked.html"), workedExample()) &&
        writePage(QStringLiteral("worked-photo.html"),
                  workedExample() + modernSinglePicture(picture(QStringLiteral("photo 1600.jpg"),
                                                                QStringLiteral("The lake at dawn")),
                                                        false)) &&
        test::writeBytes(g_folder + QStringLiteral("/classic.html"), test::kWorkedExampleFile) &&
        test::writeBytes(
            g_folder + QStringLiteral("/classic-photo.html"),
            savedPageBytes(classicWorkedExample() +
                               buildSinglePicture(QStringLiteral("photo 1600.jpg"), false),
                           PageEncoding::Windows1252));
    if (!written) {
        std::fprintf(stderr, "web_pages: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
