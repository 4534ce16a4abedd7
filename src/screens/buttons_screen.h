#pragma once

#include "button_layout_options.h"
#include "element_screen.h"
#include "picture_description.h"
#include "picture_import.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnwell {

// Chooses how many picture buttons, across or down.
class ButtonsScreen final : public LayoutChoiceScreen
{
    Q_OBJECT

public:
    explicit ButtonsScreen(Workspace &workspace, QWidget *parent = nullptr);

    ButtonLayout layout() const;

private:
    void next() override;
};

// One row per button: its picture and the page it links to.
class ButtonTitlesScreen final : public ElementScreen
{
    Q_OBJECT

public:
    explicit ButtonTitlesScreen(Workspace &workspace, QWidget *parent = nullptr);

    // Shows the rows of the first count buttons only.
    void open(int count);

private:
    struct Row
    {
        QLineEdit *file = nullptr;
        QLineEdit *link = nullptr;
        QLabel *fileLabel = nullptr;
        QLabel *linkLabel = nullptr;
        QPushButton *find = nullptr;
    };

    void addToPage();
    // The rows of the buttons asked for, and in a modern page their links' words.
    void showState();

    PictureImport m_import;
    Row m_rows[5];
    QPushButton *m_add = nullptr;
    int m_count = 5;
    PictureDescription m_description{this, 5, PictureDescription::Kind::Links};
};

} // namespace tarnwell
