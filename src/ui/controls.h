#pragma once

#include <QString>
#include <initializer_list>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tarnwell {

// Gives a control the name that code and tests find it by.
template <class T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption);
QRadioButton *makeOption(QWidget *parent, const char *name, const QString &caption);

// A frame holding a group of options, one of which is chosen.
QGroupBox *optionGroup(QWidget *parent, const QString &caption,
                       std::initializer_list<QRadioButton *> options);

// A plain-text label that wraps.
QLabel *wrappedLabel(QWidget *parent, const char *name, const QString &text);

// A framed stand-in picture showing where something goes on the page.
QLabel *samplePicture(QWidget *parent, const char *name, const QString &text, int width,
                      int height);

// Sets the screen's Tab order to the order of its layouts, which read top to
// bottom and left to right, whatever order the controls were made in.
void tabInLayoutOrder(QWidget *screen);

// What the user typed, exactly, with each line break as CR LF.
QString typedText(const QPlainTextEdit *edit);

// Shows a field's text in a colour given as a colour number.
void setTextColour(QWidget *field, qint32 colourNumber);

} // namespace tarnwell
