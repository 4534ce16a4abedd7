// Publishing against a web folder and a session folder that someone else can
// change, on the real servers (OpenSSH's sshd, ProFTPD) on 127.0.0.1: links
// planted at the names Tarnwell writes, a file changed on the server behind
// its back, a file swapped in the session folder once listed, names and
// folders that cannot be sent, two publishes at once. Then the plain rules
// (the folder on the server, names, the page file, MLST's
// facts, the record's entries) as tables.

#include "publish/ftp_text.h"
#include "publish/publisher.h"
#include "publish/sent_record.h"
#include "publish/transport.h"
#include "support/files.h"
#include "support/publish_server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

using namespace tarnwell::publish;
using tarnwell::test::filesUnder;
using tarnwell::test::makePipe;
using tarnwell::test::publishNow;
using tarnwell::test::PublishServer;
using tarnwell::test::readAll;
using tarnwell::test::reportOf;
using tarnwell::test::storeWithin;
using tarnwell::test::writeBytes;

namespace {

enum class Case {
    Planted,         // a link where Tarnwell writes (the page, its old temporary name)
    TestConnection,  // the same at the test connection's old name
    FolderAtPicture, // a picture's name on the server is a folder
    EditedSameSize,  // someone else's bytes of the same size, later
    SwappedLocal,    // a picture becomes a link out of the session folder once listed
    UpFolder,        // the folder on the server goes up with ".."
    TildeFolder,     // "~/web"
    LongName,        // a picture's name too long once sent under a temporary name
    LineBreak,       // a picture's name with a line break
};

const QByteArray kSecret = "the account's other file\n";
const QByteArray kPage = "<html><body><img src=\"stone.png\"><img src=\"pics/photo.jpg\">"
                         "</body></html>\n";

bool setTime(const QString &path, qint64 seconds)
{
    const timeval times[2] = {{time_t(seconds), 0}, {time_t(seconds), 0}};
    return ::utimes(QFile::encodeName(path).constData(), times) == 0;
}

// The session folder: a page, two pictures, and what the page says of them.
struct Folder
{
    QTemporaryDir dir;
    QString page = QString::fromLatin1(kPage);

    Folder(const QString &pageName = "index.html")
    {
        QDir(dir.path()).mkpath("pics");
        writeBytes(dir.filePath(pageName), kPage);
        writeBytes(dir.filePath("stone.png"), "\x89PNG stone");
        writeBytes(dir.filePath("pics/photo.jpg"), QByteArray(3 * 1024 * 1024, 'p'));
    }
    QList<PageFile> files(const QString &pageName = "index.html") const
    {
        return filesToPublish(dir.path(), pageName, page);
    }
};

// The server, and the account's own file beside the web folder.
struct Server : PublishServer
{
    using PublishServer::PublishServer;
    // The login folder: the account's other files are here.
    QString home() const { return QFileInfo(web()).path(); }
    // A file of the account's own outside the web folder, that it may write.
    QString victim() const
    {
        const QString path = home() + "/victim.txt";
        const QFileInfo owner(web());
        if (!writeBytes(path, kSecret) ||
            ::chown(QFile::encodeName(path).constData(), owner.ownerId(), owner.groupId()) != 0)
            return {};
        return path;
    }
};

bool isLink(const QString &path)
{
    return QFileInfo(path).isSymLink();
}

} // namespace

class TestPublishHostile final : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void atOnce_data();
    void atOnce();
    void folderRule_data();
    void folderRule();
    void names_data();
    void names();
    void pageFile_data();
    void pageFile();
    void facts_data();
    void facts();
    void statLines_data();
    void statLines();
    void recordEntries_data();
    void recordEntries();
    void leftovers_data();
    void leftovers();
};

