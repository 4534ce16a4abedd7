#pragma once

#include <QString>

// Builders for the picture elements. Pictures are named by their bare file
// names and carry no size attributes.
namespace tarnwell {

// CR LF, the picture (centred or not), "<P></P>".
QString buildSinglePicture(const QString &name, bool centred);

// Two pictures on one line, four no-break spaces apart.
QString buildTwoPictures(const QString &first, const QString &second, bool centred);

enum class TextPictureFont { Times, Arial };

// A one-row table: a picture in one cell, the text in the other. colour is
// "#" and six digits; size is "3", "4" or "5".
QString buildTextAndPicture(const QString &picture, const QString &text, const QString &colour,
                            TextPictureFont font, const QString &size, bool pictureLeft);

} // namespace tarnwell
