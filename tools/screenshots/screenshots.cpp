// Shows the Start, Selection and Browser screens with the worked example and
// saves a picture of each: tarnwell_screenshots OUTPUT_FOLDER WORK_FOLDER

#include "document/session.h"
#include "screens/start_screen.h"
#include "ui/interaction.h"
#include "ui/main_window.h"
#include "ui/workspace.h"

#include <QAbstractButton>
#include <QApplication>
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

bool save(QWidget *window, const QString &path)
{
    QPixmap shot = window->grab();
    if (shot.width() > 800)
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
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER WORK_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString work = QString::fromLocal8Bit(argv[2]);

    Session session;
    Yes answers;
    Workspace workspace(session, answers, [] {});
    tarnwell::showStartScreens(workspace);
    wait(300);
    bool ok = save(&workspace.window(), out.filePath(QStringLiteral("start.png")));

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
    ok = click("Form6", "Command1");
    wait(300);
    ok = ok && screen("Form4") &&
         save(&workspace.window(), out.filePath(QStringLiteral("selection.png")));

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