void TestPublishHostile::runs_data()
{
    QTest::addColumn<Method>("method");
    QTest::addColumn<Case>("which");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QString>("where"); // the name the problem is about
    QTest::addColumn<QString>("planted"); // a link in the web folder to the account's file

    const QString longName = QString(245, u'n') + ".png";
    for (const Method method : {Method::Sftp, Method::Ftp}) {
        const auto row = [method](const char *name, Case which, Failure failure, int sent,
                                  const QString &where = {}, const QString &planted = {}) {
            QTest::addRow("%s, %s", method == Method::Sftp ? "SFTP" : "FTP", name)
                << method << which << failure << sent << where << planted;
        };
        row("link at the temporary name", Case::Planted, Failure::None, 3, {},
            ".index.html.tarnwell-tmp");
        row("link at the test file's name", Case::TestConnection, Failure::None, 0, {},
            ".tarnwell-test");
        row("link at the page's name", Case::Planted, Failure::NotAFile, 2, "web/index.html",
            "index.html");
        row("folder at a picture's name", Case::FolderAtPicture, Failure::NotAFile, 0,
            "web/stone.png");
        row("changed on the server, same size", Case::EditedSameSize, Failure::None, 1);
        row("picture swapped for a link out", Case::SwappedLocal, Failure::NotInFolder, 1,
            "pics/photo.jpg");
        row("folder up and out", Case::UpFolder, Failure::BadFolder, 0, "web/../../outside");
        row("folder from ~/", Case::TildeFolder, Failure::None, 3);
        row("name too long", Case::LongName, Failure::BadName, 0, longName);
        row("name with a line break", Case::LineBreak, Failure::BadName, 0, "a?b.png");
    }
}

void TestPublishHostile::runs()
{
    QFETCH(Method, method);
    QFETCH(Case, which);
    QFETCH(Failure, failure);
    QFETCH(int, sent);
    QFETCH(QString, where);
    QFETCH(QString, planted);

    Server server(method);
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));
    const QTemporaryDir data;
    const Store store = storeWithin(data.path());
    Folder folder;
    Site site = server.site();
    const QString victim = server.victim();
    QVERIFY(!victim.isEmpty());
    const QString web = server.web();

    // Before the run under test.
    if (!planted.isEmpty())
        QVERIFY(QFile::link("../victim.txt", web + '/' + planted));
    switch (which) {
    case Case::FolderAtPicture:
        QVERIFY(QDir().mkpath(web + "/stone.png"));
        break;
    case Case::EditedSameSize: {
        QCOMPARE(publishNow(site, store, folder.files()).sent, 3);
        // Another program's bytes, written a minute later, as an edit would.
        const QString there = web + "/stone.png";
        const qint64 then = QFileInfo(there).lastModified().toSecsSinceEpoch();
        QVERIFY(writeBytes(there, "\x89PNG STONE"));
        QVERIFY(setTime(there, then + 60));
        break;
    }
    case Case::UpFolder:
        site.remoteFolder = "web/../../outside";
        site.createFolder = true;
        break;
    case Case::TildeFolder:
        site.remoteFolder = "~/web";
        break;
    case Case::LongName:
    case Case::LineBreak: {
        const QString name = which == Case::LongName ? where : "a\nb.png";
        QVERIFY(writeBytes(folder.dir.filePath(name), "odd"));
        folder.page.replace("<img src=\"pics/photo.jpg\">",
                            "<img src=\"" + QUrl::toPercentEncoding(name) + "\">");
        break;
    }
    default:
        break;
    }
    QList<PageFile> files = folder.files();
    if (which == Case::LongName || which == Case::LineBreak)
        QCOMPARE(files.size(), 3);
    if (which == Case::SwappedLocal) {
        // Listed, then swapped while the user answers a question.
        QVERIFY(QFile::remove(folder.dir.filePath("pics/photo.jpg")));
        QVERIFY(QFile::link(victim, folder.dir.filePath("pics/photo.jpg")));
    }

    Publisher publisher(site, store, which == Case::TestConnection ? QList<PageFile>() : files);
    const Report report = reportOf(publisher, which == Case::TestConnection);
    QVERIFY2(report.problem.failure == failure, qPrintable(QString("failure %1: %2")
                                                               .arg(int(report.problem.failure))
                                                               .arg(report.problem.details)));
    QCOMPARE(report.sent, sent);
    QCOMPARE(report.problem.where, where);
    if (failure != Failure::None) {
        QVERIFY(!report.files.isEmpty() || which == Case::UpFolder);
        if (!report.files.isEmpty()) {
            QCOMPARE(report.files.last().state, FileState::Failed);
            QVERIFY(!report.files.last().reason.isEmpty());
        }
    }
    // The account's other file is as it was, and never sent.
    QCOMPARE(readAll(victim), kSecret);
    const QMap<QString, QByteArray> onServer = filesUnder(server.home());
    for (auto file = onServer.cbegin(); file != onServer.cend(); ++file)
        QVERIFY2(file.value() != kSecret || file.key() == "victim.txt" ||
                     isLink(server.home() + '/' + file.key()),
                 qPrintable(file.key()));
    QVERIFY(!QDir(server.home()).exists("outside") && !QDir(server.home()).exists("~"));

    if (!planted.isEmpty())
        QVERIFY(isLink(web + '/' + planted));
    if (which == Case::TestConnection) {
        QCOMPARE(QDir(web).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{".tarnwell-test"});
    } else if (failure == Failure::None) {
        QVERIFY(!isLink(web + "/index.html"));
        QCOMPARE(readAll(web + "/index.html"), kPage);
        QCOMPARE(readAll(web + "/stone.png"), "\x89PNG stone");
    } else if (which == Case::FolderAtPicture) {
        QVERIFY(QFileInfo(web + "/stone.png").isDir());
        QVERIFY(!QFile::exists(web + "/index.html"));
    } else if (planted.isEmpty()) {
        // Nothing that was not sent before the problem showed.
        QVERIFY(!QFile::exists(web + "/index.html"));
        QCOMPARE(QFile::exists(web + "/stone.png"), which == Case::SwappedLocal);
    }
}

