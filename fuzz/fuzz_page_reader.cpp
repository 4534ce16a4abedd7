// Any bytes, read as UTF-8, into the page readers and Check page. What the
// reader reports must lie within the page, decode to no more characters than
// it takes there, and agree with gumbo, an HTML5 parser that shares no code
// with it. Check page runs on a small folder with a named pipe in it, which
// it must never open.
#include "document/page_check.h"
#include "document/page_references.h"
#include "html/links.h"
#include "page_oracle.h"
#include "support/gumbo_oracle.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sys/stat.h>

using namespace tarnwell;

namespace {

const QString &folder()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        const QDir d(dir.path());
        QImage small(8, 8, QImage::Format_RGB32);
        small.fill(Qt::red);
        QImage wide(600, 2, QImage::Format_ARGB32);
        wide.fill(Qt::transparent);
        return small.save(d.filePath("a.png")) && wide.save(d.filePath("Wide.png")) &&
               d.mkdir("pics") && small.save(d.filePath("pics/b.gif"), "PNG") &&
               mkfifo(QFile::encodeName(d.filePath("pipe.png")).constData(), 0600) == 0;
    }();
    static const QString path = made ? dir.path() : QString();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString page = QString::fromUtf8(input);
    const PageReferences found = readPageReferences(page);
    for (const PageReference &reference : found.references) {
        if (reference.at < 0 || reference.length < 0 ||
            reference.at + reference.length > page.size())
            fuzz::fail("an address outside the page", input);
        if (reference.value.size() > reference.length)
            fuzz::fail("a decoded address longer than its text in the page", input);
        // "&#13;" stands for a CR, but a NUL is never kept.
        if (reference.value.contains(QChar(0)))
            fuzz::fail("a NUL left in a decoded address", input);
    }
    for (const MouseOverName &name : found.names)
        if (name.at < 0 || name.at + name.name.size() > page.size() + 1)
            fuzz::fail("a MouseOver name outside the page", input);
    for (const PictureWithoutAlt &picture : found.withoutAlt)
        if (picture.at < 1 || picture.at >= page.size() || page[picture.at - 1] != u'<')
            fuzz::fail("a picture without alt that is no tag of the page", input);
    // The names a new MouseOver is checked against: each written in the page.
    for (const QString &name : namesInPage(page))
        if (!page.contains(name))
            fuzz::fail("a NAME that the page does not hold", input);
    const QString disagreement = test::disagreement(page);
    if (!disagreement.isEmpty())
        fuzz::fail(qPrintable(u"the page reader and gumbo disagree: "_qs + disagreement), input);

    if (folder().isEmpty())
        fuzz::fail("no folder to check the page in", input);
    for (const PageFinding &finding : checkPage(page, folder())) {
        if (finding.fix == PageFix::AddHttps &&
            (!finding.replacement.startsWith(QStringLiteral("https://")) ||
             finding.replacement.contains(u'"') || finding.replacement.contains(u'\'') ||
             std::any_of(finding.replacement.begin(), finding.replacement.end(),
                         [](QChar c) { return c == u'<' || c == u'>' || c.unicode() <= 0x20; })))
            fuzz::fail("a web address that would leave its attribute", input);
        if (finding.fix == PageFix::AddHttps &&
            finding.at >= 0 && finding.at + finding.length <= page.size()) {
            // Written in, it stays in its attribute and is a web address there.
            const QString mended = page.first(finding.at) + finding.replacement +
                                   page.sliced(finding.at + finding.length);
            const QList<PageReference> after = readPageReferences(mended).references;
            if (std::none_of(after.begin(), after.end(), [&finding](const PageReference &r) {
                    return r.at == finding.at && fileAddress(r.value).kind == AddressKind::Web;
                }))
                fuzz::fail("a mended address that is no web address where it was", input);
        }
        if ((finding.fix == PageFix::WebCopy || finding.fix == PageFix::AddHttps) &&
            (finding.at < 0 || finding.at + finding.length > page.size() ||
             page.sliced(finding.at, finding.length) != finding.address))
            fuzz::fail("a web copy's address not where the page has it", input);
        if ((finding.fix == PageFix::RenameFile || finding.fix == PageFix::WebCopy) &&
            (finding.folderFile.isEmpty() || finding.folderFile.startsWith(u'/') ||
             finding.folderFile.contains(QStringLiteral(".."))))
            fuzz::fail("a Fix aimed outside the folder", input);
    }
    return 0;
}
