#include "advice_screen.h"

#include "ui/controls.h"
#include "ui/main_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnwell {

AdviceScreen::AdviceScreen(Workspace &workspace, const char *formName, const QString &caption,
                           QWidget *parent)
    : QWidget(parent), m_workspace(workspace)
{
    setObjectName(QLatin1String(formName));
    showBesideTheScreens(this);
    setWindowTitle(caption);
    auto *layout = new QVBoxLayout(this);
    m_body = new QHBoxLayout;
    m_body->setSpacing(16);
    m_texts = new QVBoxLayout;
    m_texts->setSpacing(12);
    m_body->addLayout(m_texts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    m_buttons = buttons;
    layout->addLayout(m_body, 1);
    layout->addLayout(buttons);
}

void AdviceScreen::addText(const char *name, const QString &text)
{
    m_texts->addWidget(wrappedLabel(this, name, text));
}

QPushButton *AdviceScreen::addButton(const char *name, const QString &caption)
{
    QPushButton *button = makeButton(this, name, caption);
    m_buttons->addWidget(button);
    return button;
}

void AdviceScreen::addPicture(QWidget *picture)
{
    picture->setParent(this);
    m_body->insertWidget(0, picture, 0, Qt::AlignTop);
}

void AdviceScreen::fitToText(int width)
{
    // Wrapped labels only know their height for a given width, and only in
    // the font they will be shown in: polish first, so a style's font counts.
    ensurePolished();
    QLayout *whole = layout();
    whole->activate();
    width = std::max(width, whole->minimumSize().width());
    const int height = std::max(heightForWidth(width), whole->minimumSize().height());
    // Never narrower, or the texts would need more height than the window has.
    setMinimumSize(width, height);
    resize(width, height);
}

} // namespace tarnwell