// Two publishes of two pages to one folder at once keep both pages' entries.
void TestPublishHostile::atOnce_data()
{
    QTest::addColumn<Method>("method");
    QTest::newRow("SFTP") << Method::Sftp;
    QTest::newRow("FTP") << Method::Ftp;
}

void TestPublishHostile::atOnce()
{
    QFETCH(Method, method);
    Server server(method);
    QString why;
    QVERIFY2(server.start(&why), qPrintable(why));
    const QTemporaryDir data;
    const Store store = storeWithin(data.path());
    const Site site = server.site();
    Folder one("one.html");
    Folder two("two.html");
    Report first;
    Report second;
    std::thread other([&] { second = publishNow(site, store, two.files("two.html")); });
    first = publishNow(site, store, one.files("one.html"));
    other.join();
    QCOMPARE(first.problem.failure, Failure::None);
    QCOMPARE(second.problem.failure, Failure::None);
    const SentRecord record = SentRecord::read(store.record);
    for (const char *name : {"one.html", "two.html", "stone.png", "pics/photo.jpg"})
        QVERIFY2(record.entry(SentRecord::placeOf(site), name), name);
    QCOMPARE(readAll(server.web() + "/two.html"), kPage);
    QVERIFY(!QFile::exists(store.record + ".lock"));
}

void TestPublishHostile::folderRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("folder"); // "!" when refused

    QTest::newRow("empty") << "" << "";
    QTest::newRow("plain") << "public_html" << "public_html";
    QTest::newRow("deeper, slashes after") << "public_html/site//" << "public_html/site";
    QTest::newRow("leading slash") << "/public_html" << "public_html";
    QTest::newRow("slash alone") << "/" << "";
    QTest::newRow("tilde") << "~/public_html" << "public_html";
    QTest::newRow("tilde alone") << "~" << "";
    QTest::newRow("tilde after a slash is a name") << "/~/x" << "~/x";
    QTest::newRow("someone's tilde is a name") << "~ann/www" << "~ann/www";
    QTest::newRow("dots") << "./www/." << "www";
    QTest::newRow("up") << "../../x" << "!";
    QTest::newRow("up in the middle") << "www/../x" << "!";
    QTest::newRow("line break") << "www\nDELE x" << "!";
    QTest::newRow("NUL") << QString("www") + QChar(0) << "!";
    QTest::newRow("a part too long") << QString(256, u'w') << "!";
    QTest::newRow("a part just fits") << QString(255, u'w') << QString(255, u'w');
}

void TestPublishHostile::folderRule()
{
    QFETCH(QString, typed);
    QFETCH(QString, folder);
    QString why;
    const std::optional<QString> found = folderOnServer(typed, &why);
    QCOMPARE(found.value_or("!"), folder);
    QCOMPARE(why.isEmpty(), folder != "!");
}

void TestPublishHostile::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("sendable");

    // 255 bytes with the 31 that the temporary name adds.
    QTest::newRow("224 bytes") << QString(220, u'a') + ".png" << true;
    QTest::newRow("225 bytes") << QString(221, u'a') + ".png" << false;
    QTest::newRow("224 bytes of two-byte letters")
        << QString(110, QChar(0xe9)) + ".png" << true;
    QTest::newRow("226 bytes of two-byte letters")
        << QString(111, QChar(0xe9)) + ".png" << false;
    QTest::newRow("a long folder") << QString(255, u'f') + "/a.png" << true;
    QTest::newRow("a folder too long") << QString(256, u'f') + "/a.png" << false;
    QTest::newRow("line break") << "a\nb.png" << false;
    QTest::newRow("carriage return in a folder") << "a\r/b.png" << false;
    QTest::newRow("tab") << "a\tb.png" << false;
    QTest::newRow("delete") << "a\x7f.png" << false;
    QTest::newRow("NUL") << QString("a") + QChar(0) + "b.png" << false;
    QTest::newRow("lone surrogate") << QString("a") + QChar(0xd800) + ".png" << false;
    QTest::newRow("spaces and accents") << "Ma photo \u00e9t\u00e9 #1%.png" << true;
    QTest::newRow("empty part") << "pics//a.png" << false;
    QTest::newRow("up") << "../a.png" << false;
}

