#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// Where each element of a page stands in its text, so that an element the
// browser names by its place in the document and the code in the text field
// can be found from each other.
namespace tarnwell {

// One element of a page as an HTML5 parser builds the tree, in document order.
struct ElementSpan
{
    QString tag; // the DOM's localName: "p", "img", "font"; an unknown tag lower-cased as written
    int parent = -1;      // index of its parent element, -1 for the root
    qsizetype start = -1; // where its start tag begins in the text; -1 when the parser made it up
                          // (implied html/head/body/tbody, an element the parser cloned)
    qsizetype end = -1;   // just after its end tag; without one in the text, just after the last
                          // thing it holds (its start tag when it holds nothing); -1 as start.
                          // A body or html that holds text after its end tag ends after that.
};

// Every element of the page, in the order of document.getElementsByTagName("*").
// Positions count UTF-16 code units of text, as QTextCursor counts them: a line break
// may be CR LF, LF, CR, U+2029 (how QTextDocument parts its blocks) or U+2028, and
// counts as many units as it has in text.
//
// Where the parser's tree and a browser's go apart (see page_elements.cpp), the list
// stops before the first element that may differ, so that no click past it selects
// the wrong code. A page that would take the parser too long, too much memory or too
// deep a stack gives an empty list. Reentrant; time and memory grow with the text's
// length, apart from the parser's own worst cases, which are cut short.
std::vector<ElementSpan> pageElements(QStringView text);

// The innermost element whose code holds the position (start <= position < end), else -1.
int elementAt(const std::vector<ElementSpan> &elements, qsizetype position);

// The element whose code to select for a click on element `index` whose tag the browser
// reports as `tag`: the element itself, or, when the parser made it up, its nearest
// ancestor that stands in the text. -1 when the index is out of range or the tags differ
// (the browser's tree and the parser's went apart, e.g. after a page's script changed it).
int elementForClick(const std::vector<ElementSpan> &elements, int index, const QString &tag);

// Where two versions of a text first differ (the length of their common beginning),
// never between the halves of a surrogate pair.
qsizetype firstDifference(QStringView before, QStringView after);

} // namespace tarnwell
