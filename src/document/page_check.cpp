#include "page_check.h"

#include "html/links.h"
#include "page_file.h"
#include "picture_header.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSet>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>

namespace tarnwell {

namespace {

constexpr int kWidestPicture = 500; // the Start screen's advice
constexpr qint64 kLargestPicture = 300 * 1024;

// How the page uses a file.
enum Use : unsigned { Shown = 1, Background = 2, Linked = 4 };

struct Reference
{
    QStringView value; // as the page writes it
    qsizetype at;      // where the value begins in the text
    unsigned use;
};

struct MouseOverName
{
    QStringView name;
    qsizetype at;
    bool onPicture; // an IMG's NAME=, else the name a script changes
};

struct PageScan
{
    QList<Reference> references;
    QList<MouseOverName> names;
};

bool isSpace(QChar c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

bool isLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isLetterOrDigit(QChar c)
{
    return isLetter(c) || (c >= u'0' && c <= u'9');
}

// Compares with a lower-case word, ignoring letter case as HTML does.
bool is(QStringView word, QStringView lower)
{
    return word.size() == lower.size() && word.compare(lower, Qt::CaseInsensitive) == 0;
}

// Past spaces, an "=" and the spaces after it; false where no "=" follows.
bool skipEquals(QStringView text, qsizetype *i)
{
    while (*i < text.size() && isSpace(text[*i]))
        ++*i;
    if (*i == text.size() || text[*i] != u'=')
        return false;
    do
        ++*i;
    while (*i < text.size() && isSpace(text[*i]));
    return true;
}

// "gondola5.src='b.jpg'" and the like, as MouseOver pictures write them: the
// name that the script changes and the picture that it shows.
void scanScript(QStringView script, qsizetype at, PageScan *scan)
{
    const qsizetype n = script.size();
    qsizetype from = 0;
    qsizetype dot;
    while ((dot = script.indexOf(u".src", from, Qt::CaseInsensitive)) >= 0) {
        qsizetype i = from = dot + 4;
        if (!skipEquals(script, &i))
            continue;
        if (i == n || (script[i] != u'\'' && script[i] != u'"'))
            continue;
        const qsizetype end = script.indexOf(script[i], i + 1);
        if (end < 0)
            return;
        scan->references.append({script.sliced(i + 1, end - i - 1), at + i + 1, Shown});
        from = end + 1;

        qsizetype start = dot;
        while (start > 0 && !QStringView(u";{(,:").contains(script[start - 1]))
            --start;
        QStringView name = script.sliced(start, dot - start).trimmed();
        for (const QStringView prefix : {QStringView(u"document.images."),
                                         QStringView(u"document."), QStringView(u"window.")}) {
            if (name.startsWith(prefix)) {
                name = name.sliced(prefix.size());
                break;
            }
        }
        if (name != QLatin1String("this") && !name.contains(u'['))
            scan->names.append({name, at + start, false});
    }
}

void takeAttribute(QStringView tag, QStringView name, QStringView value, qsizetype at,
                   PageScan *scan)
{
    if (is(name, u"src"))
        scan->references.append({value, at, is(tag, u"img") || is(tag, u"input") ? Shown : Linked});
    else if (is(name, u"background"))
        scan->references.append({value, at, Background});
    else if (is(name, u"href"))
        scan->references.append({value, at, Linked});
    else if (is(name, u"name") && is(tag, u"img"))
        scan->names.append({value.trimmed(), at, true});
    else if (is(name, u"onmouseover") || is(name, u"onmouseout"))
        scanScript(value, at, scan);
}

// Every tag's attributes, quoted or not, in any letter case; comments skipped.
PageScan scanPage(QStringView text)
{
    PageScan scan;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while ((i = text.indexOf(u'<', i)) >= 0) {
        ++i;
        if (text.sliced(i).startsWith(u"!--")) {
            i = text.indexOf(u"-->", i + 3);
            if (i < 0)
                break;
            continue;
        }
        const qsizetype tagStart = i;
        while (i < n && isLetterOrDigit(text[i]))
            ++i;
        if (i == tagStart || !isLetter(text[tagStart]))
            continue;
        const QStringView tag = text.sliced(tagStart, i - tagStart);
        while (i < n && text[i] != u'>') {
            if (isSpace(text[i]) || text[i] == u'/' || text[i] == u'=') {
                ++i;
                continue;
            }
            const qsizetype nameStart = i;
            while (i < n && !isSpace(text[i]) && text[i] != u'=' && text[i] != u'>' &&
                   text[i] != u'/')
                ++i;
            const QStringView name = text.sliced(nameStart, i - nameStart);
            if (!skipEquals(text, &i))
                continue;
            qsizetype start = i;
            qsizetype end = i;
            if (i < n && (text[i] == u'"' || text[i] == u'\'')) {
                start = i + 1;
                end = text.indexOf(text[i], start);
                if (end < 0)
                    end = n;
                i = qMin(end + 1, n);
            } else {
                while (i < n && !isSpace(text[i]) && text[i] != u'>')
                    ++i;
                end = i;
            }
            takeAttribute(tag, name, text.sliced(start, end - start), start, &scan);
        }
    }
    return scan;
}

enum class Target { None, LocalAddress, File };

Target targetOf(QStringView value)
{
    if (value.isEmpty() || value.startsWith(u'#') || value.startsWith(u"//"))
        return Target::None; // this page, or a web address without its http:
    if (value.startsWith(u'/') || value.startsWith(u'\\'))
        return Target::LocalAddress;
    qsizetype colon = 0;
    while (colon < value.size() && (isLetterOrDigit(value[colon]) || value[colon] == u'+' ||
                                    value[colon] == u'-' || value[colon] == u'.'))
        ++colon;
    if (colon == value.size() || value[colon] != u':' || !isLetter(value[0]))
        return Target::File;
    // A drive letter, or file:; http:, mailto: and the like are on the web.
    return colon == 1 || is(value.first(colon), u"file") ? Target::LocalAddress : Target::None;
}

// The file a reference names, as a browser reads it: without "?..." or "#...",
// "&amp;" and "%xx" decoded.
QString fileKey(QStringView value)
{
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'?' || value[i] == u'#') {
            value.truncate(i);
            break;
        }
    }
    QString key = value.toString();
    key.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    if (key.contains(u'%'))
        key = QUrl::fromPercentEncoding(key.toUtf8());
    return key;
}

bool isOddName(const QString &key)
{
    return std::any_of(key.begin(), key.end(), [](QChar c) {
        return !isLetterOrDigit(c) && c != u'-' && c != u'_' && c != u'.' && c != u'/';
    });
}

bool isNamedAsPicture(const QString &key)
{
    static const QStringList suffixes = {QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                         QStringLiteral("gif"), QStringLiteral("png"),
                                         QStringLiteral("bmp"), QStringLiteral("webp")};
    return suffixes.contains(QFileInfo(key).suffix().toLower());
}

// The path's folders and name, "." and ".." worked out; false when it leads
// out of the session folder. Windows reads "\" as "/", and so does this.
bool splitPath(const QString &key, QStringList *parts)
{
    for (const QString &part : QString(key).replace(u'\\', u'/').split(u'/')) {
        if (part == QLatin1String("..")) {
            if (parts->isEmpty())
                return false;
            parts->removeLast();
        } else if (!part.isEmpty() && part != QLatin1String(".")) {
            parts->append(part);
        }
    }
    return true;
}

struct Found
{
    bool exists = false;
    bool exact = true;       // every letter as the page writes it
    bool folderExact = true; // the folders' letters at least
    QString path;            // as the folder holds it, '/' between folders
    QString name;            // its last part
};

// The session folder and its subfolders, each listed once, on first use, by
// name alone: the files that the page names are opened anyway.
class FolderFiles final
{
public:
    explicit FolderFiles(const QString &root) : m_root(root) {}

