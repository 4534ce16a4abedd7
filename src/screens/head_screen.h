#pragma once

#include "text_colour.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace tarnwell {

class Workspace;

// Page title and main heading: size, font, colour and centring.
class HeadScreen final : public QWidget
{
    Q_OBJECT

public:
    explicit HeadScreen(Workspace &workspace, QWidget *parent = nullptr);

    // Empties the main heading for a new page; the other choices stay.
    void clearHeading();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void chooseColour();
    void next();
    void back();
    void showFolder();
    // What shows follows the page's mode: the language and description only
    // for a modern page.
    void showState();

    Workspace &m_workspace;
    QLineEdit *m_title = nullptr;
    QPlainTextEdit *m_heading = nullptr;
    QRadioButton *m_h1 = nullptr;
    QRadioButton *m_h2 = nullptr;
    QRadioButton *m_h3 = nullptr;
    QRadioButton *m_arial = nullptr;
    QRadioButton *m_centred = nullptr;
    QLabel *m_folder = nullptr;
    QCheckBox *m_modern = nullptr;
    QLabel *m_languageLabel = nullptr;
    QComboBox *m_language = nullptr;
    QLabel *m_descriptionLabel = nullptr;
    QLineEdit *m_description = nullptr;
    TextColour m_colour{0xFF0000}; // blue, with red in the low byte
};

} // namespace tarnwell
