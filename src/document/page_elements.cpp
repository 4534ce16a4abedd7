#include "page_elements.h"

#include <QByteArray>
#include <QHash>
#include <algorithm>
#include <array>
#include <chrono>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <gumbo.h>

// The tree comes from gumbo 0.10.1, which builds it as HTML5 parsers did in
// 2015. Where it still parts from today's browsers:
// - NOSCRIPT: a browser with scripting on reads its content as text; gumbo
//   reads it as tags (in the head it even ends the head at the first tag that
//   a head may not hold). So gumbo is given the page with each such content
//   blanked out, byte for byte, and parses it again until the NOSCRIPTs it
//   finds are the ones blanked (pageElements).
// - gumbo rebuilds open formatting elements (B, FONT, ...) before a NOSCRIPT,
//   where a browser rebuilds them after it.
// - an end tag of an unknown element closes the innermost unknown element,
//   whatever its name.
// - ISINDEX becomes a small form in gumbo, an unknown element in browsers;
//   MENUITEM goes to the head; DIALOG and SEARCH are unknown to gumbo; a
//   TEMPLATE with shadowrootmode is no element in a browser; tags in a SELECT
//   other than OPTION and OPTGROUP are dropped by gumbo, kept by browsers.
// - gumbo does not take MAIN or an SVG TITLE for a block that ends what it
//   holds (a "</span>" or an LI in it does not close it in a browser): MAIN
//   is given to gumbo as NAV or DIR (gumboInput), and the list stops at such
//   a TITLE closed otherwise than by its end tag.
// - "</br>" and "</p>" end SVG and MathML in browsers, not in gumbo.
// At each of these the list stops, before the element or before its outermost
// ancestor but HTML and BODY, whose code may end elsewhere in a browser
// (stopWithin).
// - browsers hang elements deeper than 512 levels on the 512th, where gumbo
//   nests them deeper; the list stops at the first of them (what holds it is
//   the same code in both).

namespace tarnwell {

namespace {

// A page whose UTF-8 takes more than this is not parsed: gumbo counts its
// positions in 32 bits, and a tree of it would take gigabytes.
constexpr qsizetype kLargestPage = qsizetype(1) << 30;
// What one parse may take. A page built by Tarnwell takes about 25 bytes of
// memory for each byte of text, and a fifth of a second for each megabyte;
// gumbo's worst cases (elements nested a hundred thousand deep, formatting
// elements cloned over and over) take the square of the page's length.
constexpr std::size_t kMemoryBase = std::size_t(64) << 20;
constexpr std::size_t kMemoryPerByte = 128;
constexpr std::size_t kMemoryMost = std::size_t(2) << 30;
constexpr std::chrono::seconds kTimeBase{5};
constexpr std::chrono::seconds kTimePerMegabyte{2};
// gumbo frees a BODY that a FRAMESET replaces by recursion, one call per level.
constexpr std::uintptr_t kStackMost = 256 * 1024;
// Parses to find the NOSCRIPTs a browser finds; a page that needs more is
// built to need them.
constexpr int kMostParses = 4;
// Browsers hang an element that would be deeper than this many levels on the
// last element that is not.
constexpr std::size_t kDeepest = 512;

// ---- The text as UTF-8, and the way back from a byte to a UTF-16 unit ----

struct CharSize
{
    int bytes;
    int units;
};

CharSize charSize(QStringView text, qsizetype at)
{
    const char16_t c = text[at].unicode();
    if (c < 0x80 || c == 0x2028 || c == 0x2029)
        return {1, 1};
    if (c < 0x800)
        return {2, 1};
    if (QChar::isHighSurrogate(c) && at + 1 < text.size() &&
        QChar::isLowSurrogate(text[at + 1].unicode()))
        return {4, 2};
    return {3, 1}; // a lone surrogate becomes U+FFFD
}

constexpr qsizetype kMarkEvery = 64;

class Utf8Text
{
public:
    explicit Utf8Text(QStringView text) : m_text(text)
    {
        qsizetype total = 0;
        for (qsizetype i = 0; i < text.size();) {
            const CharSize size = charSize(text, i);
            total += size.bytes;
            i += size.units;
        }
        m_bytes.resize(total);
        m_marks.reserve(std::size_t(total / kMarkEvery + 2));
        char *out = m_bytes.data();
        qsizetype byte = 0;
        for (qsizetype i = 0; i < text.size();) {
            while (qsizetype(m_marks.size()) * kMarkEvery <= byte)
                m_marks.push_back({i, byte});
            const CharSize size = charSize(text, i);
            char32_t c = text[i].unicode();
            if (size.units == 2)
                c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            else if (QChar::isSurrogate(c))
                c = 0xFFFD;
            else if (c == 0x2028 || c == 0x2029)
                c = u'\n';
            switch (size.bytes) {
            case 1:
                out[byte] = char(c);
                break;
            case 2:
                out[byte] = char(0xC0 | (c >> 6));
                out[byte + 1] = char(0x80 | (c & 0x3F));
                break;
            case 3:
                out[byte] = char(0xE0 | (c >> 12));
                out[byte + 1] = char(0x80 | ((c >> 6) & 0x3F));
                out[byte + 2] = char(0x80 | (c & 0x3F));
                break;
            default:
                out[byte] = char(0xF0 | (c >> 18));
                out[byte + 1] = char(0x80 | ((c >> 12) & 0x3F));
                out[byte + 2] = char(0x80 | ((c >> 6) & 0x3F));
                out[byte + 3] = char(0x80 | (c & 0x3F));
                break;
            }
            byte += size.bytes;
            i += size.units;
        }
        while (qsizetype(m_marks.size()) * kMarkEvery <= byte)
            m_marks.push_back({text.size(), byte});
    }

