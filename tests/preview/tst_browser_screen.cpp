#include "preview/browser_loader.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace tarnwell;

namespace {

constexpr int kLoadTimeout = 30000;

// True once any Qt WebEngine library is mapped into this process.
bool webEngineMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return maps.readAll().contains("WebEngine");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// A page as the program writes it: no charset, CRLF line ends.
QByteArray page(const QByteArray &title, const QByteArray &body = QByteArray())
{
    return "<HTML>\r\n<HEAD>\r\n<TITLE>" + title + "</TITLE>\r\n</HEAD>\r\n<BODY>\r\n<H1>" + title +
           "</H1>\r\n" + body + "</BODY>\r\n</HTML>\r\n";
}

// Takes connections on the loopback address and never answers them, so a load
// from it goes on until it is stopped.
class SilentServer final
{
public:
    SilentServer()
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
            ::listen(m_socket, 16) != 0 ||
            ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
    }
    ~SilentServer()
    {
        if (m_socket >= 0)
            ::close(m_socket);
    }
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;

    bool isListening() const { return m_port != 0; }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_port)); }

private:
    int m_socket = -1;
    quint16 m_port = 0;
};

QTimer *timerOf(QWidget *screen)
{
    return screen->findChild<QTimer *>(QStringLiteral("timTimer"));
}

QComboBox *addressOf(QWidget *screen)
{
    return screen->findChild<QComboBox *>(QStringLiteral("cboAddress"));
}

QAction *buttonOf(QWidget *screen, const char *name)
{
    auto *toolBar = screen->findChild<QToolBar *>(QStringLiteral("tbToolBar"));
    return toolBar ? toolBar->findChild<QAction *>(QLatin1String(name)) : nullptr;
}

} // namespace

class TestBrowserScreen final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void webEngineLoadsOnlyWithTheFirstScreen();
    void controls();
    void pageTitleBecomesCaption();
    void backWithNoHistoryDoesNothing();
    void secondScreenShowsChangedContent();
    void enterInAddressBoxGoesThere();
    void addressThatLoadsNothingEndsTheWait();
    void followingALinkNamesTheNewPage();
    void homeAndRefresh();
    void stopEndsTheWait();
    void pagesWithoutCharsetReadRight();
    void missingFileEndsWithACaption();
    void cleanedRootPathIsAccepted();
    void closeBoxDestroysTheScreen();

private:
    QPointer<QWidget> open(const QUrl &address);
    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
    QUrl url(const char *name) const { return QUrl::fromLocalFile(path(name)); }

    QTemporaryDir m_dir;
    QList<QPointer<QWidget>> m_screens;
};

QPointer<QWidget> TestBrowserScreen::open(const QUrl &address)
{
    QPointer<QWidget> screen = createBrowserScreen(address);
    if (screen) {
        m_screens.append(screen);
        screen->show();
    }
    return screen;
}

void TestBrowserScreen::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(writeFile(path("viewtmp.html"), page("My page")));
    QVERIFY(writeFile(path("other.html"), page("Other page")));
}

void TestBrowserScreen::cleanup()
{
    for (const QPointer<QWidget> &screen : std::as_const(m_screens)) {
        if (screen)
            screen->close();
    }
    QTRY_VERIFY(std::all_of(m_screens.cbegin(), m_screens.cend(),
                            [](const QPointer<QWidget> &screen) { return screen.isNull(); }));
    m_screens.clear();
}

void TestBrowserScreen::webEngineLoadsOnlyWithTheFirstScreen()
{
    QVERIFY(!webEngineMapped());
    // Chromium refuses to run as root with its sandbox; the loader sees to that.
    const bool root = ::geteuid() == 0;
    if (root)
        qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    QPointer<QWidget> screen = createBrowserScreen(url("viewtmp.html"));
    QVERIFY(screen);
    m_screens.append(screen);
    QVERIFY(webEngineMapped());
    if (root)
        QCOMPARE(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), QByteArray("1"));
    screen->show();
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("My page"), kLoadTimeout);
}

