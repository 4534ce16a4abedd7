#include "gui.h"

#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace tarnwell::test {

QWidget *findScreen(const QString &formName)
{
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget *widget : topLevels) {
        if (widget->objectName() == formName)
            return widget;
    }
    return nullptr;
}

bool isShown(const QString &formName)
{
    const QWidget *screen = findScreen(formName);
    return screen && screen->isVisible();
}

bool clickButton(const QString &formName, const char *name)
{
    auto *button = findControl<QAbstractButton>(formName, name);
    if (!button || !button->isVisible() || !button->isEnabled())
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

namespace {
// Key presses carrying any character, not only Latin-1 ones.
void typeKeys(QWidget *field, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\n')) {
            QTest::keyClick(field, Qt::Key_Return);
            continue;
        }
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text.mid(i, length),
                            Qt::NoModifier);
        i += length - 1;
    }
}
} // namespace

bool typeInto(const QString &formName, const char *name, const QString &text)
{
    QWidget *field = findControl<QWidget>(formName, name);
    if (auto *line = qobject_cast<QLineEdit *>(field))
        line->clear();
    else if (auto *box = qobject_cast<QPlainTextEdit *>(field))
        box->clear();
    else
        return false;
    field->setFocus();
    typeKeys(field, text);
    return true;
}

QFileDevice::Permissions ownPermissions(const QString &path)
{
    const QFileDevice::Permissions users =
        QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    return QFile::permissions(path) & ~users;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace tarnwell::test
