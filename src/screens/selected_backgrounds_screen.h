#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnwell {

class Workspace;

// Offers the twenty gallery textures one after the other.
class SelectedBackgroundsScreen final : public QWidget
{
    Q_OBJECT

public:
    explicit SelectedBackgroundsScreen(Workspace &workspace, QWidget *parent = nullptr);

    void focusChange();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showNextTexture();
    void takeThisOne();

    Workspace &m_workspace;
    QLabel *m_picture = nullptr;
    QLineEdit *m_name = nullptr;
    QPushButton *m_change = nullptr;
    int m_counter = 0; // number of the next texture to offer
};

// Shows a picture file scaled into a label; a file that is no picture leaves
// the label empty.
void showPicture(QLabel *label, const QString &path);

} // namespace tarnwell