void TestBrowserScreen::controls()
{
    QPointer<QWidget> screen = createBrowserScreen(url("viewtmp.html"));
    QVERIFY(screen);
    m_screens.append(screen);
    QVERIFY(screen->isWindow());
    QCOMPARE(screen->objectName(), QStringLiteral("Form27"));
    QCOMPARE(screen->windowTitle(), QStringLiteral("Browser"));
    QVERIFY(screen->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(screen->property("startingAddress").toUrl(), url("viewtmp.html"));

    auto *toolBar = screen->findChild<QToolBar *>(QStringLiteral("tbToolBar"));
    QVERIFY(toolBar);
    const QStringList words = {QStringLiteral("Back"), QStringLiteral("Forward"),
                               QStringLiteral("Stop"), QStringLiteral("Refresh"),
                               QStringLiteral("Home"), QStringLiteral("Search")};
    const QList<QAction *> actions = toolBar->actions();
    QCOMPARE(actions.size(), words.size());
    for (int i = 0; i < words.size(); ++i) {
        QCOMPARE(actions.at(i)->objectName(), words.at(i));
        QCOMPARE(actions.at(i)->toolTip(), words.at(i));
        QVERIFY(!actions.at(i)->icon().isNull());
    }

    auto *strip = screen->findChild<QWidget *>(QStringLiteral("picAddress"));
    QVERIFY(strip);
    auto *label = strip->findChild<QLabel *>(QStringLiteral("lblAddress"));
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("&Address:"));
    QComboBox *address = addressOf(screen);
    QVERIFY(address && address->isEditable());
    QCOMPARE(address->parentWidget(), strip);
    QCOMPARE(label->buddy(), address);

    auto *viewer = screen->findChild<QWidget *>(QStringLiteral("brwWebBrowser"));
    QVERIFY(viewer && viewer->inherits("QWebEngineView"));
    QTimer *timer = timerOf(screen);
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 5);
    QVERIFY(!timer->isActive());

    // Top to bottom: tool bar, address strip, viewer.
    screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(screen));
    QVERIFY(toolBar->geometry().bottom() < strip->geometry().top());
    QVERIFY(strip->geometry().bottom() < viewer->geometry().top());
    QCOMPARE(viewer->width(), screen->width());
    QCOMPARE(viewer->geometry().bottom(), screen->height() - 1);

    QCOMPARE(address->currentText(), url("viewtmp.html").toString());
    QCOMPARE(address->count(), 1);
    QCOMPARE(address->itemText(0), url("viewtmp.html").toString());
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("My page"), kLoadTimeout);

    // A tiny window keeps every control at a size it can draw.
    screen->resize(1, 1);
    QVERIFY(screen->width() > 0 && screen->height() > 0);
    QVERIFY(address->width() > 0 && viewer->height() > 0);
}

void TestBrowserScreen::pageTitleBecomesCaption()
{
    QPointer<QWidget> screen = open(url("viewtmp.html"));
    QVERIFY(screen);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("My page"), kLoadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!timerOf(screen)->isActive(), kLoadTimeout);
    QCOMPARE(screen->windowTitle(), QStringLiteral("My page"));
}

void TestBrowserScreen::backWithNoHistoryDoesNothing()
{
    QPointer<QWidget> screen = open(url("viewtmp.html"));
    QVERIFY(screen);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("My page"), kLoadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!timerOf(screen)->isActive(), kLoadTimeout);

    QAction *back = buttonOf(screen, "Back");
    QVERIFY(back);
    QVERIFY(!back->isEnabled());
    auto *toolBar = screen->findChild<QToolBar *>(QStringLiteral("tbToolBar"));
    QTest::mouseClick(toolBar->widgetForAction(back), Qt::LeftButton);
    back->trigger();
    QTest::qWait(200);
    QCOMPARE(screen->windowTitle(), QStringLiteral("My page"));
    QCOMPARE(addressOf(screen)->currentText(), url("viewtmp.html").toString());
    QVERIFY(!timerOf(screen)->isActive());
    QVERIFY(!back->isEnabled());
}

void TestBrowserScreen::secondScreenShowsChangedContent()
{
    QVERIFY(writeFile(path("changing.html"), page("First version")));
    QPointer<QWidget> first = open(url("changing.html"));
    QVERIFY(first);
    QTRY_COMPARE_WITH_TIMEOUT(first->windowTitle(), QStringLiteral("First version"), kLoadTimeout);

    // The first screen stays open while the page is rewritten and previewed again.
    QVERIFY(writeFile(path("changing.html"), page("Second version")));
    QPointer<QWidget> second = open(url("changing.html"));
    QVERIFY(second);
    QTRY_COMPARE_WITH_TIMEOUT(second->windowTitle(), QStringLiteral("Second version"),
                              kLoadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!timerOf(second)->isActive(), kLoadTimeout);
    QVERIFY(!buttonOf(second, "Back")->isEnabled());
    QVERIFY(!buttonOf(second, "Forward")->isEnabled());
    QCOMPARE(first->windowTitle(), QStringLiteral("First version"));
}

