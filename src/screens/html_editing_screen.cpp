#include "html_editing_screen.h"

#include "more_advice_screen.h"
#include "selection_screen.h"
#include "ui/controls.h"
#include "ui/workspace.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

namespace tarnwell {

namespace {
constexpr int kPictureSize = 120;

// A sheet of code with a pencil on it. Drawn here rather than loaded, since
// reading SVG would need a Qt module the program does not otherwise use.
QPixmap editingPicture()
{
    const qreal ratio = qGuiApp->devicePixelRatio();
    QPixmap pixmap(QSize(kPictureSize, kPictureSize) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    // The sheet, its top right corner folded over.
    QPainterPath sheet;
    sheet.moveTo(14, 8);
    sheet.lineTo(78, 8);
    sheet.lineTo(96, 26);
    sheet.lineTo(96, 112);
    sheet.lineTo(14, 112);
    sheet.closeSubpath();
    painter.setPen(QPen(QColor(0x5a, 0x6b, 0x7d), 2));
    painter.setBrush(Qt::white);
    painter.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(78, 8);
    fold.lineTo(78, 26);
    fold.lineTo(96, 26);
    painter.setBrush(QColor(0xdf, 0xe8, 0xf0));
    painter.drawPath(fold);

    // A few lines of code: tags in blue, the words between them as grey bars.
    QFont code(QStringLiteral("monospace"));
    code.setStyleHint(QFont::TypeWriter);
    code.setPixelSize(9);
    code.setBold(true);
    painter.setFont(code);
    const struct
    {
        int indent;
        const char *tag;
        int words;
    } lines[] = {{0, "<B>", 26}, {6, "<BR>", 20}, {6, "<P>", 30}, {0, "</B>", 14}};
    int y = 40;
    for (const auto &line : lines) {
        const QString tag = QLatin1String(line.tag);
        const int x = 22 + line.indent;
        painter.setPen(QColor(0x1f, 0x5f, 0xb4));
        painter.drawText(x, y, tag);
        const int wordsAt = x + painter.fontMetrics().horizontalAdvance(tag) + 3;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xb8, 0xc2, 0xcc));
        painter.drawRoundedRect(QRectF(wordsAt, y - 6, line.words, 5), 2, 2);
        y += 16;
    }

    // The pencil, lying across the bottom right of the sheet.
    painter.translate(92, 92);
    painter.rotate(-45);
    painter.setPen(QPen(QColor(0x4a, 0x3b, 0x20), 1.5));
    painter.setBrush(QColor(0xf2, 0xc1, 0x3d));
    painter.drawRect(QRectF(-6, -40, 12, 38));
    painter.setBrush(QColor(0xe8, 0x8a, 0x9a));
    painter.drawRect(QRectF(-6, -48, 12, 8));
    QPainterPath point;
    point.moveTo(-6, -2);
    point.lineTo(6, -2);
    point.lineTo(0, 14);
    point.closeSubpath();
    painter.setBrush(QColor(0xf3, 0xdc, 0xb0));
    painter.drawPath(point);
    QPainterPath lead;
    lead.moveTo(-2, 9);
    lead.lineTo(2, 9);
    lead.lineTo(0, 14);
    lead.closeSubpath();
    painter.setBrush(QColor(0x33, 0x33, 0x33));
    painter.drawPath(lead);
    return pixmap;
}
} // namespace

HtmlEditingScreen::HtmlEditingScreen(Workspace &workspace, QWidget *parent)
    : AdviceScreen(workspace, "Form22", QStringLiteral("HTML Editing"), parent)
{
    auto *picture = named(new QLabel(this), "Image1");
    picture->setPixmap(editingPicture());
    picture->setFixedSize(kPictureSize, kPictureSize);
    addPicture(picture);

    addText("Label1",
            QStringLiteral(
                "The HTML code you see in the white textbox may be edited carefully. For "
                "example, you can change a font size such as SIZE=\"4\" to SIZE=\"5\" to make "
                "the text bigger. If you start bold text with \"<B>\", you must end it with "
                "\"</B>\". The MouseOver code is best left alone, except that every NAME= in it "
                "must be unique, with no two the same, or the MouseOver will not work."));
    addText("Label2",
            QStringLiteral(
                "If you are a beginner, you'll be surprised to discover that in HTML code, "
                "adding spaces and carriage-returns, or putting in loads of paragraph breaks "
                "has no effect. For more space downwards, type \"<BR>\" a few times. For more "
                "space between images or pieces of text, add non-breaking spaces: type &nbsp; "
                "once for each space you want."));
    addText("Label3",
            QStringLiteral(
                "Web pages are effective if they are not too long. Several small pages linked "
                "to each other work better than one long page. Use only a few photographs, and "
                "save them as small .jpg files of medium quality, so that your page loads "
                "quickly. If your photos do not show once your page is on the web, there are "
                "two usual reasons: the photo is not in the same folder as the page, or the "
                "upper and lower case letters of its name are not the same as in your page. "
                "Web servers are case-sensitive, so to them Photo1.jpg and photo1.jpg are two "
                "different files."));
    QPushButton *back = addButton("Command1", QStringLiteral("Back"));
    QPushButton *more = addButton("Command2", QStringLiteral("More"));
    more->setDefault(true);
    connect(back, &QPushButton::clicked, this, &HtmlEditingScreen::back);
    connect(more, &QPushButton::clicked, this, &HtmlEditingScreen::more);
    fitToText(640);
}

void HtmlEditingScreen::closeEvent(QCloseEvent *event)
{
    event->ignore();
    back();
}

void HtmlEditingScreen::back()
{
    hide();
    bringToFront(m_workspace.screen<SelectionScreen>());
}

void HtmlEditingScreen::more()
{
    hide();
    bringToFront(m_workspace.screen<MoreAdviceScreen>());
}

} // namespace tarnwell
