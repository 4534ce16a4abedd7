#include "check_page_screen.h"

#include "document/files.h"
#include "document/paths.h"
#include "document/session.h"
#include "ui/controls.h"
#include "ui/main_window.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnwell {

CheckPageScreen::CheckPageScreen(Workspace &workspace, QWidget *parent)
    : QWidget(parent), m_workspace(workspace)
{
    setObjectName(QStringLiteral("CheckPage"));
    showBesideTheScreens(this);
    setWindowTitle(QStringLiteral("Check page"));

    QLabel *intro = wrappedLabel(
        this, "Label1",
        QStringLiteral("What would go wrong once your page is on the web, found in the page and "
                       "in your session folder. Where Tarnwell can mend a problem safely, select "
                       "it and press Fix. Nothing changes until you do."));
    m_findings = named(new QTreeWidget(this), "Findings");
    m_findings->setHeaderLabels({QStringLiteral("File or name"), QStringLiteral("Problem"),
                                 QStringLiteral("What goes wrong on the web"),
                                 QStringLiteral("How to mend it")});
    m_findings->setRootIsDecorated(false);
    m_findings->setWordWrap(true);
    m_findings->setColumnWidth(0, 150);
    m_findings->setColumnWidth(1, 170);
    m_findings->setColumnWidth(2, 330);
    m_findings->header()->setStretchLastSection(true);
    m_findings->setAccessibleName(QStringLiteral("Problems found"));

    m_fix = makeButton(this, "Fix", QStringLiteral("Fix"));
    QPushButton *again = makeButton(this, "Recheck", QStringLiteral("Check again"));
    QPushButton *close = makeButton(this, "Close", QStringLiteral("Close"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *button : {m_fix, again, close})
        buttons->addWidget(button);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_findings, 1);
    layout->addLayout(buttons);

    connect(m_findings, &QTreeWidget::currentItemChanged, this, &CheckPageScreen::offerFix);
    connect(m_fix, &QPushButton::clicked, this, &CheckPageScreen::fix);
    connect(again, &QPushButton::clicked, this, &CheckPageScreen::check);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    resize(1040, 480);
}

void CheckPageScreen::open()
{
    check();
    bringToFront(this);
}

void CheckPageScreen::check()
{
    const Session &session = m_workspace.session();
    const QString body = session.page().document()->toRawText();
    m_found = checkPage(body, session.sessionFolder(), session.lastSavedFile()) + phoneAdvice(body);
    m_findings->clear();
    for (const PageFinding &found : m_found) {
        auto *row =
            new QTreeWidgetItem(m_findings, {found.name, found.title, found.effect, found.mend});
        for (int column = 0; column < row->columnCount(); ++column)
            row->setToolTip(column, row->text(column));
    }
    if (m_found.isEmpty())
        new QTreeWidgetItem(m_findings, {QStringLiteral("No problems found")});
    offerFix();
}

void CheckPageScreen::offerFix()
{
    const qsizetype row = m_findings->indexOfTopLevelItem(m_findings->currentItem());
    m_fix->setEnabled(row >= 0 && row < m_found.size() && m_found[row].fix != PageFix::None);
}

void CheckPageScreen::fix()
{
    const qsizetype row = m_findings->indexOfTopLevelItem(m_findings->currentItem());
    if (row < 0 || row >= m_found.size())
        return;
    const PageFinding finding = m_found[row];
    Interaction &ui = m_workspace.interaction();
    // The page or the folder may have changed since the list was made.
    check();
    if (std::none_of(m_found.cbegin(), m_found.cend(), [&finding](const PageFinding &found) {
            return found.problem == finding.problem && found.name == finding.name &&
                   found.fix == finding.fix && found.file == finding.file &&
                   found.folderFile == finding.folderFile && found.at == finding.at &&
                   found.address == finding.address && found.replacement == finding.replacement;
        })) {
        ui.showMessage(this,
                       QStringLiteral("%1 has changed in the page or in your folder since the "
                                      "list was made, so Tarnwell changed nothing. The list now "
                                      "shows what is there.")
                           .arg(finding.name),
                       Interaction::Icon::Information);
        return;
    }
    Session &session = m_workspace.session();
    const QString folder = session.sessionFolder();
    QString error;
    QString done;
    switch (finding.fix) {
    case PageFix::None:
        return;
    case PageFix::RenameFile:
        if (renameForPage(folder, finding, &error))
            done = QStringLiteral("Tarnwell renamed %1 in your session folder to %2.")
                       .arg(finding.folderFile, finding.file);
        break;
    case PageFix::CopyPicture: {
        const QString source = ui.chooseFileToOpen(this, finding.file);
        if (source.isEmpty())
            return;
        switch (copyIntoFolder(source, derivedPath(folder, finding.file))) {
        case CopyResult::Copied:
            done = QStringLiteral("Tarnwell copied the picture into your session folder as %1.")
                       .arg(finding.file);
            break;
        case CopyResult::AlreadyThere: // it appeared while the dialog was open
            error = QStringLiteral("a file called %1 is in your session folder now. Tarnwell "
                                   "kept it and copied nothing.")
                        .arg(finding.file);
            break;
        case CopyResult::SameFile:
            error = QStringLiteral("the picture you picked is %1 of your session folder "
                                   "itself, so there was nothing to copy.")
                        .arg(finding.file);
            break;
        case CopyResult::Failed:
            error = QStringLiteral("the picture could not be copied into your folder.");
            break;
        }
        break;
    }
    case PageFix::AddHttps:
        // One edit in the page, which Undo in the Selection screen takes back.
        if (replaceAddress(session.page().document(), finding, finding.replacement))
            done = QStringLiteral("Tarnwell wrote %1 in the page in place of %2.")
                       .arg(finding.replacement, finding.name);
        else
            error = QStringLiteral("the page changed there meanwhile.");
        break;
    case PageFix::WebCopy: {
        QString address;
        QSize size;
        if (!makeWebCopy(folder, finding, &address, &error, &size))
            break;
        // One edit in the page, which Undo in the Selection screen takes back.
        if (replaceAddress(session.page().document(), finding, address))
            done = QStringLiteral("Tarnwell made %1, %2 pixels wide, and uses it here in the "
                                  "page in place of %3, which is kept as it is.")
                       .arg(address)
                       .arg(size.width())
                       .arg(finding.name);
        else
            error = QStringLiteral("the page changed there meanwhile. The copy %1 is in your "
                                   "folder; the page is as it was.")
                        .arg(address);
        break;
    }
    case PageFix::WebName: {
        QString address;
        if (!renameForWeb(folder, finding, &address, &error))
            break;
        if (replaceAddress(session.page().document(), finding, address))
            done = QStringLiteral("Tarnwell renamed %1 in your session folder to %2 and uses "
                                  "the new name in the page.")
                       .arg(finding.folderFile, finding.file);
        else
            error = QStringLiteral("the page changed there meanwhile. The file is now called "
                                   "%1; the page is as it was.")
                        .arg(finding.file);
        break;
    }
    }
    if (done.isEmpty())
        ui.showMessage(this,
                       QStringLiteral("Tarnwell could not mend %1: %2").arg(finding.name, error),
                       Interaction::Icon::Critical);
    else
        ui.showMessage(this, done, Interaction::Icon::Information);
    check();
}

} // namespace tarnwell