    const QByteArray &bytes() const { return m_bytes; }

    // The UTF-16 position of the character that begins at `byte`: at most a
    // mark's distance of characters is walked.
    qsizetype unitAt(qsizetype byte) const
    {
        if (byte >= m_bytes.size())
            return m_text.size();
        const Mark &mark = m_marks[std::size_t(byte / kMarkEvery)];
        qsizetype unit = mark.unit;
        for (qsizetype at = mark.byte; at < byte;) {
            const CharSize size = charSize(m_text, unit);
            at += size.bytes;
            unit += size.units;
        }
        return unit;
    }

private:
    struct Mark
    {
        qsizetype unit; // the first character that begins at or after the mark's byte
        qsizetype byte; // where it begins
    };
    QStringView m_text;
    QByteArray m_bytes;
    std::vector<Mark> m_marks; // one every kMarkEvery bytes
};

// ---- gumbo, held within its limits ----

// Every allocation of one parse comes from here and is freed at once with
// it, so that a parse stopped half way leaks nothing and a deep tree needs no
// deep recursion to free it. gumbo frees little while it parses.
class Arena
{
public:
    explicit Arena(std::size_t budget) : m_budget(budget) {}
    Arena(const Arena &) = delete;
    Arena &operator=(const Arena &) = delete;
    ~Arena()
    {
        while (m_chunks) {
            Chunk *next = m_chunks->next;
            std::free(m_chunks);
            m_chunks = next;
        }
    }

