// Any bytes as a page in the text field: read as UTF-8, or, when the first
// byte is odd, the rest as UTF-16 (lone surrogates and the text document's
// separators included). Every element's code must lie in the text, within
// its parent's, never between the halves of a surrogate pair; elementAt and
// elementForClick must agree with the list.
#include "document/page_elements.h"
#include "page_oracle.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace tarnwell;

namespace {

bool splitsPair(const QString &text, qsizetype at)
{
    return at > 0 && at < text.size() && text[at - 1].isHighSurrogate() &&
           text[at].isLowSurrogate();
}

// The nearest ancestor that stands in the text, or -1.
int realAncestor(const std::vector<ElementSpan> &elements, int index)
{
    int at = elements[std::size_t(index)].parent;
    while (at >= 0 && elements[std::size_t(at)].start < 0)
        at = elements[std::size_t(at)].parent;
    return at;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QString text;
    if (size > 0 && (data[0] & 1))
        text =
            QString(reinterpret_cast<const QChar *>(input.constData() + 1), (input.size() - 1) / 2);
    else
        text = QString::fromUtf8(input);

    const std::vector<ElementSpan> elements = pageElements(text);
    const qsizetype tags = text.count(u'<');
    qsizetype inText = 0;
    std::vector<qsizetype> probes{0, text.size()};
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const ElementSpan &e = elements[i];
        if (e.parent < -1 || e.parent >= int(i) || (i == 0) != (e.parent == -1))
            fuzz::fail("a parent that does not come before its child", input);
        if (e.start < 0) {
            if (e.start != -1 || e.end != -1)
                fuzz::fail("a made-up element with a place in the text", input);
            if (elementForClick(elements, int(i), e.tag) != realAncestor(elements, int(i)))
                fuzz::fail("a click on a made-up element not sent to its ancestor", input);
            continue;
        }
        ++inText;
        if (e.end <= e.start || e.end > text.size() || text[e.start] != u'<')
            fuzz::fail("code that is not a tag's within the text", input);
        if (splitsPair(text, e.start) || splitsPair(text, e.end))
            fuzz::fail("a position between the halves of a surrogate pair", input);
        const int ancestor = realAncestor(elements, int(i));
        if (ancestor >= 0 && (elements[std::size_t(ancestor)].start > e.start ||
                              elements[std::size_t(ancestor)].end < e.end))
            fuzz::fail("an element's code outside its parent's", input);
        if (elementForClick(elements, int(i), e.tag) != int(i) ||
            elementForClick(elements, int(i), e.tag + u'x') != -1)
            fuzz::fail("a click on an element in the text not sent to it", input);
        probes.insert(probes.end(), {e.start, e.start + 1, e.end - 1, e.end});
    }
    if (inText > tags)
        fuzz::fail("more elements in the text than tags", input);
    if (elementForClick(elements, int(elements.size()), QStringLiteral("p")) != -1 ||
        elementForClick(elements, -1, QStringLiteral("p")) != -1)
        fuzz::fail("a click out of range mapped", input);

    for (const qsizetype position : probes) {
        const int found = elementAt(elements, position);
        int innermost = -1;
        for (std::size_t i = 0; i < elements.size(); ++i) {
            const ElementSpan &e = elements[i];
            if (e.start >= 0 && e.start <= position && position < e.end &&
                (innermost < 0 || e.start >= elements[std::size_t(innermost)].start))
                innermost = int(i);
        }
        if (found != innermost)
            fuzz::fail("elementAt not the innermost element holding the position", input);
    }
    return 0;
}
