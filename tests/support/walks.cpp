#include "walks.h"

#include "gui.h"

namespace tarnwell::test {

bool walkToBackground(const QString &folder, const QString &title, const QString &heading)
{
    const QString picker = QStringLiteral("nonComdlg");
    const QString head = QStringLiteral("Form2");
    if (!clickButton(QStringLiteral("Form1"), "Command1"))
        return false;
    QWidget *folders = findControl<QWidget>(picker, "Dir1");
    return folders && folders->setProperty("path", folder) && clickButton(picker, "CmdUseFile") &&
           typeInto(head, "Text1", title) && typeInto(head, "Text2", heading) &&
           clickButton(head, "Command1") && isShown(QStringLiteral("Form3"));
}

bool walkToSelection(const QString &folder, const QString &title, const QString &heading)
{
    return walkToBackground(folder, title, heading) &&
           clickButton(QStringLiteral("Form3"), "Command1") && isShown(QStringLiteral("Form4"));
}

} // namespace tarnwell::test