void TestBrowserScreen::enterInAddressBoxGoesThere()
{
    QPointer<QWidget> screen = open(url("viewtmp.html"));
    QVERIFY(screen);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("My page"), kLoadTimeout);

    QComboBox *address = addressOf(screen);
    QLineEdit *field = address->lineEdit();
    field->clear();
    QTest::keyClicks(field, url("other.html").toString());
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("Other page"), kLoadTimeout);
    QCOMPARE(address->count(), 1);
    QCOMPARE(address->itemText(0), url("viewtmp.html").toString());
    QTRY_VERIFY_WITH_TIMEOUT(buttonOf(screen, "Back")->isEnabled(), kLoadTimeout);

    // Choosing the one listed address goes back to it; the list stays as it was.
    address->showPopup();
    QTest::keyClick(address->view(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("My page"), kLoadTimeout);
    QCOMPARE(address->count(), 1);
    QCOMPARE(address->currentText(), url("viewtmp.html").toString());

    // Back goes to the typed page again.
    QVERIFY(buttonOf(screen, "Back")->isEnabled());
    buttonOf(screen, "Back")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("Other page"), kLoadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(buttonOf(screen, "Forward")->isEnabled(), kLoadTimeout);
    buttonOf(screen, "Forward")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("My page"), kLoadTimeout);
    QCOMPARE(address->count(), 1);
}

void TestBrowserScreen::addressThatLoadsNothingEndsTheWait()
{
    QPointer<QWidget> screen = open(url("viewtmp.html"));
    QVERIFY(screen);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("My page"), kLoadTimeout);

    // A jump within the page and a script address start no load at all.
    const QStringList addresses = {url("viewtmp.html").toString() + QStringLiteral("#end"),
                                   QStringLiteral("javascript:void(0)")};
    QComboBox *address = addressOf(screen);
    for (const QString &typed : addresses) {
        address->lineEdit()->setText(typed);
        QTest::keyClick(address->lineEdit(), Qt::Key_Return);
        QVERIFY(timerOf(screen)->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(!timerOf(screen)->isActive(), kLoadTimeout);
        QCOMPARE(screen->windowTitle(), QStringLiteral("My page"));
    }
    QCOMPARE(address->count(), 1);
}

void TestBrowserScreen::followingALinkNamesTheNewPage()
{
    // The whole page is one link, so a click anywhere on the viewer follows it.
    QVERIFY(writeFile(path("link.html"),
                      page("Link page", "<A HREF=\"other.html\" STYLE=\"position: fixed; top: 0; "
                                        "left: 0; width: 100%; height: 100%\">Other</A>\r\n")));
    QPointer<QWidget> screen = open(url("link.html"));
    QVERIFY(screen);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("Link page"), kLoadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!timerOf(screen)->isActive(), kLoadTimeout);

    auto *viewer = screen->findChild<QWidget *>(QStringLiteral("brwWebBrowser"));
    QWidget *surface = viewer->focusProxy() ? viewer->focusProxy() : viewer;
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, surface->rect().center());
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("Other page"), kLoadTimeout);
    QVERIFY(!timerOf(screen)->isActive());
    QCOMPARE(addressOf(screen)->currentText(), url("link.html").toString());
}

void TestBrowserScreen::homeAndRefresh()
{
    QVERIFY(writeFile(path("home.html"), page("Home page")));
    QPointer<QWidget> screen = open(url("home.html"));
    QVERIFY(screen);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("Home page"), kLoadTimeout);

    QComboBox *address = addressOf(screen);
    address->lineEdit()->setText(url("viewtmp.html").toString());
    QTest::keyClick(address->lineEdit(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("My page"), kLoadTimeout);

    // Home is the address the screen started with.
    buttonOf(screen, "Home")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("Home page"), kLoadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!timerOf(screen)->isActive(), kLoadTimeout);
    QCOMPARE(screen->windowTitle(), QStringLiteral("Home page"));

    // Refresh shows the file as it is now.
    QVERIFY(writeFile(path("home.html"), page("Home page, changed")));
    QTRY_VERIFY_WITH_TIMEOUT(buttonOf(screen, "Refresh")->isEnabled(), kLoadTimeout);
    buttonOf(screen, "Refresh")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("Home page, changed"),
                              kLoadTimeout);
    QCOMPARE(address->count(), 1);
}