    const QStringList &names(const QString &folder) { return listing(folder).names; }

    Found find(const QStringList &parts)
    {
        Found found;
        for (qsizetype k = 0; k < parts.size(); ++k) {
            const Listing &list = listing(found.path);
            qsizetype index = list.exact.value(parts[k], -1);
            if (index < 0) {
                index = list.folded.value(parts[k].toLower(), -1);
                if (index < 0)
                    return {};
                found.exact = false;
                found.folderExact = found.folderExact && k + 1 == parts.size();
            }
            found.name = list.names[index];
            found.path = found.path.isEmpty() ? found.name : found.path + u'/' + found.name;
        }
        found.exists = true;
        return found;
    }

private:
    struct Listing
    {
        QStringList names;
        QHash<QString, qsizetype> exact;
        QHash<QString, qsizetype> folded; // the first name in order of all alike but for case
    };

    const Listing &listing(const QString &folder)
    {
        auto it = m_listings.find(folder);
        if (it != m_listings.end())
            return *it;
        Listing list;
        if (m_root.isEmpty()) // no session folder yet: nothing is in it
            return *m_listings.insert(folder, list);
        QDirIterator files(QDir(m_root).filePath(folder),
                           QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        while (files.hasNext()) {
            files.next();
            const QString name = files.fileName();
            const QString folded = name.toLower();
            list.exact.insert(name, list.names.size());
            const qsizetype other = list.folded.value(folded, -1);
            if (other < 0 || name < list.names[other])
                list.folded.insert(folded, list.names.size());
            list.names.append(name);
        }
        return *m_listings.insert(folder, list);
    }

    QString m_root;
    QHash<QString, Listing> m_listings;
};

QString noun(unsigned use)
{
    if (use & Shown)
        return QStringLiteral("picture");
    return use & Background ? QStringLiteral("background picture") : QStringLiteral("linked file");
}

QString title(PageProblem problem)
{
    static const char *const titles[] = {
        "Not in your folder",
        "Capital letters differ",
        "Space or odd character",
        "Address on this computer",
        "Picture too wide",
        "Picture file too large",
        "Not a picture",
        "MouseOver name used twice",
        "MouseOver name cannot work",
        "Page not called index.html",
    };
    return QString::fromLatin1(titles[int(problem)]);
}

// Findings in the order of the page, each problem of a file or name once.
class Findings final
{
public:
    PageFinding &add(qsizetype at, PageProblem problem, const QString &name, const QString &effect,
                     const QString &mend)
    {
        PageFinding found;
        found.problem = problem;
        found.name = name;
        found.title = title(problem);
        found.effect = effect;
        found.mend = mend;
        m_found.append({at, found});
        return m_found.last().second;
    }