void TestPublishHostile::names()
{
    QFETCH(QString, name);
    QFETCH(bool, sendable);
    QCOMPARE(nameProblem(name).isEmpty(), sendable);
    const QString temporary = temporaryNameOf("web/" + name);
    if (sendable)
        QVERIFY(temporary.section(u'/', -1).toUtf8().size() <= 255);
    QVERIFY(temporary != temporaryNameOf("web/" + name));
}

void TestPublishHostile::pageFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("refused");
    QTest::newRow("the page itself") << "file" << false;
    QTest::newRow("a link out") << "link out" << true;
    QTest::newRow("a link in the folder") << "link in" << true;
    QTest::newRow("in a linked folder") << "linked folder" << true;
    QTest::newRow("missing") << "missing" << true;
    QTest::newRow("a folder") << "folder" << true;
    QTest::newRow("a named pipe") << "pipe" << true;
}

// A page that is not a file of the folder is refused, and left out.
void TestPublishHostile::pageFile()
{
    QFETCH(QString, kind);
    QFETCH(bool, refused);
    QTemporaryDir outside;
    Folder folder;
    const QString page = folder.dir.filePath("page.html");
    QVERIFY(writeBytes(outside.filePath("page.html"), kPage));
    QVERIFY(QDir().mkpath(folder.dir.filePath("real")));
    QVERIFY(writeBytes(folder.dir.filePath("real/page.html"), kPage));
    QString name = "page.html";
    if (kind == "file")
        QVERIFY(writeBytes(page, kPage));
    else if (kind == "link out")
        QVERIFY(QFile::link(outside.filePath("page.html"), page));
    else if (kind == "link in")
        QVERIFY(QFile::link("index.html", page));
    else if (kind == "folder")
        QVERIFY(QDir().mkpath(page));
    else if (kind == "pipe")
        QVERIFY(makePipe(page));
    if (kind == "linked folder") {
        QVERIFY(QFile::link("real", folder.dir.filePath("linked")));
        name = "linked/page.html";
    }

    const Problem problem = pageFileProblem(folder.dir.path(), name);
    QCOMPARE(problem.failure, refused ? Failure::NotInFolder : Failure::None);
    QCOMPARE(problem.where, refused ? name : QString());
    QCOMPARE(problem.details.isEmpty(), !refused);
    const QList<PageFile> files = folder.files(name);
    QCOMPARE(!files.isEmpty() && files.last().name == name, !refused);
}

void TestPublishHostile::facts_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("read");
    QTest::addColumn<bool>("regular");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("modified");

    // Read: modified at 2024-01-02 03:04:05 UTC.
    const auto read = [](const char *name, const char *line, bool regular, qint64 size) {
        QTest::newRow(name) << QByteArray(line) << true << regular << size << qint64(1704164645);
    };
    const auto refused = [](const char *name, const QByteArray &line) {
        QTest::newRow(name) << line << false << false << qint64(0) << qint64(0);
    };
    read("a file", " modify=20240102030405;size=12;type=file; /web/a b.png", true, 12);
    read("capitals, a fraction, other facts",
         " Type=FILE;Size=0;Modify=20240102030405.123;UNIX.mode=0644; x", true, 0);
    read("a folder", " modify=20240102030405;type=dir; /web", false, 0);
    read("a link", " modify=20240102030405;size=9;type=OS.unix=symlink; l", false, 9);
    read("a link with its target",
         " type=OS.unix=slink:/etc/passwd;size=9;modify=20240102030405; l", false, 9);
    refused("no type", " modify=20240102030405;size=12; a");
    refused("a file without a time", " size=12;type=file; a");
    refused("a negative size", " modify=20240102030405;size=-1;type=file; a");
    refused("a size too big", " modify=20240102030405;size=99999999999999999999;type=file; a");
    refused("month 13", " modify=20241302030405;size=1;type=file; a");
    refused("no leading space", "type=file;size=1;modify=20240102030405; a");
    refused("no name", " type=file;size=1;modify=20240102030405;");
    refused("empty", QByteArray());
}

