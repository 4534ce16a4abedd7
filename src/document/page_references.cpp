#include "page_references.h"

#include "html_entities.h"
#include "windows1252.h"

#include <QByteArray>
#include <QSet>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <vector>

namespace tarnwell {

namespace {

// A text document writes its line breaks as U+2029, and U+2028 within a
// paragraph: here they stand where the page file has its line breaks.
bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// HTML's white space between attributes.
bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\f' || isLineBreak(c);
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isAsciiAlnum(QChar c)
{
    return isAsciiLetter(c) || isAsciiDigit(c);
}

QChar asciiLower(QChar c)
{
    return c >= u'A' && c <= u'Z' ? QChar(c.unicode() + 32) : c;
}

// Tag and attribute names: only A-Z turn small, as in HTML; NUL reads as U+FFFD.
QString lowerName(QStringView name)
{
    QString lower(name.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < name.size(); ++i)
        lower[i] = name[i] == QChar(0) ? QChar::ReplacementCharacter : asciiLower(name[i]);
    return lower;
}

bool startsWithName(QStringView text, qsizetype at, QStringView lowerWord)
{
    if (at + lowerWord.size() > text.size())
        return false;
    for (qsizetype k = 0; k < lowerWord.size(); ++k)
        if (asciiLower(text[at + k]) != lowerWord[k])
            return false;
    return true;
}

const NamedCharacter *findNamed(const char *name)
{
    const NamedCharacter *end = kNamedCharacters + kNamedCharacterCount;
    const NamedCharacter *found =
        std::lower_bound(kNamedCharacters, end, name, [](const NamedCharacter &a, const char *b) {
            return std::strcmp(a.name, b) < 0;
        });
    return found != end && std::strcmp(found->name, name) == 0 ? found : nullptr;
}

void appendCodePoint(QString &out, char32_t code)
{
    const char32_t one[] = {code};
    out.append(QString::fromUcs4(one, 1));
}

// What a numeric character reference stands for, as HTML5 replaces the
// bytes Windows-1252 gave to 0x80-0x9F and what is no character.
char32_t numericCharacter(char32_t code)
{
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0xFFFD;
    if (code >= 0x80 && code <= 0x9F)
        return windows1252Character(uchar(code));
    return code;
}

// Decodes raw[at...] after an "&"; returns how many characters it took, 0
// when the "&" stays as it is.
qsizetype characterReference(QStringView raw, qsizetype amp, QString &out)
{
    const qsizetype n = raw.size();
    qsizetype i = amp + 1;
    if (i < n && raw[i] == u'#') {
        ++i;
        const bool hex = i < n && (raw[i] == u'x' || raw[i] == u'X');
        if (hex)
            ++i;
        const qsizetype digits = i;
        char32_t code = 0;
        for (; i < n; ++i) {
            const QChar c = raw[i];
            int digit;
            if (isAsciiDigit(c))
                digit = c.unicode() - u'0';
            else if (hex && c >= u'a' && c <= u'f')
                digit = c.unicode() - u'a' + 10;
            else if (hex && c >= u'A' && c <= u'F')
                digit = c.unicode() - u'A' + 10;
            else
                break;
            // Past the last character it stays past it, however long.
            code = code > 0x10FFFF ? code : code * (hex ? 16 : 10) + char32_t(digit);
        }
        if (i == digits)
            return 0;
        if (i < n && raw[i] == u';')
            ++i;
        appendCodePoint(out, numericCharacter(code));
        return i - amp;
    }
    // The longest name in the table that the text begins with; the longest
    // name has 32 characters, those that need no ";" at most 6.
    char name[40];
    qsizetype run = 0;
    while (i + run < n && run < 33 && isAsciiAlnum(raw[i + run])) {
        name[run] = char(raw[i + run].unicode());
        ++run;
    }
    if (run == 0)
        return 0;
    const NamedCharacter *found = nullptr;
    qsizetype length = 0;
    if (run <= 32 && i + run < n && raw[i + run] == u';') {
        name[run] = ';';
        name[run + 1] = 0;
        found = findNamed(name);
        length = run + 1;
    }
    for (length = found ? length : qMin<qsizetype>(run, 6); !found && length > 1; --length) {
        name[length] = 0;
        found = findNamed(name);
        if (found)
            break;
    }
    if (!found)
        return 0;
    // In an attribute "&notit=1" stays as it is: an old name without ";"
    // counts only where no letter, digit or "=" follows.
    if (name[length - 1] != ';' && i + length < n &&
        (isAsciiAlnum(raw[i + length]) || raw[i + length] == u'='))
        return 0;
    appendCodePoint(out, found->first);
    if (found->second)
        appendCodePoint(out, found->second);
    return 1 + length;
}

// The decoded value, and for each of its characters where it began in raw
// (and raw.size() after the last) when a map is asked for.
QString decode(QStringView raw, std::vector<qsizetype> *map)
{
    QString out;
    out.reserve(raw.size());
    if (map) {
        map->clear();
        map->reserve(size_t(raw.size()) + 1);
    }
    const qsizetype n = raw.size();
    for (qsizetype i = 0; i < n;) {
        // Most of a value is plain characters: taken a run at a time.
        qsizetype plain = i;
        while (plain < n && raw[plain] != u'&' && raw[plain] != u'\r' && raw[plain] != QChar(0) &&
               raw[plain].unicode() < 0x2028)
            ++plain;
        if (plain > i) {
            out.append(raw.sliced(i, plain - i));
            if (map)
                for (qsizetype k = i; k < plain; ++k)
                    map->push_back(k);
            i = plain;
            continue;
        }
        const qsizetype before = out.size();
        qsizetype took = 1;
        const QChar c = raw[i];
        if (c == u'&') {
            took = characterReference(raw, i, out);
            if (took == 0) {
                out.append(c);
                took = 1;
            }
        } else if (c == u'\r' && i + 1 < n && raw[i + 1] == u'\n') {
            out.append(u'\n');
            took = 2;
        } else if (isLineBreak(c)) {
            out.append(u'\n');
        } else if (c == QChar(0)) {
            out.append(QChar::ReplacementCharacter);
        } else {
            out.append(c);
        }
        if (map)
            map->insert(map->end(), size_t(out.size() - before), i);
        i += took;
    }
    if (map)
        map->push_back(n);
    return out;
}

class Reader final
{
public:
    explicit Reader(QStringView page) : m_page(page) {}

