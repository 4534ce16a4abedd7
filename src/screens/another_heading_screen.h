#pragma once

#include "element_screen.h"
#include "text_colour.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace tarnwell {

// A further heading; its colour returns to black after each one.
class AnotherHeadingScreen final : public ElementScreen
{
    Q_OBJECT

public:
    explicit AnotherHeadingScreen(Workspace &workspace, QWidget *parent = nullptr);

    void open();

private:
    void chooseColour();
    void addHeading();

    QLineEdit *m_text = nullptr;
    QLabel *m_hint = nullptr;
    QRadioButton *m_h2 = nullptr;
    QRadioButton *m_h3 = nullptr;
    QRadioButton *m_arial = nullptr;
    QRadioButton *m_centred = nullptr;
    TextColour m_colour{0};
};

} // namespace tarnwell