    bool once(PageProblem problem, const QString &name)
    {
        const QString key = QString::number(int(problem)) + u'\n' + name;
        if (m_seen.contains(key))
            return false;
        m_seen.insert(key);
        return true;
    }

    QList<PageFinding> inPageOrder()
    {
        std::stable_sort(m_found.begin(), m_found.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        QList<PageFinding> list;
        for (const auto &found : m_found)
            list.append(found.second);
        return list;
    }

private:
    QList<std::pair<qsizetype, PageFinding>> m_found;
    QSet<QString> m_seen;
};

struct FileUse
{
    QString name; // as the page first writes it
    qsizetype at = 0;
    unsigned use = 0;
    QStringList parts;
    bool inFolder = true;
    Found found;
};

void checkFile(const FileUse &file, int spellings, const QString &folder, Findings &findings)
{
    const QString &name = file.name;
    const QString thing = noun(file.use);
    const Found &found = file.found;
    const bool picture = file.use & (Shown | Background);
    if (!found.exists) {
        const bool canCopy = picture && file.parts.size() == 1 && file.inFolder;
        PageFinding &missing = findings.add(
            file.at, PageProblem::Missing, name,
            QStringLiteral("The page uses this %1, but it is not in your session folder: on the "
                           "web it will be missing.")
                .arg(thing),
            canCopy ? QStringLiteral("Press Fix and pick the picture: Tarnwell copies it into "
                                     "your session folder under this name.")
                    : QStringLiteral("Put the file into your session folder under this name, or "
                                     "correct the name in the page."));
        if (canCopy) {
            missing.fix = PageFix::CopyPicture;
            missing.file = file.parts.first();
        }
    } else if (!found.exact) {
        const QString pageName = file.parts.last();
        const bool canRename = found.folderExact && spellings == 1;
        PageFinding &letters = findings.add(
            file.at, PageProblem::LetterCase, name,
            QStringLiteral("Your folder holds %1. Windows does not mind the difference in "
                           "capital letters, but most web servers do: there the %2 will not "
                           "be found.")
                .arg(found.path, thing),
            canRename
                ? QStringLiteral("Press Fix to rename the file in your folder to %1.").arg(pageName)
                : QStringLiteral("Write the name in the page exactly as the file is named, "
                                 "capital letters included."));
        if (canRename) {
            letters.fix = PageFix::RenameFile;
            letters.folderFile = found.path;
            letters.file = found.path.left(found.path.size() - found.name.size()) + pageName;
        }
    }
    if (isOddName(file.parts.join(u'/')))
        findings.add(file.at, PageProblem::OddName, name,
                     QStringLiteral("Web addresses cannot hold spaces and some other characters "
                                    "as they are; many web servers and browsers then fail to "
                                    "find the file."),
                     QStringLiteral("Rename the file using only letters, digits, - and _ (such "
                                    "as my-photo.jpg) and change the name in the page to "
                                    "match."));
    if (!found.exists || (!picture && !isNamedAsPicture(found.path)))
        return;
    const PictureInfo shown = readPicture(QDir(folder).filePath(found.path));
    if (!shown.readable) {
        findings.add(file.at, PageProblem::NotPicture, name,
                     QStringLiteral("The file is named or used as a picture but holds none that a "
                                    "browser can show, or it is damaged: visitors see an empty "
                                    "frame or nothing."),
                     QStringLiteral("Replace it with the real picture, for example by picking "
                                    "the picture again."));
        return;
    }
    if ((file.use & Shown) && shown.size.width() > kWidestPicture) {
        PageFinding &wide = findings.add(
            file.at, PageProblem::TooWide, name,
            QStringLiteral("It is %1 pixels wide, more than the 500 that fit a page: visitors "
                           "must scroll sideways to see it all, and it loads slowly.")
                .arg(shown.size.width()),
            shown.animated
                ? QStringLiteral("Make a copy no wider than 500 pixels in a picture editor and "
                                 "use it in the page.")
                : QStringLiteral("Press Fix to make a copy 500 pixels wide for the web and use "
                                 "it in the page; your picture is kept as it is."));
        if (!shown.animated) {
            wide.fix = PageFix::WebCopy;
            wide.file = wide.folderFile = found.path;
        }
    }
    if (picture && shown.bytes > kLargestPicture)
        findings.add(file.at, PageProblem::TooLarge, name,
                     QStringLiteral("The file is %1 KB; a picture over 300 KB takes long to "
                                    "appear, above all on phones.")
                         .arg((shown.bytes + 1023) / 1024),
                     QStringLiteral("Save it smaller in a picture editor, as JPEG or with fewer "
                                    "pixels, to 300 KB or less."));
}

void checkMouseOverNames(const PageScan &scan, Findings &findings)
{
    QHash<QStringView, int> onPictures;
    QSet<QStringView> inScripts;
    for (const MouseOverName &name : scan.names) {
        if (name.onPicture)
            ++onPictures[name.name];
        else
            inScripts.insert(name.name);
    }
    for (const MouseOverName &name : scan.names) {
        const QString text = name.name.toString();
        if (name.onPicture && onPictures.value(name.name) > 1 && inScripts.contains(name.name) &&
            findings.once(PageProblem::NameTwice, text))
            findings.add(name.at, PageProblem::NameTwice, text,
                         QStringLiteral("Two MouseOver pictures are named %1: in a browser "
                                        "neither of them changes under the mouse.")
                             .arg(text),
                         QStringLiteral("Give one of them another name, in its NAME=\"%1\" and "
                                        "in the two %1.src just before it.")
                             .arg(text));
        const NameFault fault = name.onPicture ? NameFault::None : scriptNameFault(text);
        if (fault != NameFault::None && findings.once(PageProblem::BadScriptName, text))
            findings.add(name.at, PageProblem::BadScriptName, text,
                         fault == NameFault::NotAScriptName
                             ? QStringLiteral("A MouseOver name must begin with a letter and hold "
                                              "only letters, digits or _: with this one the "
                                              "picture does not change under the mouse.")
                             : QStringLiteral("The browser's script already uses this word for "
                                              "something else, so the picture does not change "
                                              "under the mouse."),
                         QStringLiteral("Write a name such as stmarksquare in its place, in "
                                        "NAME=\"...\" and in both .src parts of the MouseOver."));
    }
}

} // namespace

QList<PageFinding> checkPage(QStringView body, const QString &folder)
{
    const PageScan scan = scanPage(body);
    Findings findings;
    FolderFiles files(folder);

    // One use per file however often the page names it.
    QList<FileUse> uses;
    QHash<QString, qsizetype> useOf;
    for (const Reference &reference : scan.references) {
        const QStringView value = reference.value.trimmed();
        const Target target = targetOf(value);
        if (target == Target::LocalAddress &&
            findings.once(PageProblem::LocalAddress, value.toString()))
            findings.add(reference.at, PageProblem::LocalAddress, value.toString(),
                         QStringLiteral("This is the address of a file on your own computer, "
                                        "which visitors to your page cannot reach: for them it "
                                        "will be missing."),
                         QStringLiteral("Copy the file into your session folder and write only "
                                        "its name in the page, such as photo.jpg."));
        if (target != Target::File)
            continue;
        const QString key = fileKey(value);
        qsizetype index = useOf.value(key, -1);
        if (index < 0) {
            FileUse use;
            use.name = value.toString();
            use.at = reference.at;
            use.inFolder = splitPath(key, &use.parts);
            if (use.inFolder && use.parts.isEmpty())
                continue; // the folder itself
            index = uses.size();
            useOf.insert(key, index);
            uses.append(use);
        }
        uses[index].use |= reference.use;
    }

    // A file that the page names in two ways keeps its name: renaming it
    // would mend one and break the other.
    QHash<QString, int> spellings;
    for (FileUse &use : uses) {
        if (use.inFolder)
            use.found = files.find(use.parts);
        if (use.found.exists)
            ++spellings[use.found.path];
    }
    for (const FileUse &use : uses)
        checkFile(use, spellings.value(use.found.path), folder, findings);

    checkMouseOverNames(scan, findings);

    QStringList pages;
    for (const QString &name : files.names(QString())) {
        const QString suffix = QFileInfo(name).suffix().toLower();
        if ((suffix == QLatin1String("html") || suffix == QLatin1String("htm")) &&
            name != previewFileName())
            pages.append(name);
    }
    if (pages.size() == 1 && pages.first() != QLatin1String("index.html"))
        findings.add(body.size(), PageProblem::NotIndex, pages.first(),
                     QStringLiteral("This is the only page in your session folder. A web server "
                                    "shows a folder's page by itself only when it is called "
                                    "index.html, so visitors who type your site's address will "
                                    "not see this one."),
                     QStringLiteral("Save your page as index.html with SAVE my file, or rename "
                                    "it when you upload it. This is advice, not an error."));
    return findings.inPageOrder();
}

bool renameForPage(const QString &folder, const PageFinding &finding, QString *error)
{
    const QDir dir(folder);
    const QString target = dir.filePath(finding.file);
    // Through a name of its own, since a file system that ignores letter case
    // takes the new name for the file itself.
    const QString between = target + QStringLiteral(".tarnwell-renaming");
    QFile file(dir.filePath(finding.folderFile));
    if (!file.rename(between)) {
        *error = file.errorString();
        return false;
    }
    if (!file.rename(target)) {
        *error = file.errorString();
        file.rename(dir.filePath(finding.folderFile));
        return false;
    }
    return true;
}

bool makeWebCopy(const QString &folder, const PageFinding &finding, QString *newName,
                 QString *error)
{
    const QDir dir(folder);
    QImageReader reader(dir.filePath(finding.folderFile));
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true); // turned as the browser shows it
    QImage image = reader.read();
    if (image.isNull()) {
        *error = reader.errorString();
        return false;
    }
    if (image.width() > kWidestPicture)
        image = image.scaledToWidth(kWidestPicture, Qt::SmoothTransformation);
    if (image.hasAlphaChannel()) { // JPEG has none: see-through parts become white
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        image = flat;
    }