    PageReferences read()
    {
        const qsizetype n = m_page.size();
        qsizetype i = 0;
        while ((i = m_page.indexOf(u'<', i)) >= 0 && i + 1 < n) {
            const QChar next = m_page[i + 1];
            if (next == u'!') {
                i = afterMarkup(i + 2);
            } else if (next == u'/') {
                if (i + 2 < n && isAsciiLetter(m_page[i + 2]))
                    i = afterTag(i + 2, false);
                else if (i + 2 < n && m_page[i + 2] == u'>')
                    i += 3;
                else
                    i = afterBogusComment(i + 2);
            } else if (next == u'?') {
                i = afterBogusComment(i + 1);
            } else if (isAsciiLetter(next)) {
                i = afterTag(i + 1, true);
            } else {
                ++i;
            }
        }
        return std::move(m_found);
    }

private:
    struct Attribute
    {
        QString name;
        qsizetype at;
        qsizetype length;
    };

    qsizetype afterBogusComment(qsizetype from)
    {
        const qsizetype end = m_page.indexOf(u'>', from);
        return end < 0 ? m_page.size() : end + 1;
    }

    // After "<!": a comment, a DOCTYPE or anything else up to ">".
    qsizetype afterMarkup(qsizetype from)
    {
        const qsizetype n = m_page.size();
        if (!m_page.sliced(from).startsWith(u"--"))
            return afterBogusComment(from);
        qsizetype i = from + 2;
        if (i < n && m_page[i] == u'>')
            return i + 1; // "<!-->"
        if (i + 1 < n && m_page[i] == u'-' && m_page[i + 1] == u'>')
            return i + 2; // "<!--->"
        // Ends at "-->", "--->"... or "--!>".
        while ((i = m_page.indexOf(u"--", i)) >= 0) {
            qsizetype k = i + 2;
            while (k < n && m_page[k] == u'-')
                ++k;
            if (k < n && m_page[k] == u'>')
                return k + 1;
            if (k + 1 < n && m_page[k] == u'!' && m_page[k + 1] == u'>')
                return k + 2;
            i = k;
        }
        return n;
    }

