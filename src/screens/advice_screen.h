#pragma once

#include <QWidget>

class QHBoxLayout;
class QPushButton;
class QVBoxLayout;

namespace tarnwell {

class Workspace;

// A fixed window of advice: wrapped labels above, one or two buttons below.
class AdviceScreen : public QWidget
{
    Q_OBJECT

public:
    AdviceScreen(Workspace &workspace, const char *formName, const QString &caption,
                 QWidget *parent = nullptr);

protected:
    // Adds a wrapped plain-text label named name (Label1, Label2...).
    void addText(const char *name, const QString &text);

    // Adds a button to the row at the bottom.
    QPushButton *addButton(const char *name, const QString &caption);

    // Puts a picture to the left of the texts, level with the first one.
    void addPicture(QWidget *picture);

    // Sizes the window so that all of its text shows without scrolling.
    void fitToText(int width);

    // The column that holds the texts, for screens that put a picture beside it.
    QVBoxLayout *textColumn() const { return m_texts; }

    Workspace &m_workspace;

private:
    QHBoxLayout *m_body = nullptr;
    QVBoxLayout *m_texts = nullptr;
    QLayout *m_buttons = nullptr;
};

} // namespace tarnwell
