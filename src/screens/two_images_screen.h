#pragma once

#include "element_screen.h"
#include "picture_description.h"
#include "picture_import.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarnwell {

// Two pre-sized pictures side by side on one line.
class TwoImagesScreen final : public ElementScreen
{
    Q_OBJECT

public:
    explicit TwoImagesScreen(Workspace &workspace, QWidget *parent = nullptr);

    void open();

private:
    void addToPage();
    void showState();

    PictureImport m_import;
    QLineEdit *m_first = nullptr;
    QLineEdit *m_second = nullptr;
    QRadioButton *m_centred = nullptr;
    QPushButton *m_add = nullptr;
    PictureDescription m_description{this, 2};
};

} // namespace tarnwell
