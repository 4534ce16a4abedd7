#include "page_check.h"

#include "html/links.h"
#include "page_file.h"
#include "page_references.h"
#include "paths.h"
#include "picture_header.h"
#include "web_pictures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace tarnwell {

namespace {

constexpr qint64 kLargestOtherPage = 32 * 1024 * 1024;

// How the page uses a file, as the page reader tells it.
enum Use : unsigned { Shown = UseShown, Background = UseBackground, Linked = UseLinked };

bool isLetterOrDigit(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

bool isOddName(const QString &key)
{
    return std::any_of(key.begin(), key.end(), [](QChar c) {
        return !isLetterOrDigit(c) && c != u'-' && c != u'_' && c != u'.' && c != u'/';
    });
}

// Endings of web sites that a beginner's page links to: the generic ones and
// the countries' most used. Endings that are also common file types are left
// out (.au sound, .ai, .ps, .pl, .py, .sh, .md, .cc, .in, .zip, .mov), so no
// file of a page is taken for a web site; ".com.au" and the like are known
// by their second part.
bool isKnownTopLevel(QStringView ending)
{
    static const char16_t *const endings[] = {
        u"com", u"org", u"net", u"edu", u"gov", u"info", u"eu", u"uk", u"ie", u"de", u"fr",
        u"nl",  u"be",  u"ch",  u"at",  u"it",  u"es",   u"se", u"no", u"dk", u"fi", u"us",
        u"ca",  u"nz",  u"io",  u"co"};
    return std::any_of(std::begin(endings), std::end(endings), [ending](const char16_t *known) {
        return ending.compare(QStringView(known), Qt::CaseInsensitive) == 0;
    });
}

// The second part of "bbc.co.uk", "abc.net.au", "u-tokyo.ac.jp".
bool isKnownSecondLevel(QStringView part)
{
    static const char16_t *const parts[] = {u"co", u"com", u"org", u"net", u"gov", u"ac", u"edu"};
    return std::any_of(std::begin(parts), std::end(parts), [part](const char16_t *known) {
        return part.compare(QStringView(known), Qt::CaseInsensitive) == 0;
    });
}

// Endings of the files a page uses, which "www.name.html" ends in too.
bool isFileEnding(QStringView ending)
{
    static const char16_t *const endings[] = {
        u"html", u"htm", u"shtml", u"xhtml", u"php", u"asp", u"aspx", u"jsp", u"cgi", u"js",
        u"css",  u"txt", u"pdf",   u"doc",   u"docx", u"jpg", u"jpeg", u"gif", u"png", u"bmp",
        u"webp", u"svg", u"ico",   u"mp3",   u"mp4",  u"wav", u"zip"};
    return std::any_of(std::begin(endings), std::end(endings), [ending](const char16_t *known) {
        return ending.compare(QStringView(known), Qt::CaseInsensitive) == 0;
    });
}

bool isHostLabel(QStringView label)
{
    if (label.isEmpty() || label.size() > 63 || label.front() == u'-' || label.back() == u'-')
        return false;
    return std::all_of(label.begin(), label.end(),
                       [](QChar c) { return isLetterOrDigit(c) || c == u'-'; });
}

bool isLetters(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    });
}

// A host name that a person means as a web site: "www." and two parts more,
// or a known ending.
bool isWebHost(QStringView host)
{
    const QList<QStringView> labels = host.split(u'.');
    if (labels.size() < 2 || !std::all_of(labels.begin(), labels.end(), isHostLabel))
        return false;
    const QStringView last = labels.last();
    if (!isLetters(last) || isFileEnding(last))
        return false;
    if (labels.size() >= 3 && labels.first().compare(u"www", Qt::CaseInsensitive) == 0)
        return true;
    return isKnownTopLevel(last) ||
           (labels.size() >= 3 && last.size() == 2 && isKnownSecondLevel(labels[labels.size() - 2]));
}

// The address as written into a page's attribute, quoted or not: nothing
// in it ends the value or the tag.
QString attributeText(const QString &address)
{
    QString text;
    for (const QChar c : address) {
        if (c == u'&')
            text += QStringLiteral("&amp;");
        else if (c == u'"')
            text += QStringLiteral("&quot;");
        else if (c == u'\'')
            text += QStringLiteral("&#39;");
        else if (c == u'<')
            text += QStringLiteral("&lt;");
        else if (c == u'>')
            text += QStringLiteral("&gt;");
        else
            text += c;
    }
    return text;
}