    // A tag from its name on; returns where reading goes on after it.
    qsizetype afterTag(qsizetype from, bool start)
    {
        const qsizetype n = m_page.size();
        qsizetype i = from;
        while (i < n && !isSpace(m_page[i]) && m_page[i] != u'/' && m_page[i] != u'>')
            ++i;
        const QStringView rawTag = m_page.sliced(from, i - from);
        QList<Attribute> kept;
        unsigned seen = 0;
        bool hasAlt = false;
        for (;;) {
            while (i < n && (isSpace(m_page[i]) || m_page[i] == u'/')) {
                if (m_page[i] == u'/' && i + 1 < n && m_page[i + 1] == u'>')
                    break;
                ++i;
            }
            if (i == n)
                return n; // a tag the page does not close
            if (m_page[i] == u'/')
                ++i; // "/>"
            if (m_page[i] == u'>')
                break;
            const qsizetype nameStart = i;
            ++i; // a first "=" belongs to the name
            while (i < n && !isSpace(m_page[i]) && m_page[i] != u'/' && m_page[i] != u'>' &&
                   m_page[i] != u'=')
                ++i;
            const QStringView name = m_page.sliced(nameStart, i - nameStart);
            while (i < n && isSpace(m_page[i]))
                ++i;
            qsizetype at = i;
            qsizetype length = 0;
            if (i < n && m_page[i] == u'=') {
                ++i;
                while (i < n && isSpace(m_page[i]))
                    ++i;
                if (i == n)
                    return n;
                at = i;
                if (m_page[i] == u'"' || m_page[i] == u'\'') {
                    const qsizetype end = m_page.indexOf(m_page[i], i + 1);
                    if (end < 0)
                        return n;
                    at = i + 1;
                    length = end - at;
                    i = end + 1;
                } else if (m_page[i] != u'>') {
                    while (i < n && !isSpace(m_page[i]) && m_page[i] != u'>')
                        ++i;
                    length = i - at;
                }
            }
            hasAlt = hasAlt || isName(name, u"alt");
            const unsigned bit = wanted(name);
            if (start && bit && !(seen & bit)) {
                seen |= bit;
                kept.append({lowerName(name), at, length});
            }
        }
        ++i; // past ">"
        if (start && !hasAlt && isName(rawTag, u"img")) {
            QString source;
            for (const Attribute &attribute : kept) {
                if (attribute.name == u"src")
                    source = decode(m_page.sliced(attribute.at, attribute.length), nullptr);
            }
            m_found.withoutAlt.append({source.trimmed(), from});
        }
        // A browser takes the name as it stands, capitals aside: " viewport" is none.
        if (start && !m_found.viewport && isName(rawTag, u"meta")) {
            for (const Attribute &attribute : kept) {
                if (attribute.name == u"name" &&
                    isName(decode(m_page.sliced(attribute.at, attribute.length), nullptr),
                           u"viewport"))
                    m_found.viewport = true;
            }
        }
        if (!kept.isEmpty()) {
            const QString tag = tagName(rawTag);
            for (const Attribute &attribute : kept)
                take(tag, attribute);
        }
        if (!start)
            return i;
        // The text of these elements holds no tags.
        if (isName(rawTag, u"plaintext"))
            return n;
        for (const QStringView textOnly :
             {QStringView(u"script"), QStringView(u"style"), QStringView(u"textarea"),
              QStringView(u"title"), QStringView(u"xmp"), QStringView(u"iframe"),
              QStringView(u"noembed"), QStringView(u"noframes")}) {
            if (isName(rawTag, textOnly))
                return endOfText(i, textOnly);
        }
        return i;
    }

    // The tag's name in small letters; the common ones shared, not copied.
    static QString tagName(QStringView name)
    {
        static const QString common[] = {
            QStringLiteral("a"),    QStringLiteral("img"),    QStringLiteral("body"),
            QStringLiteral("td"),   QStringLiteral("table"),  QStringLiteral("script"),
            QStringLiteral("link"), QStringLiteral("iframe"), QStringLiteral("input")};
        for (const QString &word : common)
            if (isName(name, word))
                return word;
        return lowerName(name);
    }

    // Where "</tag" followed by a space, "/" or ">" begins, or the page's end.
    qsizetype endOfText(qsizetype from, QStringView tag)
    {
        const qsizetype n = m_page.size();
        for (qsizetype i = from; (i = m_page.indexOf(u"</", i)) >= 0; i += 2) {
            const qsizetype after = i + 2 + tag.size();
            if (startsWithName(m_page, i + 2, tag) &&
                (after == n || isSpace(m_page[after]) || m_page[after] == u'/' ||
                 m_page[after] == u'>'))
                return i;
        }
        return n;
    }

