#include "head.h"

#include "text.h"

namespace tarnwell {

namespace {
const QString kDescription = QStringLiteral(
    " Tarnwell - the fast HTML page writer. It's FREEWARE and it's fast! Create good-looking "
    "pages with simple effects. MouseOver pictures and links easily created.");
const QString kKeywords = QStringLiteral(
    "HTML, Freeware, freeware, web, editor, Internet, Education, education, computing");

QString metaLine(const QString &name, const QString &content)
{
    return QStringLiteral("<META name=\"") + name + QStringLiteral("\" content=\"") + content +
           QStringLiteral("\">") + CRLF;
}
} // namespace

QString buildHeadText(const QString &title, const QString &description)
{
    const QString meta = description.isEmpty()
                             ? metaLine(QStringLiteral("description"), kDescription) +
                                   metaLine(QStringLiteral("keywords"), kKeywords)
                             : metaLine(QStringLiteral("description"), attributeText(description));
    return QStringLiteral("<HTML>") + CRLF + QStringLiteral("<HEAD>") + CRLF +
           QStringLiteral("<TITLE>") + title + QStringLiteral("</TITLE>") + CRLF + meta +
           QStringLiteral("</HEAD>") + CRLF;
}

QString faceValue(HeadingFont font)
{
    return font == HeadingFont::ArialHelvetica ? QStringLiteral("Arial, Helvetica")
                                               : QStringLiteral("Times New Roman");
}

HeadingFragment buildHeading(const QString &text, int size, const QString &hexColour,
                             HeadingFont font, bool centred)
{
    const QString level = QString::number(size < 1 || size > 3 ? 1 : size);
    const QString face = QStringLiteral(" FACE=\"") + faceValue(font) + QStringLiteral("\">");

    HeadingFragment fragment;
    fragment.opening = QStringLiteral("<H") + level + QStringLiteral("><FONT COLOR=\"#") +
                       hexColour + QStringLiteral("\"") + face + text;
    fragment.closing = QStringLiteral("</FONT></H") + level + QStringLiteral(">");
    if (centred) {
        fragment.before = QStringLiteral("<CENTER>");
        fragment.after = QStringLiteral("</CENTER>");
    }
    return fragment;
}

} // namespace tarnwell
