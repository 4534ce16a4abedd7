#pragma once

#include "button_layout_options.h"
#include "element_screen.h"
#include "picture_description.h"
#include "picture_import.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnwell {

// Chooses how many MouseOver buttons, across or down.
class MouseOverButtonsScreen final : public LayoutChoiceScreen
{
    Q_OBJECT

public:
    explicit MouseOverButtonsScreen(Workspace &workspace, QWidget *parent = nullptr);

    std::optional<ButtonLayout> layout() const { return m_layouts.chosen(); }

private:
    void next() override;
};

// One row per button: its two pictures and its link.
class ButtonFilesScreen final : public ElementScreen
{
    Q_OBJECT

public:
    explicit ButtonFilesScreen(Workspace &workspace, QWidget *parent = nullptr);

    // Empty pictures, the rows the layout uses, the focus on Finished.
    void open(std::optional<ButtonLayout> layout);

private:
    struct Row
    {
        QLabel *label = nullptr;
        QLineEdit *first = nullptr;
        QLineEdit *second = nullptr;
        QLineEdit *link = nullptr;
        QPushButton *findFirst = nullptr;
        QPushButton *findSecond = nullptr;
    };

    // The rows the layout uses, and in a modern page the words of their links.
    void showState();
    void finished();

    PictureImport m_import;
    Row m_rows[5];
    QPushButton *m_finished = nullptr;
    int m_count = 5;
    PictureDescription m_description{this, 5, PictureDescription::Kind::Links};
};

} // namespace tarnwell
