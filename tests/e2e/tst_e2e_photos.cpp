// A photo too big for a web page, picked on every picture screen: the copy
// made for the web offered before it goes in, taken (Yes) or not (No), and
// the names it goes in under.

#include "driver.h"
#include "walks.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTest>

using namespace tarnwell::e2e;

namespace {
const QString kQuestion = QString::fromUtf8(
    "This photo is 3000 × 2000 pixels and 1.9 MB, too big for a web page. Use a copy made "
    "for the web?");
const QString kPick = QStringLiteral("file {P}/Me at the Beach.JPG; ");
} // namespace

class TestPhotos final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void bigPhoto_data();
    void bigPhoto();

private:
    QTemporaryDir m_pictures;
    QByteArray m_photo;
};

void TestPhotos::initTestCase()
{
    QImage photo(3000, 2000, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x % 256, y % 256, 128));
    QVERIFY(photo.save(m_pictures.filePath("photo.jpg"), "JPEG", 90));
    m_photo = readAll(m_pictures.filePath("photo.jpg"));
    // 2,040,000 bytes, as a camera's file would be: 1.95 megabytes of
    // 1,048,576 bytes, which the question gives as 1.9.
    QVERIFY(m_photo.size() < 2040000);
    m_photo.append(QByteArray(2040000 - m_photo.size(), '\0'));
    QVERIFY(writeBytes(m_pictures.filePath("Me at the Beach.JPG"), m_photo));
}

void TestPhotos::bigPhoto_data()
{
    QTest::addColumn<bool>("modern");
    QTest::addColumn<QString>("before"); // up to the find button and the file dialog
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("after"); // {N} the name the picture goes in under
    QTest::addColumn<QString>("taken"); // a file of the session folder's beforehand
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size"); // of the copy made for the web
    struct Screen
    {
        const char *name;
        QString before;
        QString after;
    };
    const Screen screens[] = {
        {"Add a picture", "click Form4/Command5; click Form9/Command1; ",
         "focus Form9/Command2; text Form9/Text1 {N}; click Form9/Command2; " + kPlaceOk +
             "; hidden Form9"},
        {"Two images", "click Form4/Command13; click Form21/Command1; ",
         "focus Form21/Command3; text Form21/Text1 {N}; click Form21/Command3; shown Form4"},
        {"Text & Picture", "click Form4/Command7; type Form10/Text2 Hi; click Form10/Command2; ",
         "focus Form10/Command1; click Form10/Command1; shown Form4"},
        {"MouseOver Pictures", "click Form4/Command6; " + kSameSize + "; click Form18/Command1; ",
         "focus Form18/Command6; text Form18/Text1 {N}; type Form18/Text2 b.jpg; "
         "type Form18/Text5 beach; click Form18/Command6; hidden Form18"},
        {"MouseOver buttons",
         kToLinks + "; click Form11/Command4; click Form14/Option1; "
                    "click Form14/Command1; click Form15/Command3; ",
         "focus Form15/Command1; text Form15/Text1 {N}; type Form15/Text3 page2.html; "
         "click Form15/Command1; " +
             kLinksOk + "; hidden Form15"},
        {"Button links",
         kToLinks + "; click Form11/Command2; click Form19/Option1; "
                    "click Form19/Command1; click Form20/Command2; ",
         "focus Form20/Command1; text Form20/Text1 {N}; type Form20/Text2 index.html; "
         "click Form20/Command1; " +
             kLinksOk + "; hidden Form20"},
    };
    for (const Screen &screen : screens) {
        QTest::addRow("%s, Yes", screen.name)
            << false << screen.before << true << screen.after << QString()
            << "me-at-the-beach-web.jpg" << QSize(500, 333);
        QTest::addRow("%s, No", screen.name) << false << screen.before << false << screen.after
                                             << QString() << "me-at-the-beach.jpg" << QSize();
    }
    // A page for phones takes a copy 1,200 pixels wide.
    const QString modernAfter =
        "focus Form9/Command2; text Form9/Text1 {N}; type Form9/AltText Sea; "
        "click Form9/Command2; " +
        kPlaceOk + "; hidden Form9";
    QTest::newRow("page for phones, Yes")
        << true << screens[0].before << true << modernAfter << QString()
        << "me-at-the-beach-web.jpg" << QSize(1200, 800);
    // Never over another file of the folder: the next free name.
    QTest::newRow("copy's name taken, Yes")
        << false << screens[0].before << true << screens[0].after << "me-at-the-beach-web.jpg"
        << "me-at-the-beach-web2.jpg" << QSize(500, 333);
    QTest::newRow("picture's name taken, No")
        << false << screens[0].before << false << screens[0].after << "me-at-the-beach.jpg"
        << "me-at-the-beach-2.jpg" << QSize();
}

void TestPhotos::bigPhoto()
{
    QFETCH(bool, modern);
    QFETCH(QString, before);
    QFETCH(bool, yes);
    QFETCH(QString, after);
    QFETCH(QString, taken);
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QTemporaryDir session;
    if (!taken.isEmpty())
        QVERIFY(writeBytes(session.filePath(taken), "someone else's"));
    Program app;
    app.vars = {{"S", session.path()}, {"P", m_pictures.path()}, {"N", name}};
    E2E_RUN(app, (modern ? kModernToSelection : kToSelection) +
                     steps(before + kPick + "answer " + (yes ? "Yes " : "No ") + kQuestion + "; " +
                           after) +
                     kSave);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(session.filePath("page.html")), app.patience);
    const QByteArray page = readAll(session.filePath("page.html"));
    QVERIFY2(page.contains(name.toUtf8()), page.constData());
    QVERIFY(!page.contains("Beach"));

    QStringList files = {name, "page.html"};
    if (!taken.isEmpty()) {
        files << taken;
        QCOMPARE(readAll(session.filePath(taken)), QByteArray("someone else's"));
    }
    files.sort();
    QCOMPARE(QDir(session.path()).entryList(QDir::Files), files);
    if (yes) {
        QImageReader copy(session.filePath(name));
        QCOMPARE(copy.format(), QByteArray("jpeg"));
        QCOMPARE(copy.size(), size);
        QVERIFY(QFileInfo(session.filePath(name)).size() <= 300 * 1024);
    } else {
        QCOMPARE(readAll(session.filePath(name)), m_photo);
    }
    QCOMPARE(readAll(m_pictures.filePath("Me at the Beach.JPG")), m_photo);
}

QTEST_GUILESS_MAIN(TestPhotos)
#include "tst_e2e_photos.moc"
