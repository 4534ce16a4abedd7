#include "background.h"

#include "text.h"

namespace tarnwell {

QString defaultBodyAttributes()
{
    return QStringLiteral(" BGCOLOR=\"#FFFFFF\">");
}

QString plainColourAttributes(const QString &hexColour)
{
    return QStringLiteral("BGCOLOR= \"#") + hexColour + QStringLiteral("\">");
}

QString textureFileAttributes(const QString &fileName)
{
    return QStringLiteral("BACKGROUND=\"") + fileName + QStringLiteral("\">");
}

QString buildBodyLine(BackgroundChoice choice, const QString &bodyAttributes,
                      const QString &galleryName)
{
    switch (choice) {
    case BackgroundChoice::PlainColour:
    case BackgroundChoice::OwnFile:
        return QStringLiteral("<BODY ") + bodyAttributes + CRLF;
    case BackgroundChoice::Gallery:
        return QStringLiteral("<BODY BACKGROUND=\"") + galleryName + QStringLiteral("\">") + CRLF;
    case BackgroundChoice::None:
        break;
    }
    return {};
}

QString buildPageStart(const QString &title, const QString &bodyLine,
                       const HeadingFragment &heading, const QString &description)
{
    return buildHeadText(title, description) + bodyLine + heading.text();
}

} // namespace tarnwell