bool isNamedAsPicture(const QString &key)
{
    static const QStringList suffixes = {QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                         QStringLiteral("gif"), QStringLiteral("png"),
                                         QStringLiteral("bmp"), QStringLiteral("webp")};
    return suffixes.contains(QFileInfo(key).suffix().toLower());
}

bool isPageName(const QString &name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return suffix == QLatin1String("html") || suffix == QLatin1String("htm");
}

// A name that can only be one file's name in one folder.
bool isPlainName(const QString &name)
{
    return isPlainFolderName(name) && !name.contains(QChar(0));
}

// The path under folder of a plain file (or folder) reached through no link:
// a Fix goes nowhere else. Empty when there is none such.
QString plainPathInside(const QString &folder, const QString &relative, bool file)
{
    QString path = QFileInfo(folder).canonicalFilePath();
    const QStringList parts = relative.split(u'/');
    if (path.isEmpty() || !std::all_of(parts.begin(), parts.end(), isPlainName))
        return {};
    for (qsizetype k = 0; k < parts.size(); ++k) {
        path += u'/' + parts[k];
        const QFileInfo info(path);
        if (info.isSymLink())
            return {};
        const bool last = k + 1 == parts.size();
        if (last ? (file ? !info.isFile() : !info.isDir()) : !info.isDir())
            return {};
    }
    return path;
}

// Nothing of that name, not even a link that leads nowhere.
bool isFree(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() && !info.isSymLink();
}

enum class Kind { File, Folder, Other, Outside };

struct Found
{
    bool exists = false;
    bool exact = true;       // every letter as the page writes it
    bool folderExact = true; // the folders' letters at least
    bool throughLink = false;
    Kind kind = Kind::File; // Outside: a link on the way leads out of the folder
    QString path;           // as the folder holds it, '/' between folders
    QString name;           // its last part
};

// The session folder and its subfolders, each listed once, on first use, by
// name and kind alone: nothing is opened, so a named pipe cannot hold it up.
// Each check lists afresh, so that it sees what changed in the folder.
class FolderFiles final
{
public:
    explicit FolderFiles(const QString &root)
        : m_canonical(root.isEmpty() ? QString() : QFileInfo(root).canonicalFilePath()),
          m_root(root)
    {}

    const QStringList &names(const QString &folder) { return listing(folder).names; }

    Found find(const QStringList &parts, bool exactOnly = false)
    {
        Found found;
        for (qsizetype k = 0; k < parts.size(); ++k) {
            if (found.exists && found.kind != Kind::Folder)
                return {}; // a file in the way
            const Listing &list = listing(found.path);
            qsizetype index = list.exact.value(parts[k], -1);
            if (index < 0) {
                index = exactOnly ? -1 : list.folded.value(parts[k].toLower(), -1);
                if (index < 0)
                    return {};
                found.exact = false;
                found.folderExact = found.folderExact && k + 1 == parts.size();
            }
            found.exists = true;
            found.kind = list.kinds[index];
            found.throughLink = found.throughLink || list.links[index];
            found.name = list.names[index];
            found.path = found.path.isEmpty() ? found.name : found.path + u'/' + found.name;
            if (found.kind == Kind::Outside)
                return found;
        }
        return found;
    }

private:
    QString m_canonical; // the folder with every link worked out

    struct Listing
    {
        QStringList names;
        QList<Kind> kinds;
        QList<bool> links;
        QHash<QString, qsizetype> exact;
        QHash<QString, qsizetype> folded; // the first name in order of all alike but for case
    };

    Kind kindOf(const QFileInfo &info) const
    {
        if (info.isSymLink()) {
            const QString target = info.canonicalFilePath();
            if (target.isEmpty())
                return Kind::Other; // leads nowhere
            if (target != m_canonical && !target.startsWith(m_canonical + u'/'))
                return Kind::Outside;
        }
        return info.isDir() ? Kind::Folder : info.isFile() ? Kind::File : Kind::Other;
    }

