// Shows the Start screen, the window with the worked example beside its code
// and the Browser screen, and saves a picture of each; at a scale above 1 the
// window alone, and the live page's Phone view of the pages in PAGES_FOLDER:
//   tarnwell_screenshots OUTPUT_FOLDER WORK_FOLDER [PAGES_FOLDER]

#include "document/page_file.h"
#include "document/session.h"
#include "screens/live_page.h"
#include "screens/selection_screen.h"
#include "screens/start_screen.h"
#include "ui/interaction.h"
#include "ui/main_window.h"
#include "ui/workspace.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <cstdio>

using namespace tarnwell;

namespace {

// Answers every question with yes and every file choice with nothing.
class Yes final : public Interaction
{
public:
    void showMessage(QWidget *, const QString &, Icon) override {}
    bool askYesNo(QWidget *, const QString &) override { return true; }
    SaveChoice askToSave(QWidget *, const QString &) override { return SaveChoice::DontSave; }
    QString chooseFileToOpen(QWidget *, const QString &, const QString &) override { return {}; }
    QString chooseFileToSave(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    std::optional<qint32> chooseColour(QWidget *, qint32) override { return std::nullopt; }
};

// A screen in view in the main window, or a window of its own (the Browser).
QWidget *screen(const char *form)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String(form) && window->isVisible())
            return window;
        if (auto *inside = window->findChild<QWidget *>(QLatin1String(form));
            inside && inside->isVisible())
            return inside;
    }
    return nullptr;
}

template <class T>
T *control(const char *form, const char *name)
{
    QWidget *top = screen(form);
    return top ? top->findChild<T *>(QLatin1String(name)) : nullptr;
}

void wait(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool click(const char *form, const char *name)
{
    auto *button = control<QAbstractButton>(form, name);
    if (!button)
        return false;
    button->click();
    wait(100);
    return true;
}

// Until the live page has loaded the version begun after now.
bool livePageLoaded(Workspace &workspace)
{
    auto *live = workspace.screen<SelectionScreen>()->findChild<LivePage *>();
    if (!live)
        return false;
    QEventLoop loop;
    bool loaded = false;
    QObject::connect(live, &LivePage::loaded, &loop, [&] {
        loaded = true;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    wait(1500); // pictures drawn, the view painted
    return loaded;
}

bool save(QWidget *window, const QString &path, bool shrink = true)
{
    QPixmap shot = window->grab();
    if (shrink && shot.width() > 800)
        shot = shot.scaledToWidth(800, Qt::SmoothTransformation);
    const bool saved = !shot.isNull() && shot.save(path, "PNG");
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char *argv[])
{
    // The preview's viewer needs this before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER WORK_FOLDER [PAGES_FOLDER]\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString work = QString::fromLocal8Bit(argv[2]);
    const bool scaled = qApp->devicePixelRatio() > 1;

    Session session;
    Yes answers;
    Workspace workspace(session, answers, [] {});
    // The window as a new user first sees it on a display of 1920 by 1080.
    workspace.window().resize(1040, 720);
    tarnwell::showStartScreens(workspace);
    wait(300);
    bool ok = scaled || save(&workspace.window(), out.filePath(QStringLiteral("start.png")));

    // The worked example: a title, a heading and one paragraph.
    ok = ok && click("Form1", "Command1");
    auto *folders = control<QWidget>("nonComdlg", "Dir1");
    ok = ok && folders && folders->setProperty("path", work) && click("nonComdlg", "CmdUseFile");
    ok = ok && control<QLineEdit>("Form2", "Text1") && control<QPlainTextEdit>("Form2", "Text2");
    if (!ok)
        return 1;
    control<QLineEdit>("Form2", "Text1")->setText(QStringLiteral("My page"));
    control<QPlainTextEdit>("Form2", "Text2")->setPlainText(QStringLiteral("Welcome"));
    ok = click("Form2", "Command1") && click("Form3", "Command1") && click("Form4", "Command4");
    if (!ok || !control<QPlainTextEdit>("Form6", "Text1"))
        return 1;
    control<QPlainTextEdit>("Form6", "Text1")->setPlainText(QStringLiteral("Hello"));
    ok = click("Form6", "Command1") && livePageLoaded(workspace);
    ok = ok && screen("Form4") &&
         save(&workspace.window(),
              out.filePath(scaled ? QStringLiteral("window-2x.png") : QStringLiteral("window.png")),
              false);
    if (scaled) {
        // The Phone view of each page, as tall as a phone held upright.
        if (argc != 4)
            return ok ? 0 : 1;
        const QDir pages(QString::fromLocal8Bit(argv[3]));
        workspace.window().resize(1040, 980);
        control<QComboBox>("Form4", "LiveWidth")->setCurrentIndex(1);
        wait(500);
        for (const auto &[page, name] : {std::pair{"classic-photo.html", "phone-classic.png"},
                                         std::pair{"worked-photo.html", "phone-modern.png"}}) {
            LoadedPage loaded;
            ok = ok && loadPageFile(pages.filePath(QLatin1String(page)), &loaded);
            session.takeLoadedPage(loaded);
            session.setSessionFolder(pages.path());
            ok = ok && livePageLoaded(workspace);
            QWidget *view = control<QWidget>("Form4", "LivePage");
            ok = ok && view && save(view, out.filePath(QLatin1String(name)), false);
        }
        return ok ? 0 : 1;
    }

    // The preview, once the viewer has named the page.
    ok = ok && click("Form4", "Command3");
    QWidget *browser = screen("Form27");
    QElapsedTimer loading;
    loading.start();
    while (browser && browser->windowTitle() != QLatin1String("My page") &&
           loading.elapsed() < 30000)
        wait(100);
    if (!browser || browser->windowTitle() != QLatin1String("My page"))
        return 1;
    browser->showNormal();
    browser->resize(900, 560);
    wait(1500);
    ok = ok && save(browser, out.filePath(QStringLiteral("browser.png")));
    return ok ? 0 : 1;
}
