#pragma once

#include "element_screen.h"
#include "text_colour.h"

class QLineEdit;
class QRadioButton;

namespace tarnwell {

// A link to another page written as text in a chosen style.
class TextLinkScreen final : public ElementScreen
{
    Q_OBJECT

public:
    explicit TextLinkScreen(Workspace &workspace, QWidget *parent = nullptr);

    void open();

private:
    void findPage();
    void chooseColour();
    void finished();

    QLineEdit *m_address = nullptr;
    QLineEdit *m_text = nullptr;
    QRadioButton *m_arial = nullptr;
    QRadioButton *m_normal = nullptr;
    QRadioButton *m_size3 = nullptr;
    QRadioButton *m_size4 = nullptr;
    QRadioButton *m_notCentred = nullptr;
    // Blue, the colour a reader expects of a link, until the user picks one.
    TextColour m_colour{0xFF0000};
};

} // namespace tarnwell
