#include "button_layout_options.h"

#include "ui/controls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnwell {

namespace {
struct LayoutNames
{
    const char *option;
    const char *caption;
    const char *picture;
};

LayoutNames namesOf(ButtonLayout layout)
{
    switch (layout) {
    case ButtonLayout::OneButton:
        return {"Option7", "1 button", "Picture7"};
    case ButtonLayout::TwoAcross:
        return {"Option1", "2 across", "Picture1"};
    case ButtonLayout::TwoDown:
        return {"Option6", "2 down", "Picture6"};
    case ButtonLayout::ThreeAcross:
        return {"Option3", " 3 across", "Picture3"};
    case ButtonLayout::ThreeDown:
        return {"Option5", "3 down", "Picture5"};
    case ButtonLayout::FourAcross:
        return {"Option2", "4 across", "Picture4"};
    case ButtonLayout::FiveAcross:
        break;
    }
    return {"Option8", "5 across", "Picture8"};
}

// Little grey buttons, side by side or one under the other.
QPixmap drawing(ButtonLayout layout)
{
    QPixmap pixmap(64, 40);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.setBrush(QColor(0x9F, 0xB8, 0xD0));
    const int count = buttonCount(layout);
    const bool down = layout == ButtonLayout::TwoDown || layout == ButtonLayout::ThreeDown;
    for (int i = 0; i < count; ++i) {
        if (down)
            painter.drawRect(20, 3 + i * 12, 24, 8);
        else
            painter.drawRect(3 + i * 12, 16, 9, 8);
    }
    return pixmap;
}
} // namespace

ButtonLayoutOptions::ButtonLayoutOptions(QWidget *screen, const QList<ButtonLayout> &order)
{
    m_frame = named(new QGroupBox(QStringLiteral("Layout"), screen), "Frame1");
    auto *grid = new QGridLayout(m_frame);
    int row = 0;
    for (ButtonLayout layout : order) {
        const LayoutNames names = namesOf(layout);
        QRadioButton *option = makeOption(m_frame, names.option, QLatin1String(names.caption));
        auto *picture = named(new QLabel(m_frame), names.picture);
        picture->setPixmap(drawing(layout));
        grid->addWidget(option, row, 0);
        grid->addWidget(picture, row, 1);
        m_options.append({layout, option});
        ++row;
    }
}

QRadioButton *ButtonLayoutOptions::option(ButtonLayout layout) const
{
    for (const auto &[each, option] : m_options) {
        if (each == layout)
            return option;
    }
    return nullptr;
}

std::optional<ButtonLayout> ButtonLayoutOptions::chosen() const
{
    for (const auto &[layout, option] : m_options) {
        if (option->isChecked())
            return layout;
    }
    return std::nullopt;
}

LayoutChoiceScreen::LayoutChoiceScreen(Workspace &workspace, const char *formName,
                                       const QString &caption, const QList<ButtonLayout> &order,
                                       const QString &advice, QWidget *parent)
    : ElementScreen(workspace, formName, caption, parent), m_layouts(this, order)
{
    restoreLinksOnCancel();
    QPushButton *nextButton = makeButton(this, "Command1", QStringLiteral("Next"));
    QPushButton *cancelButton = makeButton(this, "Command2", QStringLiteral("Cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addWidget(nextButton);

    auto *column = new QVBoxLayout(this);
    column->addWidget(named(new QLabel(QStringLiteral("Choices"), this), "Label1"));
    column->addWidget(m_layouts.frame());
    column->addWidget(wrappedLabel(this, "Label2", advice));
    column->addLayout(buttons);

    connect(nextButton, &QPushButton::clicked, this, [this] { next(); });
    connect(cancelButton, &QPushButton::clicked, this, &LayoutChoiceScreen::cancel);
}

} // namespace tarnwell
