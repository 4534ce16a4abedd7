#pragma once

#include "element_screen.h"
#include "html/links.h"

#include <QList>
#include <optional>

class QGroupBox;
class QRadioButton;
class QWidget;

namespace tarnwell {

// The seven button layouts as options in a "Layout" frame, each with a small
// drawing of its arrangement beside it.
class ButtonLayoutOptions final
{
public:
    // Options are listed in the given order.
    ButtonLayoutOptions(QWidget *screen, const QList<ButtonLayout> &order);

    QGroupBox *frame() const { return m_frame; }
    QRadioButton *option(ButtonLayout layout) const;

    // The chosen layout, if any.
    std::optional<ButtonLayout> chosen() const;

private:
    QGroupBox *m_frame = nullptr;
    QList<std::pair<ButtonLayout, QRadioButton *>> m_options;
};

// A screen that offers the seven layouts, with "Next" and "Cancel".
class LayoutChoiceScreen : public ElementScreen
{
    Q_OBJECT

protected:
    LayoutChoiceScreen(Workspace &workspace, const char *formName, const QString &caption,
                       const QList<ButtonLayout> &order, const QString &advice,
                       QWidget *parent = nullptr);

    // Goes on to the screen where the buttons are filled in.
    virtual void next() = 0;

    ButtonLayoutOptions m_layouts;
};

} // namespace tarnwell
