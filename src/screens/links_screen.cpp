#include "links_screen.h"

#include "buttons_screen.h"
#include "document/session.h"
#include "links_advice_screen.h"
#include "mouseover_buttons_screen.h"
#include "selection_screen.h"
#include "text_link_screen.h"
#include "ui/controls.h"
#include "ui/main_window.h"
#include "ui/workspace.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwell {

LinksScreen::LinksScreen(Workspace &workspace, QWidget *parent)
    : QWidget(parent), m_workspace(workspace)
{
    setObjectName(QStringLiteral("Form11"));
    showBesideTheScreens(this);
    setWindowTitle(QStringLiteral("Links"));

    auto *heading = named(new QLabel(QStringLiteral("Link choices"), this), "Label1");
    QFont big = heading->font();
    big.setBold(true);
    heading->setFont(big);
    m_makeButtons = makeButton(this, "Command2", QStringLiteral("Make  buttons as links"));
    m_makeMouseOver = makeButton(this, "Command4", QStringLiteral("Make MouseOver buttons"));
    m_makeTextLink = makeButton(this, "Command3", QStringLiteral("Make a Link using text"));
    QPushButton *advice = makeButton(this, "Command5", QStringLiteral("Advice"));
    QPushButton *cancel = makeButton(this, "Command1", QStringLiteral("Cancel"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    for (QPushButton *button : {m_makeButtons, m_makeMouseOver, m_makeTextLink, advice, cancel})
        layout->addWidget(button);

    connect(m_makeButtons, &QPushButton::clicked, this, [this] {
        hide();
        bringToFront(m_workspace.screen<ButtonsScreen>());
    });
    connect(m_makeMouseOver, &QPushButton::clicked, this, [this] {
        hide();
        bringToFront(m_workspace.screen<MouseOverButtonsScreen>());
    });
    connect(m_makeTextLink, &QPushButton::clicked, this, [this] {
        m_buttonsShown = false;
        showState();
        m_workspace.screen<TextLinkScreen>()->open();
    });
    connect(advice, &QPushButton::clicked, this, [this] { LinksAdviceScreen::open(m_workspace); });
    connect(cancel, &QPushButton::clicked, this, &LinksScreen::cancel);
    resize(320, 260);
}

void LinksScreen::openFromAdvice()
{
    bringToFront(this);
    m_buttonsShown = true;
    showState();
}

void LinksScreen::restoreMakeButtons()
{
    m_buttonsShown = true;
    showState();
}

void LinksScreen::markMouseOverInstalled()
{
    m_mouseOverInstalled = true;
    showState();
}

void LinksScreen::showState()
{
    m_makeButtons->setVisible(m_buttonsShown);
    const bool installed = m_mouseOverInstalled && !m_workspace.session().isModern();
    m_makeMouseOver->setEnabled(!installed);
    m_makeMouseOver->setText(installed ? QStringLiteral("Installed")
                                       : QStringLiteral("Make MouseOver buttons"));
}

void LinksScreen::cancel()
{
    hide();
    SelectionScreen *selection = m_workspace.screen<SelectionScreen>();
    bringToFront(selection);
    selection->focusPreview();
}

void LinksScreen::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cancel();
}

} // namespace tarnwell
