#pragma once

#include <QString>

namespace tarnwell {

enum class HeadingFont { TimesRoman, ArialHelvetica };

// The main heading as four pieces, written one after the other.
struct HeadingFragment
{
    QString before;  // "<CENTER>" or empty
    QString opening; // size tag, FONT tag and the heading text
    QString closing; // "</FONT></Hn>"
    QString after;   // "</CENTER>" or empty

    QString text() const { return before + opening + closing + after; }
    bool operator==(const HeadingFragment &other) const
    {
        return before == other.before && opening == other.opening && closing == other.closing &&
               after == other.after;
    }
};

// The start of every page, from <HTML> to </HEAD>, each line ended by CR LF.
// A typed description takes the place of Tarnwell's own and its keywords,
// which a search engine would show as the page's description.
QString buildHeadText(const QString &title, const QString &description = {});

// FACE value written for a font choice.
QString faceValue(HeadingFont font);

// size is 1, 2 or 3; hexColour is six digits without "#".
HeadingFragment buildHeading(const QString &text, int size, const QString &hexColour,
                             HeadingFont font, bool centred);

} // namespace tarnwell