    const qsizetype slash = finding.name.lastIndexOf(u'/');
    const qsizetype dot = finding.name.lastIndexOf(u'.');
    const QString stem = dot > slash ? finding.name.left(dot) : finding.name;
    QString path;
    for (int n = 1;; ++n) {
        *newName = stem + QStringLiteral("-web") + (n > 1 ? QString::number(n) : QString()) +
                   QStringLiteral(".jpg");
        path = dir.filePath(fileKey(*newName));
        if (!QFileInfo::exists(path))
            break;
    }
    QImageWriter writer(path, "jpeg");
    writer.setQuality(85);
    if (!writer.write(image)) {
        *error = writer.errorString();
        QFile::remove(path);
        return false;
    }
    return true;
}

int replaceFileName(QTextDocument *document, const QString &name, const QString &newName)
{
    // The raw text counts each line break as one character, as the cursor does.
    const QString text = document->toRawText();
    const QString key = fileKey(QStringView(name).trimmed());
    QList<std::pair<qsizetype, qsizetype>> spans;
    for (const Reference &reference : scanPage(text).references) {
        const QStringView value = reference.value.trimmed();
        if (targetOf(value) == Target::File && fileKey(value) == key)
            spans.append({reference.at + (value.data() - reference.value.data()), value.size()});
    }
    std::sort(spans.begin(), spans.end());
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (auto it = spans.crbegin(); it != spans.crend(); ++it) {
        cursor.setPosition(int(it->first));
        cursor.setPosition(int(it->first + it->second), QTextCursor::KeepAnchor);
        cursor.insertText(newName);
    }
    cursor.endEditBlock();
    return int(spans.size());
}

} // namespace tarnwell