void TestBrowserScreen::stopEndsTheWait()
{
    SilentServer server;
    QVERIFY(server.isListening());
    QPointer<QWidget> screen = open(url("other.html"));
    QVERIFY(screen);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("Other page"), kLoadTimeout);

    QComboBox *address = addressOf(screen);
    address->lineEdit()->setText(server.url().toString());
    QTest::keyClick(address->lineEdit(), Qt::Key_Return);
    QAction *stop = buttonOf(screen, "Stop");
    QTRY_VERIFY_WITH_TIMEOUT(stop->isEnabled(), kLoadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("Working..."), kLoadTimeout);
    QVERIFY(timerOf(screen)->isActive());

    stop->trigger();
    QVERIFY(!timerOf(screen)->isActive());
    QVERIFY(!screen->windowTitle().isEmpty());
    QVERIFY(screen->windowTitle() != QStringLiteral("Working..."));
    QTRY_VERIFY_WITH_TIMEOUT(!stop->isEnabled(), kLoadTimeout);
    QVERIFY(screen->windowTitle() != QStringLiteral("Working..."));
    QCOMPARE(address->count(), 1);
}

void TestBrowserScreen::pagesWithoutCharsetReadRight()
{
    const QString title = QString::fromUtf8("Caf\u00E9 \u201Cquoted\u201D");
    const QString paragraph =
        QString::fromUtf8("<P>Welcome to my home page. Here you will find pictures of my caf\u00E9 "
                          "and the na\u00EFve r\u00E9sum\u00E9 of my life \u2013 I hope you enjoy "
                          "your visit.</P>\r\n");
    QStringEncoder windows1252("windows-1252");
    QVERIFY(windows1252.isValid());
    QVERIFY(writeFile(path("latin.html"),
                      page(windows1252.encode(title), windows1252.encode(paragraph))));
    QVERIFY(!windows1252.hasError());
    QPointer<QWidget> screen = open(url("latin.html"));
    QVERIFY(screen);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), title, kLoadTimeout);

    // Pages kept in UTF-8 carry no charset either.
    QVERIFY(writeFile(path("utf8.html"), page(title.toUtf8(), paragraph.toUtf8())));
    screen = open(url("utf8.html"));
    QVERIFY(screen);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), title, kLoadTimeout);
}

void TestBrowserScreen::missingFileEndsWithACaption()
{
    QPointer<QWidget> screen = open(url("missing.html"));
    QVERIFY(screen);
    QCOMPARE(addressOf(screen)->currentText(), url("missing.html").toString());
    QTRY_VERIFY_WITH_TIMEOUT(!timerOf(screen)->isActive(), kLoadTimeout);
    QVERIFY(!screen->windowTitle().isEmpty());
    QVERIFY(screen->windowTitle() != QStringLiteral("Working..."));
    QVERIFY(screen->windowTitle() != QStringLiteral("Browser"));
}

void TestBrowserScreen::cleanedRootPathIsAccepted()
{
    const QUrl address = QUrl::fromLocalFile(QDir::cleanPath(QStringLiteral("//viewtmp.html")));
    QPointer<QWidget> screen = open(address);
    QVERIFY(screen);
    QCOMPARE(addressOf(screen)->currentText(), address.toString());
    QTRY_VERIFY_WITH_TIMEOUT(!timerOf(screen)->isActive(), kLoadTimeout);
    QVERIFY(screen->windowTitle() != QStringLiteral("Working..."));
}

void TestBrowserScreen::closeBoxDestroysTheScreen()
{
    QPointer<QWidget> screen = open(url("viewtmp.html"));
    QVERIFY(screen);
    QTRY_COMPARE_WITH_TIMEOUT(screen->windowTitle(), QStringLiteral("My page"), kLoadTimeout);
    QVERIFY(screen->close());
    QTRY_VERIFY(screen.isNull());
}

int main(int argc, char *argv[])
{
    // As in the program: Qt WebEngine comes later, from a module.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestBrowserScreen test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browser_screen.moc"
