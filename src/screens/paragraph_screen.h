#pragma once

#include "element_screen.h"
#include "text_colour.h"

class QPlainTextEdit;
class QRadioButton;

namespace tarnwell {

// One paragraph in a chosen font, size, emphasis and colour.
class ParagraphScreen final : public ElementScreen
{
    Q_OBJECT

public:
    explicit ParagraphScreen(Workspace &workspace, QWidget *parent = nullptr);

    // Opened from the Selection screen with an empty paragraph.
    void open();

private:
    void chooseColour();
    void addToPage();

    QPlainTextEdit *m_text = nullptr;
    QRadioButton *m_arial = nullptr;
    QList<QRadioButton *> m_sizes;
    QRadioButton *m_bold = nullptr;
    QRadioButton *m_italic = nullptr;
    TextColour m_colour{0}; // black, kept from one paragraph to the next
};

} // namespace tarnwell