    const Listing &listing(const QString &folder)
    {
        auto it = m_listings.find(folder);
        if (it != m_listings.end())
            return *it;
        Listing list;
        if (m_root.isEmpty() || m_canonical.isEmpty()) // no session folder: nothing is in it
            return *m_listings.insert(folder, list);
        QDirIterator files(QDir(m_root).filePath(folder),
                           QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        while (files.hasNext()) {
            files.next();
            const QString name = files.fileName();
            const QString folded = name.toLower();
            list.exact.insert(name, list.names.size());
            list.kinds.append(kindOf(files.fileInfo()));
            list.links.append(files.fileInfo().isSymLink());
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
        "Address from the site's root",
        "Outside your folder",
        "Picture not described",
        "This looks like a web address without https://",
        "Not made for phones",
    };
    return QString::fromLatin1(titles[int(problem)]);
}

// What an address that no folder's file can answer means on the web.
struct AddressAdvice
{
    PageProblem problem;
    const char *effect;
    const char *mend;
};

const AddressAdvice &adviceFor(AddressKind kind)
{
    static const AddressAdvice computer = {
        PageProblem::LocalAddress,
        "This is the address of a file on your own computer, which visitors to your page "
        "cannot reach: for them it will be missing.",
        "Copy the file into your session folder and write only its name in the page, such as "
        "photo.jpg."};
    static const AddressAdvice siteRoot = {
        PageProblem::SiteRoot,
        "An address that begins with / starts at the root of the web site, not at your page's "
        "folder: it works only if your page lands at the site's root, and Tarnwell cannot tell "
        "which of your files it means.",
        "Write the address from your page's folder instead, without the / at the front, such "
        "as img/a.jpg."};
    static const AddressAdvice outside = {
        PageProblem::OutsideFolder,
        "This address leads with .. out of your session folder. Only your session folder goes "
        "onto the web, so there the file will be missing.",
        "Copy the file into your session folder and write its address from there, such as "
        "photo.jpg."};
    return kind == AddressKind::Computer   ? computer
           : kind == AddressKind::SiteRoot ? siteRoot
                                           : outside;
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
    QString name; // as the page first writes it, decoded
    qsizetype at = 0;
    unsigned use = 0;
    QStringList parts;
    Found found;
    const PageReference *shown = nullptr; // the first that shows it as a picture
    const PageReference *first = nullptr; // the first that names it
    int references = 0;
};

// The files that the folder's other pages name in these very letters: a
// rename would break them. False when one of them cannot be read.
bool namedByOtherPages(FolderFiles &files, const QString &folder, const QString &ownPage,
                       QSet<QString> *named)
{
    const QString own = ownPage.isEmpty() ? QString() : QFileInfo(ownPage).canonicalFilePath();
    for (const QString &name : files.names(QString())) {
        if (!isPageName(name) || name == previewFileName())
            continue;
        const QString path = plainPathInside(folder, name, true);
        if (!own.isEmpty() && !path.isEmpty() && QFileInfo(path).canonicalFilePath() == own)
            continue;
        LoadedPage page;
        if (path.isEmpty() || QFileInfo(path).size() > kLargestOtherPage ||
            !loadPageFile(path, &page))
            return false;
        for (const PageReference &reference : readPageReferences(page.body).references) {
            const FileAddress address = fileAddress(reference.value);
            if (address.kind != AddressKind::File)
                continue;
            const Found found = files.find(address.parts, true);
            if (found.exists)
                named->insert(found.path);
        }
    }
    return true;
}

class Checker final
{
public:
    Checker(const QString &folder, const QString &ownPage, int widest, FolderFiles &files,
            Findings &findings)
        : m_folder(folder), m_ownPage(ownPage), m_widest(widest), m_files(files),
          m_findings(findings)
    {}

    void check(const FileUse &file, int spellings);

private:
    bool renameBreaksOtherPages(const QString &path)
    {
        if (!m_otherPagesRead) {
            m_otherPagesRead = true;
            m_otherPagesKnown =
                namedByOtherPages(m_files, m_folder, m_ownPage, &m_namedByOtherPages);
        }
        return !m_otherPagesKnown || m_namedByOtherPages.contains(path);
    }

    // The web-safe name the file found could take in its folder, if any.
    QString webNameFor(const FileUse &file, int spellings)
    {
        const Found &found = file.found;
        const QStringList folders = found.path.split(u'/').mid(0, file.parts.size() - 1);
        if (!found.exists || !found.exact || found.kind != Kind::File || found.throughLink ||
            file.references != 1 || spellings != 1 || isOddName(folders.join(u'/')))
            return {};
        const QString safe = webSafeName(found.name);
        if (safe == found.name)
            return {};
        const QString path = plainPathInside(m_folder, found.path, true);
        if (path.isEmpty() || renameBreaksOtherPages(found.path))
            return {};
        const qsizetype dot = safe.lastIndexOf(u'.');
        const QString folder = path.left(path.size() - found.name.size());
        const QString stem = dot > 0 ? safe.left(dot) : safe;
        const QString extension = dot > 0 ? safe.sliced(dot) : QString();
        return freeName(folder, stem, QStringLiteral("-"), extension);
    }

    const QString &m_folder;
    const QString &m_ownPage;
    int m_widest;
    FolderFiles &m_files;
    Findings &m_findings;
    bool m_otherPagesRead = false;
    bool m_otherPagesKnown = false;
    QSet<QString> m_namedByOtherPages;
};

void Checker::check(const FileUse &file, int spellings)
{
    const QString &name = file.name;
    const QString thing = noun(file.use);
    const Found &found = file.found;
    const bool picture = file.use & (Shown | Background);
    if (found.kind == Kind::Outside) {
        m_findings.add(file.at, PageProblem::OutsideFolder, name,
                       QStringLiteral("%1 in your session folder is a link to a place outside "
                                      "it. Only your session folder goes onto the web, so "
                                      "there the %2 will be missing.")
                           .arg(found.path, thing),
                       QStringLiteral("Copy the file itself into your session folder in place "
                                      "of the link."));
        return;
    }
    if (!found.exists) {
        const bool canCopy = picture && file.parts.size() == 1 && isPlainName(file.parts.first());
        PageFinding &missing = m_findings.add(
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
        // Only a plain file that nothing else names rightly; a folder or a
        // page may be named rightly elsewhere, so it keeps its name.
        const bool canRename = found.folderExact && spellings == 1 && found.kind == Kind::File &&
                               !found.throughLink && !isPageName(found.name) &&
                               isPlainName(pageName) && !renameBreaksOtherPages(found.path);
        PageFinding &letters = m_findings.add(
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
    if (isOddName(file.parts.join(u'/'))) {
        const QString webName = webNameFor(file, spellings);
        PageFinding &odd = m_findings.add(
            file.at, PageProblem::OddName, name,
            QStringLiteral("Web addresses cannot hold spaces and some other characters as they "
                           "are; many web servers and browsers then fail to find the file."),
            webName.isEmpty()
                ? QStringLiteral("Rename the file using only letters, digits, - and _ (such as "
                                 "my-photo.jpg) and change the name in the page to match.")
                : QStringLiteral("Press Fix to rename the file in your folder to %1 and write "
                                 "that name in the page.")
                      .arg(webName));
        if (!webName.isEmpty()) {
            odd.fix = PageFix::WebName;
            odd.folderFile = found.path;
            odd.file = found.path.left(found.path.size() - found.name.size()) + webName;
            odd.at = file.first->at;
            odd.length = file.first->length;
        }
    }
    if (!found.exists || (!picture && !isNamedAsPicture(found.path)))
        return;
    // Only a plain file is opened: a named pipe or a device would never answer.
    const PictureInfo shown =
        found.kind == Kind::File ? readPicture(QDir(m_folder).filePath(found.path)) : PictureInfo();
    if (!shown.readable) {
        m_findings.add(file.at, PageProblem::NotPicture, name,
                       QStringLiteral("The file is named or used as a picture but holds none "
                                      "that a browser can show, or it is damaged: visitors see "
                                      "an empty frame or nothing."),
                       QStringLiteral("Replace it with the real picture, for example by "
                                      "picking the picture again."));
        return;
    }
    if (file.shown && shown.size.width() > m_widest) {
        const bool canCopy = !shown.animated && !found.throughLink;
        PageFinding &wide = m_findings.add(
            file.shown->at, PageProblem::TooWide, file.shown->value.trimmed(),
            QStringLiteral("It is %1 pixels wide, more than the %2 that fit a page: visitors "
                           "must scroll sideways to see it all, and it loads slowly.")
                .arg(shown.size.width())
                .arg(m_widest),
            canCopy ? QStringLiteral("Press Fix to make a copy %1 pixels wide for the web and "
                                     "use it here in the page; your picture is kept as it is.")
                          .arg(m_widest)
                    : QStringLiteral("Make a copy no wider than %1 pixels in a picture editor "
                                     "and use it in the page.")
                          .arg(m_widest));
        if (canCopy) {
            wide.fix = PageFix::WebCopy;
            wide.file = wide.folderFile = found.path;
            wide.at = file.shown->at;
            wide.length = file.shown->length;
            wide.widest = m_widest;
        }
    }
    if (picture && shown.bytes > kLargestPicture)
        m_findings.add(file.at, PageProblem::TooLarge, name,
                       QStringLiteral("The file is %1 KB; a picture over 300 KB takes long to "
                                      "appear, above all on phones.")
                           .arg((shown.bytes + 1023) / 1024),
                       QStringLiteral("Save it smaller in a picture editor, as JPEG or with "
                                      "fewer pixels, to 300 KB or less."));
}

void checkMouseOverNames(const PageReferences &scan, Findings &findings)
{
    QHash<QString, int> onPictures;
    QSet<QString> inScripts;
    for (const MouseOverName &name : scan.names) {
        if (name.onPicture)
            ++onPictures[name.name];
        else
            inScripts.insert(name.name);
    }
    QSet<QString> judged; // each script name once: a long script repeats them
    for (const MouseOverName &name : scan.names) {
        const QString &text = name.name;
        if (!name.onPicture && judged.contains(text))
            continue;
        if (!name.onPicture)
            judged.insert(text);
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

void addWebAddress(Findings &findings, const PageReference &reference, const QString &value,
                   const QString &web)
{
    const bool startText = value.startsWith(QStringLiteral(".html"), Qt::CaseInsensitive);
    PageFinding &found = findings.add(
        reference.at, PageProblem::WebAddress, value,
        startText ? QStringLiteral("It begins with .html, the text that stood in the address "
                                   "field before you typed, and has no https:// in front. A "
                                   "browser takes it for the name of a file beside your page, "
                                   "not for a web site, and finds nothing there.")
                  : QStringLiteral("Without https:// in front, a browser takes it for the name "
                                   "of a file beside your page, not for a web site, and finds "
                                   "nothing there."),
        QStringLiteral("Press Fix to write %1 in its place.").arg(web));
    found.fix = PageFix::AddHttps;
    found.at = reference.at;
    found.length = reference.length;
    found.replacement = attributeText(web);
}

} // namespace

QList<PageFinding> checkPage(QStringView body, const QString &folder, const QString &ownPage)
{
    const PageReferences scan = readPageReferences(body);
    Findings findings;
    FolderFiles files(folder);

    // One use per file however often the page names it.
    QList<FileUse> uses;
    QHash<QString, qsizetype> useOf;
    QHash<QString, qsizetype> known; // a value read before: its use, or -1 for none
    const auto takeUse = [&uses](qsizetype index, const PageReference &reference) {
        FileUse &use = uses[index];
        use.use |= reference.use;
        if (use.references++ == 0)
            use.first = &reference;
        if (!use.shown && (reference.use & Shown))
            use.shown = &reference;
    };
    for (const PageReference &reference : scan.references) {
        if (const auto it = known.constFind(reference.value); it != known.cend()) {
            if (*it >= 0)
                takeUse(*it, reference);
            continue;
        }
        known.insert(reference.value, -1);
        const FileAddress address = fileAddress(reference.value);
        const QString value = reference.value.trimmed();
        if (address.kind == AddressKind::ThisPage || address.kind == AddressKind::Web)
            continue;
        if (address.kind != AddressKind::File) {
            const AddressAdvice &advice = adviceFor(address.kind);
            if (findings.once(advice.problem, value))
                findings.add(reference.at, advice.problem, value,
                             QString::fromLatin1(advice.effect), QString::fromLatin1(advice.mend));
            continue;
        }
        // A web site typed without https:// is a file to a browser; unless
        // the folder holds that very file, the site is meant.
        if (const QString web = webAddressWithoutHttps(value);
            !web.isEmpty() && !files.find(address.parts).exists) {
            if (findings.once(PageProblem::WebAddress, value))
                addWebAddress(findings, reference, value, web);
            continue;
        }
        const QString key = address.parts.join(u'/');
        qsizetype index = useOf.value(key, -1);
        if (index < 0) {
            FileUse use;
            use.name = value;
            use.at = reference.at;
            use.parts = address.parts;
            index = uses.size();
            useOf.insert(key, index);
            uses.append(use);
        }
        known.insert(reference.value, index);
        takeUse(index, reference);
    }

    // A file that the page names in two ways keeps its name: renaming it
    // would mend one and break the other.
    QHash<QString, int> spellings;
    for (FileUse &use : uses) {
        use.found = files.find(use.parts);
        if (use.found.exists)
            ++spellings[use.found.path];
    }
    const bool modern = isModernPage(body);
    Checker checker(folder, ownPage, widestPicture(modern), files, findings);
    for (const FileUse &use : uses)
        checker.check(use, spellings.value(use.found.path));
    checkMouseOverNames(scan, findings);
    // A classic page has no descriptions to miss; a modern page promises them.
    if (modern) {
        for (const PictureWithoutAlt &picture : scan.withoutAlt) {
            if (findings.once(PageProblem::NoDescription, picture.source))
                findings.add(
                    picture.at, PageProblem::NoDescription, picture.source,
                    QStringLiteral("Someone who cannot see the picture hears its file name read "
                                   "out instead of what it shows."),
                    QStringLiteral("Write what the picture shows in its tag, as alt=\"a red "
                                   "bicycle\" after the file name; for a picture that is only "
                                   "decoration write alt=\"\"."));
        }
    }
    // WebCopy replaces the address just where it was found.
    QList<PageFinding> found = findings.inPageOrder();
    for (PageFinding &finding : found)
        if (finding.fix == PageFix::WebCopy || finding.fix == PageFix::AddHttps ||
            finding.fix == PageFix::WebName)
            finding.address = body.sliced(finding.at, finding.length).toString();

    QStringList pages;
    for (const QString &name : files.names(QString())) {
        if (isPageName(name) && name != previewFileName())
            pages.append(name);
    }
    if (pages.size() == 1 && pages.first() != QLatin1String("index.html")) {
        PageFinding index;
        index.problem = PageProblem::NotIndex;
        index.name = pages.first();
        index.title = title(PageProblem::NotIndex);
        index.effect =
            QStringLiteral("This is the only page in your session folder. A web server shows a "
                           "folder's page by itself only when it is called index.html, so "
                           "visitors who type your site's address will not see this one.");
        index.mend = QStringLiteral("Save your page as index.html with SAVE my file, or rename "
                                    "it when you upload it. This is advice, not an error.");
        found.append(index);
    }
    return found;
}

QList<PageFinding> phoneAdvice(QStringView body)
{
    if (isModernPage(body) || readPageReferences(body).viewport)
        return {};
    PageFinding advice;
    advice.problem = PageProblem::NotForPhones;
    advice.name = QStringLiteral("This page");
    advice.title = title(PageProblem::NotForPhones);
    advice.effect = QStringLiteral("Phones show this page shrunk to less than half its size, "
                                   "with text too small to read.");
    advice.mend = QStringLiteral("Tick 'Make a page for phones' on the HEAD screen when you "
                                 "start your next page.");
    return {advice};
}

bool renameForPage(const QString &folder, const PageFinding &finding, QString *error)
{
    const QString from = plainPathInside(folder, finding.folderFile, true);
    const qsizetype slash = finding.folderFile.lastIndexOf(u'/');
    const QString oldName = finding.folderFile.sliced(slash + 1);
    const QString newName = finding.file.mid(slash + 1);
    if (from.isEmpty() || finding.file.left(slash + 1) != finding.folderFile.left(slash + 1) ||
        !isPlainName(newName) || newName.toLower() != oldName.toLower() || newName == oldName) {
        *error = QStringLiteral("the file is no longer a plain file of your folder.");
        return false;
    }
    const QString parent = from.left(from.size() - oldName.size());
    const QString target = parent + newName;
    // A file system that ignores letter case finds the file itself under the
    // new name; any other file of that name stays untouched.
    if (QDir(parent).entryList(QDir::AllEntries | QDir::Hidden | QDir::System).contains(newName) ||
        (!isFree(target) && QFileInfo(target).canonicalFilePath() != from)) {
        *error = QStringLiteral("a file called %1 is in the folder already.").arg(newName);
        return false;
    }
    // Through a name of its own, since a file system that ignores letter case
    // takes the new name for the file itself.
    const QString between = target + QStringLiteral(".tarnwell-renaming");
    QFile file(from);
    if (!isFree(between) || !file.rename(between)) {
        *error = file.errorString();
        return false;
    }
    if (!file.rename(target)) {
        *error = file.errorString();
        file.rename(from);
        return false;
    }
    return true;
}

bool renameForWeb(const QString &folder, const PageFinding &finding, QString *newAddress,
                  QString *error)
{
    const QString from = plainPathInside(folder, finding.folderFile, true);
    const qsizetype slash = finding.folderFile.lastIndexOf(u'/');
    const QString oldName = finding.folderFile.sliced(slash + 1);
    const QString newName = finding.file.mid(slash + 1);
    if (from.isEmpty() || finding.file.left(slash + 1) != finding.folderFile.left(slash + 1) ||
        !isPlainName(newName) || webSafeName(newName) != newName || newName == oldName) {
        *error = QStringLiteral("the file is no longer a plain file of your folder.");
        return false;
    }
    const QString target = from.left(from.size() - oldName.size()) + newName;
    if (!isFree(target)) {
        *error = QStringLiteral("a file called %1 is in the folder already.").arg(newName);
        return false;
    }
    // Qt renames without replacing: a file that appears meanwhile is kept.
    QFile file(from);
    if (!file.rename(target)) {
        *error = file.errorString();
        return false;
    }
    *newAddress = addressOfPath(finding.file);
    return true;
}

bool makeWebCopy(const QString &folder, const PageFinding &finding, QString *newAddress,
                 QString *error, QSize *copySize)
{
    const QString source = plainPathInside(folder, finding.folderFile, true);
    if (source.isEmpty()) {
        *error = QStringLiteral("the picture is no longer a plain file of your folder.");
        return false;
    }
    // The name comes from the file found in the folder, never from the page.
    const qsizetype slash = finding.folderFile.lastIndexOf(u'/');
    const QString name = finding.folderFile.sliced(slash + 1);
    const QString parent = source.left(source.size() - name.size());
    QString copyName;
    if (!writeWebCopy(source, name, parent, finding.widest > 0 ? finding.widest
                                                                : kClassicPictureWidth,
                      &copyName, error, copySize))
        return false;
    *newAddress = addressOfPath(finding.folderFile.left(slash + 1) + copyName);
    return true;
}

QString webAddressWithoutHttps(QStringView address)
{
    address = address.trimmed();
    // The Text Link screen's address field starts with ".html": typed after
    // it, or before it, the site's name keeps it.
    static const QString kStartText = QStringLiteral(".html");
    const bool after = address.startsWith(kStartText, Qt::CaseInsensitive);
    if (after)
        address = address.sliced(kStartText.size());
    qsizetype end = 0;
    while (end < address.size() && address[end] != u'/' && address[end] != u'\\' &&
           address[end] != u'?' && address[end] != u'#')
        ++end;
    QStringView host = address.first(end);
    const QStringView rest = address.sliced(end);
    if (!after && rest.isEmpty() && host.endsWith(kStartText, Qt::CaseInsensitive) &&
        host.startsWith(u"www.", Qt::CaseInsensitive))
        host.chop(kStartText.size());
    if (!isWebHost(host))
        return {};
    QString web = QStringLiteral("https://") + host.toString();
    // A path typed with Windows' separator means the same to the web site;
    // a space is written as a web address writes it.
    for (const QChar c : rest) {
        if (c == u'\\')
            web += u'/';
        else if (c.unicode() <= 0x20 || c.unicode() == 0x7F)
            web += u'%' + QString::number(c.unicode(), 16).toUpper().rightJustified(2, u'0');
        else
            web += c;
    }
    return web;
}

bool replaceAddress(QTextDocument *document, const PageFinding &finding, const QString &newAddress)
{
    // The raw text counts each line break as one character, as the cursor does.
    const QString text = document->toRawText();
    if (finding.at < 0 || finding.at + finding.length > text.size() ||
        QStringView(text).sliced(finding.at, finding.length) != finding.address)
        return false;
    QTextCursor cursor(document);
    cursor.setPosition(int(finding.at));
    cursor.setPosition(int(finding.at + finding.length), QTextCursor::KeepAnchor);
    cursor.insertText(newAddress); // one edit, which Undo takes back
    return true;
}

} // namespace tarnwell