    // nullptr past the budget.
    void *allocate(std::size_t size)
    {
        constexpr std::size_t align = alignof(std::max_align_t);
        if (size > m_budget)
            return nullptr;
        size = std::max<std::size_t>(align, (size + align - 1) & ~(align - 1));
        if (size > m_left) {
            const bool alone = size > m_chunk / 4;
            const std::size_t chunk = alone ? size : m_chunk;
            if (m_used + chunk > m_budget)
                return nullptr;
            auto *fresh = static_cast<Chunk *>(std::malloc(sizeof(Chunk) + chunk));
            if (!fresh)
                return nullptr;
            m_used += chunk;
            fresh->next = m_chunks;
            m_chunks = fresh;
            char *memory = reinterpret_cast<char *>(fresh + 1);
            if (alone)
                return memory;
            m_next = memory;
            m_left = chunk;
            m_chunk = std::min(m_chunk * 2, kChunkMost);
        }
        void *memory = m_next;
        m_next += size;
        m_left -= size;
        return memory;
    }

private:
    struct alignas(std::max_align_t) Chunk
    {
        Chunk *next;
    };
    // Chunks grow from 64 KB, so that a small page takes little.
    static constexpr std::size_t kChunkMost = std::size_t(1) << 20;
    std::size_t m_chunk = std::size_t(64) << 10;
    Chunk *m_chunks = nullptr;
    char *m_next = nullptr;
    std::size_t m_left = 0;
    std::size_t m_used = 0;
    const std::size_t m_budget;
};

struct Parse
{
    Parse(std::size_t budget, std::chrono::steady_clock::time_point deadline)
        : arena(budget), deadline(deadline)
    {}
    Arena arena;
    const std::chrono::steady_clock::time_point deadline;
    GumboOptions options{};
    std::uintptr_t stackTop = 0;
    unsigned calls = 0;
    std::jmp_buf stop;
};

std::uintptr_t stackHere()
{
    return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
}

// Whether the parse has run too long or too deep; gumbo calls its allocator
// and deallocator often enough, and on every level of its recursion.
bool overrun(Parse &parse)
{
    const std::uintptr_t here = stackHere();
    if (here < parse.stackTop && parse.stackTop - here > kStackMost)
        return true;
    return (++parse.calls & 255) == 0 && std::chrono::steady_clock::now() > parse.deadline;
}

// Nothing with a destructor stands between runGumbo and these, so leaving
// gumbo by longjmp skips no C++ clean-up; the arena frees what gumbo held.
void *gumboAllocate(void *userdata, size_t size)
{
    auto *parse = static_cast<Parse *>(userdata);
    void *memory = overrun(*parse) ? nullptr : parse->arena.allocate(size);
    if (!memory)
        std::longjmp(parse->stop, 1);
    return memory;
}

void gumboDeallocate(void *userdata, void *)
{
    auto *parse = static_cast<Parse *>(userdata);
    if (overrun(*parse))
        std::longjmp(parse->stop, 1);
}

// nullptr when the parse overran. The tree lives in the parse's arena.
GumboOutput *runGumbo(Parse *parse, const char *bytes, std::size_t size)
{
    parse->options = kGumboDefaultOptions;
    parse->options.allocator = &gumboAllocate;
    parse->options.deallocator = &gumboDeallocate;
    parse->options.userdata = parse;
    parse->options.max_errors = 0; // nothing reads them
    parse->stackTop = stackHere();
    if (setjmp(parse->stop) != 0)
        return nullptr;
    return gumbo_parse_with_options(&parse->options, bytes, size);
}

// ---- Names ----

bool isNameEnd(char c)
{
    return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ' || c == '/' || c == '>';
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// The name in a tag's text, "<NAME ..." or "</NAME ...", as written.
QByteArrayView tagName(const GumboStringPiece &tag)
{
    if (!tag.data || tag.length < 2 || tag.data[0] != '<')
        return {};
    std::size_t begin = tag.data[1] == '/' ? 2 : 1;
    std::size_t end = begin;
    while (end < tag.length && !isNameEnd(tag.data[end]))
        ++end;
    return QByteArrayView(tag.data + begin, qsizetype(end - begin));
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// The localName a browser gives an element, shared between elements of one
// name.
class Names
{
public:
    // `written` is the name in the element's start tag, or gumbo's name for an
    // element it made up.
    QString of(const GumboElement &element, QByteArrayView written)
    {
        m_key.clear();
        m_key += char('0' + element.tag_namespace);
        if (element.tag == GUMBO_TAG_IMG && element.tag_namespace == GUMBO_NAMESPACE_HTML)
            m_key += "img"; // <image>
        else
            for (const char c : written)
                m_key += lower(c);
        QString &name = m_names[m_key];
        if (name.isNull()) {
            const GumboStringPiece lowered{m_key.constData() + 1, std::size_t(m_key.size() - 1)};
            const char *adjusted = element.tag_namespace == GUMBO_NAMESPACE_SVG
                                       ? gumbo_normalize_svg_tagname(&lowered)
                                       : nullptr;
            name = adjusted ? QString::fromLatin1(adjusted)
                            : QString::fromUtf8(lowered.data, qsizetype(lowered.length));
            name.replace(QChar(0), QChar::ReplacementCharacter);
            if (name.isNull())
                name = QLatin1String("");
        }
        return name;
    }

private:
    QHash<QByteArray, QString> m_names;
    QByteArray m_key;
};

// ---- The tree ----

struct Noscript
{
    qsizetype start;  // its start tag's "<"
    qsizetype tagEnd; // just after that tag
    qsizetype rawEnd; // where a browser ends its text: the "<" of "</noscript", or the end
    bool operator==(const Noscript &other) const { return start == other.start; }
};

struct Tree
{
    std::vector<ElementSpan> elements; // positions in bytes
    std::vector<Noscript> noscripts;   // that gumbo read as elements, in the text's order
};

constexpr unsigned kMadeUp = GUMBO_INSERTION_BY_PARSER |
                             GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT |
                             GUMBO_INSERTION_ADOPTION_AGENCY_CLONED |
                             GUMBO_INSERTION_CONVERTED_FROM_END_TAG | GUMBO_INSERTION_FROM_ISINDEX;

bool isElement(const GumboNode *node)
{
    return node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE;
}

class TreeWalk
{
public:
    // `bytes` is what gumbo parsed, `original` the page's own bytes.
    TreeWalk(const char *bytes, const char *original, qsizetype size, bool mainKept)
        : m_bytes(bytes), m_original(original), m_size(size), m_mainKept(mainKept)
    {}

    Tree walk(const GumboOutput *output)
    {
        m_frames.push_back({output->document, 0, -1, true, 0, {}, -1, 0});
        while (!m_frames.empty()) {
            Frame &frame = m_frames.back();
            const GumboVector &children = frame.node->type == GUMBO_NODE_DOCUMENT
                                              ? frame.node->v.document.children
                                              : frame.node->v.element.children;
            if (frame.next < children.length) {
                const auto *child = static_cast<const GumboNode *>(children.data[frame.next++]);
                if (isElement(child))
                    open(child);
                else
                    frame.extent = std::max(frame.extent, textEnd(child));
            } else {
                close();
            }
        }
        m_tree.elements.resize(std::min(m_tree.elements.size(), m_limit));
        std::sort(m_tree.noscripts.begin(), m_tree.noscripts.end(),
                  [](const Noscript &a, const Noscript &b) { return a.start < b.start; });
        return std::move(m_tree);
    }

private:
    struct Frame
    {
        const GumboNode *node;
        unsigned next;          // the child to visit next
        int element;            // its index in the list, -1 if not in it
        bool countsChildren;    // its children go in the list
        qsizetype extent;       // just after the last thing it holds so far
        QByteArrayView written; // its name as its start tag has it, or gumbo's
        int lastChild = -1;     // the last child element closed, if in the list
        unsigned lastChildEnd = 0;
    };

    // Just after a piece of the text, or 0 when gumbo made it up.
    qsizetype pieceEnd(const GumboStringPiece &piece) const
    {
        const auto at = reinterpret_cast<std::uintptr_t>(piece.data);
        const auto begin = reinterpret_cast<std::uintptr_t>(m_bytes);
        if (!piece.data || piece.length == 0 || at < begin || at - begin >= std::uintptr_t(m_size))
            return 0;
        return qsizetype(at - begin) + qsizetype(piece.length);
    }

    // The same piece of the page's own bytes, which gumbo was given changed.
    GumboStringPiece original(const GumboStringPiece &piece) const
    {
        const qsizetype end = pieceEnd(piece);
        if (end == 0)
            return piece;
        return {m_original + (end - qsizetype(piece.length)), piece.length};
    }

    // Just after a text, comment or CDATA node. gumbo's piece of a text runs
    // on over tags that the parser dropped ("a</x>b", "b</html>"); those after
    // its last character are left off.
    qsizetype textEnd(const GumboNode *node) const
    {
        GumboStringPiece piece = node->v.text.original_text;
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE) {
            const std::size_t decoded = std::strlen(node->v.text.text);
            const bool endsInTag = decoded > 0 && node->v.text.text[decoded - 1] == '>';
            while (!endsInTag && piece.length > 0 && piece.data[piece.length - 1] == '>') {
                std::size_t open = piece.length - 1;
                while (open > 0 && piece.data[open] != '<')
                    --open;
                if (piece.data[open] != '<')
                    break;
                piece.length = open;
            }
        }
        return pieceEnd(piece);
    }

    void open(const GumboNode *node)
    {
        const GumboElement &element = node->v.element;
        const Frame &parent = m_frames.back();
        const qsizetype tagEnd = pieceEnd(element.original_tag);
        const qsizetype start = tagEnd - qsizetype(element.original_tag.length);
        const bool inText =
            !(node->parse_flags & kMadeUp) && tagEnd > 0 && element.original_tag.data[0] == '<';
        const QByteArrayView written = inText
                                           ? tagName(original(element.original_tag))
                                           : QByteArrayView(gumbo_normalized_tagname(element.tag));
        const bool html = element.tag_namespace == GUMBO_NAMESPACE_HTML;
        const bool noscript = html && element.tag == GUMBO_TAG_NOSCRIPT;

        int index = -1;
        if (parent.countsChildren) {
            index = int(m_tree.elements.size());
            m_tree.elements.push_back(
                {m_names.of(element, written), parent.element, inText ? start : -1, -1});
            if (partsFromBrowsers(node, written) ||
                (m_mainKept && element.tag == GUMBO_TAG_MAIN && inText))
                stopWithin(index);
            // gumbo's ISINDEX begins with a FORM, which closes a P that a
            // browser leaves open.
            if ((node->parse_flags & GUMBO_INSERTION_FROM_ISINDEX) && parent.lastChild >= 0 &&
                parent.lastChildEnd == element.start_pos.offset)
                stopWithin(parent.lastChild);
            // "</br>" and "</p>" end SVG and MathML in browsers, where gumbo
            // puts the BR or P inside.
            if ((node->parse_flags & GUMBO_INSERTION_CONVERTED_FROM_END_TAG) &&
                parent.node->type != GUMBO_NODE_DOCUMENT &&
                parent.node->v.element.tag_namespace != GUMBO_NAMESPACE_HTML)
                stopWithin(index);
            if (m_frames.size() > kDeepest)
                m_limit = std::min(m_limit, std::size_t(index));
        }
        if (noscript && inText) {
            m_tree.noscripts.push_back({start, tagEnd, -1});
            if (index >= 0 && rebuiltFor(node))
                stopWithin(index);
        }
        m_frames.push_back({node, 0, index,
                            parent.countsChildren && node->type != GUMBO_NODE_TEMPLATE && !noscript,
                            inText ? tagEnd : 0, written, -1, 0});
    }

    void close()
    {
        const Frame frame = m_frames.back();
        m_frames.pop_back();
        if (frame.node->type == GUMBO_NODE_DOCUMENT)
            return;
        const GumboElement &element = frame.node->v.element;
        const QByteArrayView endName = tagName(original(element.original_end_tag));
        qsizetype extent = frame.extent;
        const bool ownEnd = !endName.isEmpty() && sameName(endName, frame.written);
        if (ownEnd)
            extent = std::max(extent, pieceEnd(element.original_end_tag));
        if (frame.element >= 0) {
            ElementSpan &span = m_tree.elements[std::size_t(frame.element)];
            if (span.start >= 0)
                span.end = extent;
            // gumbo closes a SELECT at other tags than browsers do now, and
            // does not take an SVG TITLE for a block that ends what it holds.
            const bool atEnd = element.end_pos.offset >= std::size_t(m_size);
            const bool select =
                element.tag_namespace == GUMBO_NAMESPACE_HTML && element.tag == GUMBO_TAG_SELECT;
            const bool svgTitle =
                element.tag_namespace == GUMBO_NAMESPACE_SVG && element.tag == GUMBO_TAG_TITLE;
            if ((select && ((!ownEnd && !atEnd) || droppedFromSelect(element, frame.element))) ||
                (svgTitle && !ownEnd && !atEnd && !sameName(endName, "svg")))
                stopWithin(frame.element);
            // gumbo took another unknown name's end tag for this element's own.
            if (element.tag == GUMBO_TAG_UNKNOWN && !endName.isEmpty() && !ownEnd &&
                !(frame.node->parse_flags & GUMBO_INSERTION_IMPLICIT_END_TAG))
                stopWithin(frame.element);
        }
        Frame &parent = m_frames.back();
        parent.extent = std::max(parent.extent, extent);
        if (frame.element >= 0) {
            parent.lastChild = frame.element;
            parent.lastChildEnd = element.end_pos.offset;
        }
    }

    // Elements that gumbo builds unlike today's browsers, from the start tag on.
    static bool partsFromBrowsers(const GumboNode *node, QByteArrayView written)
    {
        const GumboElement &element = node->v.element;
        if (element.tag_namespace != GUMBO_NAMESPACE_HTML)
            return false;
        // ISINDEX is unknown to browsers now; MENUITEM is an ordinary element,
        // where gumbo takes it for one of the head's; DIALOG and SEARCH end a
        // P as DIV does, where gumbo knows neither.
        if ((node->parse_flags & GUMBO_INSERTION_FROM_ISINDEX) ||
            element.tag == GUMBO_TAG_MENUITEM ||
            (element.tag == GUMBO_TAG_UNKNOWN &&
             (sameName(written, "dialog") || sameName(written, "search"))))
            return true;
        // A TEMPLATE that gives its parent a shadow root is no element in a
        // browser's document.
        if (element.tag == GUMBO_TAG_TEMPLATE) {
            const GumboAttribute *mode = gumbo_get_attribute(&element.attributes, "shadowrootmode");
            return mode && (sameName(mode->value, "open") || sameName(mode->value, "closed"));
        }
        return false;
    }

    // gumbo drops every tag in a SELECT but OPTION, OPTGROUP, SCRIPT and
    // TEMPLATE; browsers now keep them. So a SELECT whose text holds more tags
    // than gumbo made elements of (a "<" in a script counts too) ends the list.
    bool droppedFromSelect(const GumboElement &select, int index) const
    {
        const qsizetype from = pieceEnd(select.original_tag);
        const qsizetype to = std::min<qsizetype>(select.end_pos.offset, m_size);
        qsizetype tags = 0;
        for (qsizetype at = from; at + 1 < to; ++at) {
            const char next = lower(m_bytes[at + 1]);
            tags += m_bytes[at] == '<' && next >= 'a' && next <= 'z';
        }
        return tags > qsizetype(m_tree.elements.size()) - index - 1;
    }

    // Whether gumbo rebuilt open formatting elements (B, FONT...) for this
    // NOSCRIPT: it is the first thing the innermost of them holds. A browser
    // rebuilds them only for what follows it.
    bool rebuiltFor(const GumboNode *noscript) const
    {
        const GumboNode *parent = m_frames.back().node;
        return (parent->parse_flags & GUMBO_INSERTION_RECONSTRUCTED_FORMATTING_ELEMENT) &&
               parent->v.element.children.length > 0 &&
               parent->v.element.children.data[0] == noscript;
    }

    // The list stops at `index`, or at its outermost open ancestor but HTML and
    // BODY, whose code may end elsewhere in a browser. (HTML's and BODY's code
    // holds all that follows them in either tree.)
    void stopWithin(int index)
    {
        for (std::size_t at = 1; at < m_frames.size(); ++at) {
            const Frame &frame = m_frames[at];
            const GumboElement &element = frame.node->v.element;
            const bool root = element.tag_namespace == GUMBO_NAMESPACE_HTML &&
                              (element.tag == GUMBO_TAG_HTML || element.tag == GUMBO_TAG_BODY);
            if (frame.element >= 0 && !root) {
                index = std::min(index, frame.element);
                break;
            }
        }
        m_limit = std::min(m_limit, std::size_t(index));
    }

    const char *m_bytes;
    const char *m_original;
    qsizetype m_size;
    bool m_mainKept;
    std::vector<Frame> m_frames;
    Tree m_tree;
    Names m_names;
    std::size_t m_limit = std::size_t(-1);
};

// Where a browser ends a NOSCRIPT's text: at the first "</noscript" that a
// space, "/" or ">" follows.
qsizetype rawTextEnd(const QByteArray &bytes, qsizetype from)
{
    static constexpr char kEnd[] = "</noscript";
    constexpr qsizetype length = sizeof kEnd - 1;
    for (qsizetype at = bytes.indexOf('<', from); at >= 0; at = bytes.indexOf('<', at + 1)) {
        if (at + length > bytes.size())
            break;
        if (sameName(QByteArrayView(bytes.constData() + at, length), QByteArrayView(kEnd)) &&
            (at + length == bytes.size() || isNameEnd(bytes[at + length])))
            return at;
    }
    return bytes.size();
}

// Where a tag of this name (4 letters, or 3 and a space) begins or ends:
// "<name" or "</name" followed by a space, "/", ">" or the end.
template <typename Found>
void forEachTag(const QByteArray &bytes, const char *name, Found found)
{
    const qsizetype length = qsizetype(std::strlen(name));
    for (qsizetype at = bytes.indexOf('<'); at >= 0; at = bytes.indexOf('<', at + 1)) {
        const qsizetype begin = at + (at + 1 < bytes.size() && bytes[at + 1] == '/' ? 2 : 1);
        if (begin + length <= bytes.size() &&
            sameName(QByteArrayView(bytes.constData() + begin, length), name) &&
            (begin + length == bytes.size() || isNameEnd(bytes[begin + length])))
            found(begin);
    }
}

struct GumboInput
{
    QByteArray bytes;
    bool mainKept = false; // MAIN given as it is, for want of a name to give it
};

// What gumbo is given: the page's bytes, each NOSCRIPT's text in `raw` as
// spaces, and MAIN as NAV or DIR, whichever the page does not use (the same
// in every rule of today's parsers, where gumbo does not take MAIN for a
// block that ends what it holds). The length and every other byte stay.
GumboInput gumboInput(const QByteArray &bytes, const std::vector<Noscript> &raw)
{
    GumboInput input{bytes};
    bool hasMain = false;
    forEachTag(bytes, "main", [&](qsizetype) { hasMain = true; });
    if (hasMain) {
        const char *free = nullptr;
        for (const char *name : {"nav", "dir"}) {
            bool used = false;
            forEachTag(bytes, name, [&](qsizetype) { used = true; });
            if (!used) {
                free = name;
                break;
            }
        }
        if (free)
            forEachTag(bytes, "main", [&](qsizetype at) {
                std::memcpy(input.bytes.data() + at, free, 3);
                input.bytes[at + 3] = ' ';
            });
        input.mainKept = !free;
    }
    for (const Noscript &noscript : raw)
        std::memset(input.bytes.data() + noscript.tagEnd, ' ',
                    std::size_t(noscript.rawEnd - noscript.tagEnd));
    return input;
}

} // namespace

std::vector<ElementSpan> pageElements(QStringView text)
{
    if (text.size() > kLargestPage) // its UTF-8 takes no fewer bytes
        return {};
    const Utf8Text utf8(text);
    const QByteArray &bytes = utf8.bytes();
    if (bytes.size() > kLargestPage)
        return {};
    const std::size_t budget =
        std::min(kMemoryMost, kMemoryBase + kMemoryPerByte * std::size_t(bytes.size()));
    const auto deadline =
        std::chrono::steady_clock::now() + kTimeBase + kTimePerMegabyte * (bytes.size() >> 20);

    // The NOSCRIPTs whose text gumbo is given blanked out.
    std::vector<Noscript> raw;
    for (int parses = 1;; ++parses) {
        const GumboInput input = gumboInput(bytes, raw);
        Tree tree;
        {
            Parse parse(budget, deadline);
            const GumboOutput *output =
                runGumbo(&parse, input.bytes.constData(), std::size_t(input.bytes.size()));
            if (!output)
                return {};
            tree = TreeWalk(input.bytes.constData(), bytes.constData(), input.bytes.size(),
                            input.mainKept)
                       .walk(output);
        }
        if (tree.noscripts == raw) {
            for (ElementSpan &span : tree.elements) {
                if (span.start >= 0) {
                    span.start = utf8.unitAt(span.start);
                    span.end = utf8.unitAt(span.end);
                }
            }
            return std::move(tree.elements);
        }
        if (parses == kMostParses)
            return {};
        // A NOSCRIPT inside another's text is text.
        raw.clear();
        for (Noscript &noscript : tree.noscripts) {
            if (!raw.empty() && noscript.start < raw.back().rawEnd)
                continue;
            noscript.rawEnd = rawTextEnd(bytes, noscript.tagEnd);
            raw.push_back(noscript);
        }
    }
}

int elementAt(const std::vector<ElementSpan> &elements, qsizetype position)
{
    int found = -1;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const ElementSpan &span = elements[i];
        if (span.start >= 0 && span.start <= position && position < span.end &&
            (found < 0 || span.start >= elements[std::size_t(found)].start))
            found = int(i);
    }
    return found;
}

int elementForClick(const std::vector<ElementSpan> &elements, int index, const QString &tag)
{
    if (index < 0 || std::size_t(index) >= elements.size() ||
        elements[std::size_t(index)].tag != tag)
        return -1;
    while (index >= 0 && elements[std::size_t(index)].start < 0)
        index = elements[std::size_t(index)].parent;
    return index;
}

qsizetype firstDifference(QStringView before, QStringView after)
{
    const qsizetype shorter = std::min(before.size(), after.size());
    const auto differ = std::mismatch(before.begin(), before.begin() + shorter, after.begin());
    qsizetype at = differ.first - before.begin();
    if (at > 0 && before[at - 1].isHighSurrogate() && (at < before.size() || at < after.size()))
        --at;
    return at;
}

} // namespace tarnwell
