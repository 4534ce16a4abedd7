#pragma once

#include "element_screen.h"
#include "picture_description.h"
#include "picture_import.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarnwell {

// One or two pictures that change while the pointer is over them.
class MouseOverPicturesScreen final : public ElementScreen
{
    Q_OBJECT

public:
    explicit MouseOverPicturesScreen(Workspace &workspace, QWidget *parent = nullptr);

    // Opened afresh: empty boxes, one picture, not centred.
    void open();

private:
    // One picture or two, and in a modern page no names but descriptions.
    void showState();
    void addToPage();
    // False, after saying which name will not work and why.
    bool namesWork(const QStringList &names);

    PictureImport m_import;
    QLineEdit *m_boxes[6] = {}; // Text1 to Text6
    QPushButton *m_findSecondPair[2] = {};
    QRadioButton *m_one = nullptr;
    QRadioButton *m_two = nullptr;
    QRadioButton *m_notCentred = nullptr;
    QRadioButton *m_centred = nullptr;
    QPushButton *m_add = nullptr;
    QWidgetList m_nameLabels; // the labels of Text5 and Text6, and the advice on names
    PictureDescription m_description{this, 2};
};

} // namespace tarnwell