    static bool isName(QStringView name, QStringView lowerWord)
    {
        return name.size() == lowerWord.size() && startsWithName(name, 0, lowerWord);
    }

    // The attributes read, each as a bit, so that only the first of a name counts.
    static unsigned wanted(QStringView name)
    {
        static const char16_t *const names[] = {u"src",  u"href",        u"background",
                                                u"name", u"onmouseover", u"onmouseout"};
        for (unsigned k = 0; k < std::size(names); ++k)
            if (isName(name, names[k]))
                return 1u << k;
        return 0;
    }

    void take(const QString &tag, const Attribute &attribute)
    {
        const QStringView raw = m_page.sliced(attribute.at, attribute.length);
        const QString &name = attribute.name;
        const bool picture = tag == u"img" || tag == u"image" || tag == u"input";
        if (name == u"src" || name == u"href" || name == u"background") {
            const unsigned use = name == u"background"       ? UseBackground
                                 : name == u"src" && picture ? UseShown
                                                             : UseLinked;
            m_found.references.append(
                {decode(raw, nullptr), attribute.at, attribute.length, tag, name, use});
        } else if (name == u"name") {
            if (tag == u"img" || tag == u"image")
                m_found.names.append({decode(raw, nullptr).trimmed(), attribute.at, true});
        } else {
            scanScript(raw, attribute.at, tag, name);
        }
    }

    // "gondola5.src='b.jpg'" and the like, as MouseOver pictures write them:
    // the name that the script changes and the picture that it shows. One
    // pass; a name begins after the last of ";{(,:" or the last picture.
    void scanScript(QStringView raw, qsizetype at, const QString &tag, const QString &attribute)
    {
        const QString script = decode(raw, &m_map);
        const qsizetype n = script.size();
        // Each picture and name once per script, where it first comes: a long
        // script repeats them, and once tells all there is to know.
        QSet<QStringView> pictures, names;
        QStringView lastPicture, lastName; // most often the one before: no look-up
        qsizetype chain = 0;
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = script[i].unicode();
            if (c == u';' || c == u'{' || c == u'(' || c == u',' || c == u':')
                chain = i + 1;
            if (c != u'.' || !startsWithName(script, i + 1, u"src"))
                continue;
            const qsizetype dot = i;
            qsizetype k = i + 4;
            while (k < n && isSpace(script[k]))
                ++k;
            if (k + 1 >= n || script[k] != u'=' || script[k + 1] == u'=')
                continue;
            ++k;
            while (k < n && isSpace(script[k]))
                ++k;
            if (k == n || (script[k] != u'\'' && script[k] != u'"'))
                continue;
            const qsizetype end = script.indexOf(script[k], k + 1);
            if (end < 0)
                return;
            const QStringView picture = QStringView(script).sliced(k + 1, end - k - 1);
            if (picture != lastPicture) {
                lastPicture = picture;
                if (!pictures.contains(picture)) {
                    pictures.insert(picture);
                    const qsizetype from = m_map[size_t(k + 1)];
                    m_found.references.append({picture.toString(), at + from,
                                               m_map[size_t(end)] - from, tag, attribute,
                                               UseShown});
                }
            }
            QStringView name = QStringView(script).sliced(chain, dot - chain);
            qsizetype nameAt = chain;
            while (!name.isEmpty() && name.front().isSpace()) {
                name = name.sliced(1);
                ++nameAt;
            }
            name = name.trimmed();
            for (const QStringView prefix : {QStringView(u"document.images."),
                                             QStringView(u"document."), QStringView(u"window.")}) {
                if (name.startsWith(prefix)) {
                    name = name.sliced(prefix.size());
                    break;
                }
            }
            if (!name.isEmpty() && name != lastName && name != u"this" && !name.contains(u'[')) {
                lastName = name;
                if (!names.contains(name)) {
                    names.insert(name);
                    m_found.names.append({name.toString(), at + m_map[size_t(nameAt)], false});
                }
            }
            i = end;
            chain = end + 1;
        }
    }

