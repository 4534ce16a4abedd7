#pragma once

#include "head.h"

#include <QString>

namespace tarnwell {

// Which background the page gets; None once the gallery was opened after a
// plain colour and no texture was taken.
enum class BackgroundChoice { PlainColour, OwnFile, Gallery, None };

// What follows "<BODY " on an untouched Background screen: white.
QString defaultBodyAttributes();

// "BGCOLOR= \"#RRGGBB\">" for six hex digits.
QString plainColourAttributes(const QString &hexColour);

// "BACKGROUND=\"name\">" for a texture file's bare name.
QString textureFileAttributes(const QString &fileName);

// The BODY line with its CR LF, or nothing at all for None.
QString buildBodyLine(BackgroundChoice choice, const QString &bodyAttributes,
                      const QString &galleryName);

// The first text of a new page: head text, BODY line and main heading.
QString buildPageStart(const QString &title, const QString &bodyLine,
                       const HeadingFragment &heading, const QString &description = {});

} // namespace tarnwell
