#pragma once

#include <QApplication>
#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QWidget>

namespace tarnwell::test {

// The top-level screen with this form name, or null.
QWidget *findScreen(const QString &formName);

// True when the screen exists and is shown.
bool isShown(const QString &formName);

// A named control of a screen, or null.
template <class T>
T *findControl(const QString &formName, const char *name)
{
    QWidget *screen = findScreen(formName);
    return screen ? screen->findChild<T *>(QLatin1String(name)) : nullptr;
}

// Clicks a named button the way a user would; false if it is missing,
// hidden or disabled.
bool clickButton(const QString &formName, const char *name);

// Types into a named line edit or text box after emptying it; false if missing.
bool typeInto(const QString &formName, const char *name, const QString &text);

// A file's permission bits for owner, group and others; the "user" bits say
// what the running user may do, which for root is everything.
QFileDevice::Permissions ownPermissions(const QString &path);

// Reads a whole file.
QByteArray readAll(const QString &path);

} // namespace tarnwell::test

// A test main for programs that may open the Browser screen: its viewer needs
// shared OpenGL contexts from before the application exists.
#define TARNWELL_GUI_TEST_MAIN(TestObject)                                                         \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                \
        QApplication app(argc, argv);                                                              \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