    QStringView m_page;
    PageReferences m_found;
    std::vector<qsizetype> m_map;
};

bool isComputerRoot(QStringView folder)
{
    // The first folders of a path on Linux, macOS and Windows without its drive;
    // anything else from "/" is taken as the web site's root.
    static const char16_t *const roots[] = {u"home",
                                            u"users",
                                            u"tmp",
                                            u"mnt",
                                            u"media",
                                            u"volumes",
                                            u"var",
                                            u"usr",
                                            u"etc",
                                            u"opt",
                                            u"root",
                                            u"private",
                                            u"documents and settings",
                                            u"windows",
                                            u"dev",
                                            u"proc",
                                            u"sys",
                                            u"run",
                                            u"srv",
                                            u"library",
                                            u"applications",
                                            u"program files"};
    return std::any_of(std::begin(roots), std::end(roots), [folder](const char16_t *root) {
        return folder.compare(QStringView(root), Qt::CaseInsensitive) == 0;
    });
}

QString percentDecoded(QStringView path)
{
    if (!path.contains(u'%'))
        return path.toString();
    return QString::fromUtf8(QByteArray::fromPercentEncoding(path.toUtf8()));
}

} // namespace

PageReferences readPageReferences(QStringView page)
{
    return Reader(page).read();
}

QString decodeAttributeValue(QStringView raw)
{
    return decode(raw, nullptr);
}

FileAddress fileAddress(QStringView value)
{
    // As a browser's address reader: controls and spaces at the ends go, tabs
    // and line breaks anywhere.
    while (!value.isEmpty() && value.front().unicode() <= 0x20)
        value = value.sliced(1);
    while (!value.isEmpty() && value.back().unicode() <= 0x20)
        value.chop(1);
    QString address;
    address.reserve(value.size());
    for (const QChar c : value)
        if (c != u'\t' && c != u'\n' && c != u'\r')
            address.append(c);

    FileAddress file;
    if (address.isEmpty() || address.startsWith(u'#'))
        return file;
    const auto isSlash = [](QChar c) { return c == u'/' || c == u'\\'; };
    if (address.size() >= 2 && isSlash(address[0]) && isSlash(address[1])) {
        // "\\server\share" on Windows; "//host/..." a web address.
        file.kind = address.startsWith(u"\\\\") ? AddressKind::Computer : AddressKind::Web;
        return file;
    }
    qsizetype colon = 0;
    while (colon < address.size() && (isAsciiAlnum(address[colon]) || address[colon] == u'+' ||
                                      address[colon] == u'-' || address[colon] == u'.'))
        ++colon;
    if (colon < address.size() && address[colon] == u':' && isAsciiLetter(address[0])) {
        // A drive letter, or file:; http:, mailto: and the like are on the web.
        file.kind = colon == 1 || QStringView(address).first(colon).compare(
                                      u"file", Qt::CaseInsensitive) == 0
                        ? AddressKind::Computer
                        : AddressKind::Web;
        return file;
    }
    qsizetype end = 0;
    while (end < address.size() && address[end] != u'?' && address[end] != u'#')
        ++end;
    const QString path = percentDecoded(QStringView(address).first(end));
    if (path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == u':') {
        file.kind = AddressKind::Computer; // "C%3A/..." once decoded
        return file;
    }
    if (!path.isEmpty() && isSlash(path[0])) {
        qsizetype first = 1;
        while (first < path.size() && !isSlash(path[first]))
            ++first;
        file.kind = isComputerRoot(QStringView(path).sliced(1, first - 1)) ? AddressKind::Computer
                                                                           : AddressKind::SiteRoot;
        return file;
    }
    qsizetype from = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !isSlash(path[i]))
            continue;
        const QStringView part = QStringView(path).sliced(from, i - from);
        from = i + 1;
        if (part == u"..") {
            if (file.parts.isEmpty()) {
                file.kind = AddressKind::LeavesFolder;
                file.parts.clear();
                return file;
            }
            file.parts.removeLast();
        } else if (!part.isEmpty() && part != u".") {
            file.parts.append(part.toString());
        }
    }
    file.kind = file.parts.isEmpty() ? AddressKind::ThisPage : AddressKind::File;
    return file;
}

QString addressOfPath(const QString &path)
{
    QStringList parts;
    for (const QString &part : path.split(u'/'))
        parts.append(QString::fromLatin1(QUrl::toPercentEncoding(part)));
    return parts.join(u'/');
}

} // namespace tarnwell