// What an FTP server says of a name: only "type=file" is a file.
void TestPublishHostile::facts()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, read);
    QFETCH(bool, regular);
    QFETCH(qint64, size);
    QFETCH(qint64, modified);
    const std::optional<RemoteFile> file = readFacts(line);
    QCOMPARE(file.has_value(), read);
    if (!file)
        return;
    QCOMPARE(file->regular, regular);
    QCOMPARE(file->size, size);
    QCOMPARE(file->modified, modified);
}

void TestPublishHostile::statLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("linkOrFolder");
    QTest::newRow("a file") << QByteArray(" -rw-r--r--   1 ann 0 74 Dec  8 16:33 /web/a") << false;
    QTest::newRow("a link")
        << QByteArray(" lrwxrwxrwx   1 ann 0 13 Dec  8 16:33 /web/a -> ../b") << true;
    QTest::newRow("a folder") << QByteArray(" drwxr-xr-x   2 ann 0 4096 Dec  8 16:33 x") << true;
    QTest::newRow("no space first") << QByteArray("lrwxrwxrwx 1 ann 0 13 a -> b") << false;
    QTest::newRow("a space alone") << QByteArray(" ") << false;
}

// STAT's line shows a link or a folder that MLST, following links, calls a file.
void TestPublishHostile::statLines()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, linkOrFolder);
    QCOMPARE(listsLinkOrFolder(line), linkOrFolder);
}

void TestPublishHostile::recordEntries_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<qint64>("modified"); // -1: none
    const QByteArray hash = "\"" + QByteArray(64, 'a') + "\"";
    const auto row = [&hash](const char *name, const char *modified, qint64 read = -1) {
        QTest::newRow(name) << "{\"sha256\":" + hash + modified + "}" << true << read;
    };
    QTest::newRow("older record: the hash alone") << hash << true << qint64(-1);
    row("hash and time", ",\"modified\":1704164645", 1704164645);
    row("no time", "");
    row("negative time", ",\"modified\":-5");
    row("fraction", ",\"modified\":1.5");
    row("time too big", ",\"modified\":1e300");
    row("time as text", ",\"modified\":\"1\"");
    QTest::newRow("no hash") << QByteArray("{\"modified\":1}") << false << qint64(-1);
    QTest::newRow("a number") << QByteArray("7") << false << qint64(-1);
}

// Entries read, and written back to read the same.
void TestPublishHostile::recordEntries()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, kept);
    QFETCH(qint64, modified);
    const SentRecord record = SentRecord::parse("{\"places\":{\"p\":{\"a.png\":" + value + "}}}");
    const std::optional<SentRecord::Entry> entry = record.entry("p", "a.png");
    QCOMPARE(entry.has_value(), kept);
    if (!entry)
        return;
    QCOMPARE(entry->hash, QByteArray(32, '\xaa'));
    QCOMPARE(entry->modified.value_or(-1), modified);
    QVERIFY(SentRecord::parse(record.toJson()) == record);
}

void TestPublishHostile::leftovers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("kept");
    QTest::newRow("a temporary name") << "web/pics/.a b.png.0123456789abcdef.tarnwell-tmp"
                                      << true;
    QTest::newRow("at the top") << ".a.png.0123456789abcdef.tarnwell-tmp" << true;
    QTest::newRow("the page itself") << "web/index.html" << false;
    QTest::newRow("too few digits") << "web/.a.png.0123456789abcde.tarnwell-tmp" << false;
    QTest::newRow("capital digits") << "web/.a.png.0123456789ABCDEF.tarnwell-tmp" << false;
    QTest::newRow("up and out") << "../.a.png.0123456789abcdef.tarnwell-tmp" << false;
    QTest::newRow("a line break") << "web/.a\n.png.0123456789abcdef.tarnwell-tmp" << false;
    QTest::newRow("from temporaryNameOf") << temporaryNameOf("web/pics/photo.jpg") << true;
}

// Only what Tarnwell's temporary files are called is ever removed as one.
void TestPublishHostile::leftovers()
{
    QFETCH(QString, name);
    QFETCH(bool, kept);
    QJsonObject left{{"p", QJsonArray{name}}};
    const SentRecord record =
        SentRecord::parse(QJsonDocument(QJsonObject{{"left", left}}).toJson());
    QCOMPARE(record.leftovers("p").contains(name), kept);
    QVERIFY(SentRecord::parse(record.toJson()) == record);
}

QTEST_GUILESS_MAIN(TestPublishHostile)
#include "tst_publish_hostile.moc"
