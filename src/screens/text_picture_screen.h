#pragma once

#include "element_screen.h"
#include "picture_description.h"
#include "picture_import.h"
#include "text_colour.h"

class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace tarnwell {

// A picture and a block of text side by side in a one-row table.
class TextPictureScreen final : public ElementScreen
{
    Q_OBJECT

public:
    explicit TextPictureScreen(Workspace &workspace, QWidget *parent = nullptr);

    // Opened with no picture and no text, ready for typing.
    void open();

private:
    void chooseColour();
    void findPicture();
    void addToPage();
    void showState();

    PictureImport m_import;
    QString m_pictureName; // only "Find picture" sets it
    QPlainTextEdit *m_text = nullptr;
    QRadioButton *m_pictureRight = nullptr;
    QRadioButton *m_arial = nullptr;
    QRadioButton *m_size4 = nullptr;
    QRadioButton *m_size5 = nullptr;
    QPushButton *m_add = nullptr;
    PictureDescription m_description{this, 1};
    TextColour m_colour{0}; // black until chosen, then kept
};

} // namespace tarnwell
