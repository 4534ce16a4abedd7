#pragma once

#include "element_screen.h"
#include "picture_description.h"
#include "picture_import.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarnwell {

// One pre-sized picture, at the left margin or centred.
class AddPictureScreen final : public ElementScreen
{
    Q_OBJECT

public:
    explicit AddPictureScreen(Workspace &workspace, QWidget *parent = nullptr);

    void open();

private:
    void findPicture();
    void finished();
    void showState();

    PictureImport m_import;
    QLineEdit *m_name = nullptr;
    QRadioButton *m_centred = nullptr;
    QPushButton *m_finished = nullptr;
    PictureDescription m_description{this, 1};
};

} // namespace tarnwell
