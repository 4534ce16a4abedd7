#pragma once

#include "head.h"

#include <QString>

// Builders for the text elements added from the Selection screen. Colour
// texts are "#" and six hex digits; typed text is written exactly as typed.
namespace tarnwell {

enum class TextFont { Times, Arial };
enum class Emphasis { Normal, Bold, Italic };

// CR LF, the FONT tag, the text in its emphasis, "</FONT>", "<P></P>".
// size is 1 to 7.
QString buildParagraph(const QString &text, TextFont font, int size, Emphasis emphasis,
                       const QString &colour);

// A further heading: the FONT tag encloses the heading tags. size is 1 to 3.
QString buildHeadingElement(const QString &text, int size, HeadingFont font, const QString &colour,
                            bool centred);

// CR LF and a rule, width such as "75%".
QString buildRule(const QString &width);

} // namespace tarnwell
